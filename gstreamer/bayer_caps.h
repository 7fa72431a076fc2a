// Caps of pplcambayer: the frame sizes the library's Bayer converters take
// and the output sizes they give (full, half, double).
#pragma once

#include <gst/gst.h>

#include <string>

namespace pplcam_gst {

// What the element takes, for messages about caps it refuses.
extern const char kBayerTakes[];

// Output sizes, in the order of the converters' forms: plain, _deci_2_1,
// _intp_1_2. kSizeAuto lets downstream choose, full size first.
enum BayerOutputSize { kSizeFull, kSizeHalf, kSizeDouble, kSizeAuto };

GstCaps* bayer_sink_template_caps();
GstCaps* bayer_src_template_caps();

// What one side's caps allow on the other side, restricted to `size`
// unless it is kSizeAuto.
GstCaps* bayer_transform_caps(GstPadDirection direction, const GstCaps* caps, BayerOutputSize size);

// "" when the library converts a width x height Bayer frame to out_width x
// out_height (I420 or not), setting *size; otherwise why not.
std::string check_bayer_sizes(int width, int height, int out_width, int out_height, bool i420, BayerOutputSize* size);

}  // namespace pplcam_gst
