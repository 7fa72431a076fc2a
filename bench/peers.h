// The peer libraries the benchmarks measure pplcam against, when the build
// found them (PPLCAM_BENCH_LIBYUV, PPLCAM_BENCH_OPENCV; see
// scripts/install-peers.sh).
#pragma once

#ifdef PPLCAM_BENCH_LIBYUV
#include <libyuv/convert.h>
#include <libyuv/convert_argb.h>
#include <libyuv/cpu_id.h>
#endif
#ifdef PPLCAM_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif
