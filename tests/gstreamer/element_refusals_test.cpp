// What the elements refuse, and how: caps the library cannot serve, and a
// ninth stream when the library's eight contexts are taken.
#include <string>

#include "gst_support.h"

namespace {

struct CapsRow {
  const char* factory;
  const char* in;
  const char* out;
  GstMessageType type;  // an error when the element's caps refuse it, a warning when its templates do
  const char* message;  // part of what the element posts
};

const char* const kBayerTakes = "it takes video/x-bayer, format=bggr, 128 to 4096 pixels wide in steps of 16";
const char* const kIntlTakes = "takes YUY2 or UYVY with the two fields interleaved";

const CapsRow kCapsRows[] = {
    {"pplcambayer", "video/x-bayer,format=bggr,width=130,height=480,framerate=30/1",
     "video/x-raw,format=I420,width=130,height=480", GST_MESSAGE_ERROR, kBayerTakes},
    {"pplcambayer", "video/x-bayer,format=bggr,width=640,height=486,framerate=30/1",
     "video/x-raw,format=I420,width=320,height=243", GST_MESSAGE_ERROR, "multiple of 4"},
    {"pplcambayer", "video/x-bayer,format=rggb,width=640,height=480,framerate=30/1", "video/x-raw,format=I420",
     GST_MESSAGE_WARNING, kBayerTakes},
    {"pplcambayer", "video/x-bayer,format=bggr,width=4112,height=480,framerate=30/1", "video/x-raw,format=I420",
     GST_MESSAGE_WARNING, kBayerTakes},
    {"pplcamdeinterlace", "video/x-raw,format=YUY2,width=712,height=576,interlace-mode=interleaved,framerate=25/1",
     "video/x-raw", GST_MESSAGE_WARNING, kIntlTakes},
    {"pplcamdeinterlace", "video/x-raw,format=YUY2,width=720,height=576,interlace-mode=progressive,framerate=25/1",
     "video/x-raw", GST_MESSAGE_WARNING, kIntlTakes},
    {"pplcamdeinterlace", "video/x-raw,format=YUY2,width=720,height=576,interlace-mode=interleaved,framerate=25/1",
     "video/x-raw,format=UYVY", GST_MESSAGE_ERROR, kIntlTakes},
};

TEST(PplcamElements, CapsTheLibraryCannotServeFailNegotiationWithAnExplanation) {
  for (const CapsRow& row : kCapsRows) {
    SCOPED_TRACE(std::string(row.factory) + " " + row.in + " to " + row.out);
    ElementHarness e(row.factory, "", row.in, row.out);
    EXPECT_EQ(e.push(Bytes(640 * 576 * 2)), GST_FLOW_NOT_NEGOTIATED);
    const std::string message = e.message(row.type);
    EXPECT_NE(message.find(row.message), std::string::npos) << message;
  }
}

TEST(PplcamElements, ANinthStreamFailsToStartWithAClearError) {
  GstBus* bus = gst_bus_new();
  GstElement* elements[9];
  for (int i = 0; i < 9; ++i) {
    elements[i] = gst_element_factory_make(i % 2 ? "pplcambayer" : "pplcamdeinterlace", nullptr);
    gst_element_set_bus(elements[i], bus);
    EXPECT_EQ(gst_element_set_state(elements[i], GST_STATE_PAUSED),
              i < 8 ? GST_STATE_CHANGE_SUCCESS : GST_STATE_CHANGE_FAILURE)
        << i;
  }
  EXPECT_EQ(message_text(bus, GST_MESSAGE_ERROR), "All eight pplcam contexts are in use.");
  // Stopping one stream frees its context for another.
  gst_element_set_state(elements[0], GST_STATE_NULL);
  EXPECT_EQ(gst_element_set_state(elements[8], GST_STATE_PAUSED), GST_STATE_CHANGE_SUCCESS);
  for (GstElement* e : elements) {
    gst_element_set_state(e, GST_STATE_NULL);
    gst_object_unref(e);
  }
  gst_object_unref(bus);
}

}  // namespace
