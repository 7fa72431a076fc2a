// Support of the GStreamer plugin tests: GStreamer started on the plugin of
// this build only, a harness around one element, and frames.
#pragma once

#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pplcam/pplcam.h"
#include "support/buffers.h"
#include "support/environment.h"
#include "support/same_bytes.h"

using Bytes = std::vector<uint8_t>;
using pplcam::test::random_bytes;
using pplcam::test::same_bytes;

// The text of the next GST_MESSAGE_ERROR or _WARNING on `bus` ("" when
// there is none); the message is taken off the bus.
std::string message_text(GstBus* bus, GstMessageType type);

// One element of the plugin between a harness source and sink, with its
// properties in gst-launch syntax ("quality=2 h-mirror=true") and its bus.
class ElementHarness {
 public:
  ElementHarness(const char* factory, const char* properties, const char* in_caps, const char* out_caps);
  ~ElementHarness();
  // Pushes a copy of `frame` placed `offset` bytes past a 64-byte boundary;
  // with `keep`, the caller gets a reference to the pushed buffer too.
  GstFlowReturn push(const Bytes& frame, size_t offset = 0, GstBuffer** keep = nullptr);
  Bytes pull();
  // The next message of `type` on the element's bus (nullptr when none).
  GstMessage* pop(GstMessageType type);
  // message_text() of the element's bus.
  std::string message(GstMessageType type) { return message_text(bus_, type); }
  GstElement* element() const { return h_->element; }
  GstHarness* harness() const { return h_; }

 private:
  GstHarness* h_;
  GstBus* bus_;
};

// A context of the test's own, set up as the elements set theirs up (large
// frames on), for the library's answer to compare with.
struct LibraryContext : pplcam::test::ScopedContext {
  LibraryContext() { EXPECT_EQ(allow_large_frames(), 1); }
};

Bytes buffer_bytes(GstBuffer* buffer);
Bytes read_file(const std::string& path);
// Bytes of a video/x-raw frame of `format` at width x height.
size_t raw_frame_bytes(const char* format, int width, int height);
// Rows in reverse order: `rows` rows of a.size() / rows bytes.
Bytes flip_rows(const Bytes& a, int rows);
