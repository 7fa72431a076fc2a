#!/usr/bin/env bash
# Builds pplcam and runs every test configuration: a release build, a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, then the target
# checks of scripts/tests.d/ (32-bit x86, Windows under Wine, ...).
#
# Each configuration's whole output (build, ctest's per-test lines) goes to
# build-logs/NAME.log; the terminal gets one line per configuration, the
# failures of a failing one, and a last line saying whether everything
# passed with the test counts of each configuration. The counts come from
# ctest's own summary in each log, labelled by the "=== test DIR (LABEL)"
# line printed before it, so a configuration added under tests.d/ shows up
# without a change here. A failing configuration does not stop the others;
# the script then exits 1.
#
# Installs what only the tests need (scripts/packages.d/test/: cross
# toolchains, Wine, GoogleTest, ...) first, as root or through sudo.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/apt-install.sh
. scripts/lib/install-lists.sh
install_package_lists run-tests scripts/packages.d/test || exit 1
jobs="$(nproc 2>/dev/null || echo 2)"
logs=build-logs
mkdir -p "$logs"

build_and_test() {   # build_and_test DIR LABEL [cmake options...]
  local dir="$1" label="$2"; shift 2
  echo "=== build $dir $*"
  cmake -S . -B "$dir" -DPPLCAM_BUILD_BENCH=OFF "$@" && cmake --build "$dir" -j "$jobs" || return 1
  echo "=== test $dir ($label)"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# "LABEL passed/total" for each ctest run of a log.
counts_of() {
  awk '/^=== test / { label = $3; if (match($0, /\(.*\)$/)) label = substr($0, RSTART + 1, RLENGTH - 2) }
       / tests passed, [0-9]+ tests? failed out of [0-9]+/ {
         printf "%s %d/%d\n", label, $NF - $4, $NF }' "$1"
}

# What each failed test of a log printed: ctest's result line and up to 60
# lines after it, ending where ctest starts or reports another test or sums
# up.
failed_output() {
  awk '/\*\*\*(Failed|Exception|Timeout|Not Run)/ { show = 1; n = 0; print; next }
       show && /^ *(Start +[0-9]+:|[0-9]+\/[0-9]+ Test +#|[0-9]+% tests passed)/ { show = 0 }
       show && n++ < 60 { print }' "$1"
}

summary=() failed=()
step() {   # step NAME COMMAND...: runs COMMAND with its output in the log
  local name="$1"; shift
  local log="$logs/$name.log" start=$SECONDS status=0
  printf '=== %-14s ' "$name"
  "$@" > "$log" 2>&1 || status=$?
  local counts
  counts="$(counts_of "$log" | paste -sd, - | sed 's/,/, /g')"
  summary+=("${counts:-$name ok}")
  if [ "$status" -eq 0 ]; then
    echo "ok: ${counts:-no ctest run} ($((SECONDS - start)) s, $log)"
    return
  fi
  failed+=("$name")
  summary[-1]="${counts:-$name} FAILED"
  echo "FAILED (exit $status, $((SECONDS - start)) s, $log)"
  # ctest's list of failed tests with what each printed (its first lines),
  # when there is one, else the log's end.
  if grep -q 'The following tests FAILED' "$log"; then
    failed_output "$log"
    sed -n '/The following tests FAILED/,/^Errors while running/p' "$log"
  else
    tail -n 30 "$log"
  fi
}

step release build_and_test build Release -DCMAKE_BUILD_TYPE=Release
step asan build_and_test build-asan ASan+UBSan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPPLCAM_SANITIZE=ON
# Further test configurations (other targets) hook in here.
for extra in scripts/tests.d/*.sh; do
  [ -e "$extra" ] || continue
  step "$(basename "$extra" .sh)" bash "$extra"
done

line="$(printf '%s; ' "${summary[@]}")"
if [ ${#failed[@]} -eq 0 ]; then
  echo "run-tests: all passed: ${line%; }"
  exit 0
fi
echo "run-tests: FAILED (${failed[*]}): ${line%; }"
exit 1
