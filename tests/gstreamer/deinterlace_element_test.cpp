// pplcamdeinterlace against the library's interlaced converters called
// directly on the fields of the same frames, with the previous frame's
// second field as reference.
#include <cstring>
#include <string>

#include "gst_support.h"

namespace {

typedef uint8_t(PPLCALL* IntlFn)(ppl_context*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                 int32_t, int32_t, int32_t);

std::string caps(const char* format, const char* mode, int width = 320, int height = 240) {
  return "video/x-raw,format=" + std::string(format) + ",width=" + std::to_string(width) +
         ",height=" + std::to_string(height) + ",framerate=25/1,interlace-mode=" + mode;
}

// Even lines are the first field, odd lines the second.
Bytes field(const Bytes& frame, int parity, int height) {
  const size_t line = frame.size() / height;
  Bytes f(frame.size() / 2);
  for (int k = 0; k < height / 2; ++k) std::memcpy(&f[k * line], &frame[(2 * k + parity) * line], line);
  return f;
}

Bytes library_output(IntlFn convert, int threshold, const Bytes& frame, const Bytes& reference_frame,
                     const char* format, int width = 320, int height = 240) {
  LibraryContext ctx;
  ppl_set_intl_3T_threshold(ctx, threshold);
  Bytes dst(raw_frame_bytes(format, width, height));
  EXPECT_EQ(convert(ctx, field(reference_frame, 1, height).data(), field(frame, 0, height).data(),
                    field(frame, 1, height).data(), dst.data(), width, height, width, height),
            1);
  // The library's RGB24 is bottom-up; GStreamer's BGR top-down.
  return std::string(format) == "BGR" ? flip_rows(dst, height) : dst;
}

struct Row {
  const char* properties;
  const char* in;
  const char* out;
  IntlFn convert;
  int threshold;
  int width = 320, height = 240;
};

const Row kRows[] = {
    {"", "YUY2", "YUY2", IntlYUYVToYUYVMMX, 50},
    {"motion-threshold=10", "YUY2", "I420", IntlYUYVToI420MMX, 10},
    {"motion-threshold=200", "YUY2", "BGR", IntlYUYVToRGB24MMX, 200},
    {"weave-only=true", "UYVY", "UYVY", IntlUYVYToUYVYMMX_no_motion, 50},
    {"", "UYVY", "YUY2", IntlUYVYToYUYVMMX, 50},
    {"motion-threshold=0", "UYVY", "I420", IntlUYVYToI420MMX, 0},
    {"motion-threshold=20", "YUY2", "I420", IntlYUYVToI420MMX, 20, 1920, 1080},  // beyond the original limits
};

// Frames 0 and 1 in one stream, then a flush, then frame 2: frame 0 and
// frame 2 have no previous frame, so they are their own reference.
TEST(PplcamDeinterlace, OutputIsTheLibrarysPictureAcrossBuffersAndFlushes) {
  const int reference[] = {0, 0, 2};
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.in) + " to " + row.out + " " + row.properties + " " + std::to_string(row.width));
    const size_t bytes = size_t(row.width) * row.height * 2;
    const Bytes frames[] = {random_bytes(bytes, 1), random_bytes(bytes, 2), random_bytes(bytes, 3)};
    ElementHarness e("pplcamdeinterlace", row.properties, caps(row.in, "interleaved", row.width, row.height).c_str(),
                     caps(row.out, "progressive", row.width, row.height).c_str());
    for (int i = 0; i < 3; ++i) {
      if (i == 2) {
        ASSERT_TRUE(gst_harness_push_event(e.harness(), gst_event_new_flush_start()));
        ASSERT_TRUE(gst_harness_push_event(e.harness(), gst_event_new_flush_stop(TRUE)));
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        ASSERT_TRUE(gst_harness_push_event(e.harness(), gst_event_new_segment(&segment)));
      }
      ASSERT_EQ(e.push(frames[i]), GST_FLOW_OK);
      EXPECT_TRUE(same_bytes(e.pull(), library_output(row.convert, row.threshold, frames[i], frames[reference[i]],
                                                      row.out, row.width, row.height)))
          << "frame " << i;
    }
  }
}

// New caps (here the other packed order at the same size) start a new
// stream: the previous frame is no reference for the next.
TEST(PplcamDeinterlace, NewCapsForgetThePreviousField) {
  const Bytes a = random_bytes(320 * 240 * 2, 4), b = random_bytes(320 * 240 * 2, 5);
  ElementHarness e("pplcamdeinterlace", "", caps("YUY2", "interleaved").c_str(), caps("YUY2", "progressive").c_str());
  ASSERT_EQ(e.push(a), GST_FLOW_OK);
  e.pull();
  gst_harness_set_src_caps_str(e.harness(), caps("UYVY", "interleaved").c_str());
  ASSERT_EQ(e.push(b), GST_FLOW_OK);
  EXPECT_TRUE(same_bytes(e.pull(), library_output(IntlUYVYToYUYVMMX, 50, b, b, "YUY2")));
}

}  // namespace
