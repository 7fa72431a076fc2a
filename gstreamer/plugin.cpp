// The "pplcam" plugin: the library's Bayer converter and deinterlacer as
// GStreamer elements.
#include <gst/gst.h>

#include "pplcam_bayer.h"
#include "pplcam_deinterlace.h"

namespace {

gboolean plugin_init(GstPlugin* plugin) {
  return gst_element_register(plugin, "pplcambayer", GST_RANK_NONE, GST_TYPE_PPLCAM_BAYER) &&
         gst_element_register(plugin, "pplcamdeinterlace", GST_RANK_NONE, GST_TYPE_PPLCAM_DEINTERLACE);
}

}  // namespace

#define PACKAGE "pplcam"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, pplcam,
                  "pplcam camera pipeline: Bayer conversion with picture controls and statistics, deinterlacing",
                  plugin_init, PPLCAM_GST_VERSION, "unknown", "pplcam", "pplcam")
