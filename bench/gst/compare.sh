#!/usr/bin/env bash
# Frames per second of the pplcam elements beside GStreamer's own elements
# for the same job, in the same run: each pipeline reads frames from a
# looping multifilesrc and ends in fakesink sync=false, with one streaming
# thread (no queue; videoconvert n-threads=1). Every round runs every
# pipeline once, in a new random order; the figures are the medians over
# the rounds, with the lowest and highest beside them.
#
# Usage: bench/gst/compare.sh [BUILD_DIR] [FRAMES] [ROUNDS] [FILTER]
#   BUILD_DIR  build with the plugin (default build); FRAMES per run
#   (default 1000); ROUNDS (default 5); FILTER: only pipelines whose name
#   matches this extended regular expression.
# Needs gst-launch-1.0 and the plugins of scripts/packages.d/test/gstreamer.txt.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}" frames="${2:-1000}" rounds="${3:-5}" filter="${4:-.}"
work="$build/bench-gst"
mkdir -p "$work"
export GST_PLUGIN_PATH="$PWD/$build/gstreamer" GST_REGISTRY="$PWD/$work/registry.bin"
gst-inspect-1.0 pplcambayer > /dev/null

# Input frames: one Bayer frame per size (SMPTE bars through rgb2bayer),
# four interlaced PAL frames of a moving ball (the loop alternates them).
for size in 640x480 1280x1024; do
  w="${size%x*}" h="${size#*x}"
  [ -s "$work/bayer-$size.bggr" ] || gst-launch-1.0 -q videotestsrc num-buffers=1 pattern=smpte \
    ! "video/x-raw,width=$w,height=$h" ! rgb2bayer ! "video/x-bayer,format=bggr,width=$w,height=$h" \
    ! filesink location="$work/bayer-$size.bggr"
done
[ -s "$work/pal-3.yuyv" ] || gst-launch-1.0 -q videotestsrc num-buffers=4 pattern=ball \
  ! video/x-raw,format=YUY2,width=720,height=576 ! multifilesink location="$work/pal-%d.yuyv"

realistic="r-gain=333 b-gain=410 colour-matrix=<400,-100,-44,-60,380,-64,-20,-120,396> gamma=4 contrast=10 saturation=300"
declare -A pipelines
pairs=()   # "ours|peer": their frame-rate ratio is reported per round
for size in 640x480 1280x1024; do
  w="${size%x*}" h="${size#*x}"
  src="multifilesrc location=$work/bayer-$size.bggr loop=true num-buffers=$frames caps=video/x-bayer,format=bggr,width=$w,height=$h,framerate=30/1"
  pipelines["bayer $size source only"]="$src ! fakesink sync=false"
  for f in I420 BGR BGRx; do
    pipelines["bayer $size $f pplcam default"]="$src ! pplcambayer quality=2 ! video/x-raw,format=$f ! fakesink sync=false"
    pipelines["bayer $size $f pplcam realistic"]="$src ! pplcambayer quality=2 $realistic ! video/x-raw,format=$f ! fakesink sync=false"
    convert="! videoconvert n-threads=1"
    [ "$f" = BGRx ] && convert=""
    pipelines["bayer $size $f bayer2rgb"]="$src ! bayer2rgb $convert ! video/x-raw,format=$f ! fakesink sync=false"
    pairs+=("bayer $size $f pplcam default|bayer $size $f bayer2rgb" "bayer $size $f pplcam realistic|bayer $size $f bayer2rgb")
  done
  # tee keeps a reference to the buffer it pushes: the element converts a copy.
  pipelines["bayer $size I420 pplcam default shared input"]="$src ! tee ! pplcambayer quality=2 ! video/x-raw,format=I420 ! fakesink sync=false"
done
intl="multifilesrc location=$work/pal-%d.yuyv loop=true num-buffers=$frames caps=video/x-raw,format=YUY2,width=720,height=576,framerate=25/1,interlace-mode=interleaved,field-order=top-field-first"
pipelines["intl 720x576 source only"]="$intl ! fakesink sync=false"
for f in YUY2 I420; do
  pipelines["intl 720x576 $f pplcam"]="$intl ! pplcamdeinterlace ! video/x-raw,format=$f ! fakesink sync=false"
  for m in tomsmocomp greedyh greedyl; do
    convert=""
    [ "$f" = I420 ] && convert="! videoconvert n-threads=1"
    pipelines["intl 720x576 $f deinterlace $m"]="$intl ! deinterlace fields=top method=$m $convert ! video/x-raw,format=$f ! fakesink sync=false"
    pairs+=("intl 720x576 $f pplcam|intl 720x576 $f deinterlace $m")
  done
done

mapfile -t names < <(printf '%s\n' "${!pipelines[@]}" | grep -E -- "$filter" | sort)
results="$work/results.txt"
: > "$results"
for ((r = 1; r <= rounds; ++r)); do
  echo "round $r of $rounds" >&2
  while read -r name; do
    # gst-launch times PLAYING to EOS; the first frame prerolled before it.
    t=$(gst-launch-1.0 ${pipelines[$name]} 2>&1 \
        | sed -n 's/^Execution ended after \([0-9]*\):\([0-9]*\):\([0-9.]*\)$/\1 \2 \3/p' \
        | awk '{ print $1 * 3600 + $2 * 60 + $3 }')
    [ -n "$t" ] || { echo "pipeline failed: $name: ${pipelines[$name]}" >&2; exit 1; }
    echo "$name|$r|$(awk -v t="$t" -v n="$frames" 'BEGIN { printf "%.1f", (n - 1) / t }')" >> "$results"
  done < <(printf '%s\n' "${names[@]}" | shuf)
done

# Median, lowest and highest frames per second of each pipeline.
echo "| pipeline | fps median | lowest | highest |"
echo "|---|---|---|---|"
sort -t'|' -k1,1 -k3,3n "$results" | awk -F'|' '
  function flush() { if (n) printf "| %s | %.0f | %.0f | %.0f |\n", name, (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2), v[1], v[n] }
  $1 != name { flush(); name = $1; n = 0 }
  { v[++n] = $3 }
  END { flush() }'

# Ratio of frame rates, ours over the peer's, taken within each round.
echo
echo "| ours / peer | ratio median | lowest | highest |"
echo "|---|---|---|---|"
for pair in "${pairs[@]}"; do
  awk -F'|' -v ours="${pair%%|*}" -v peer="${pair#*|}" '
    $1 == ours { o[$2] = $3 } $1 == peer { p[$2] = $3 }
    END {
      n = 0
      for (r in o) if (r in p) v[++n] = o[r] / p[r]
      if (!n) exit
      for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      printf "| %s / %s | %.2f | %.2f | %.2f |\n", ours, peer, (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2), v[1], v[n]
    }' "$results"
done
