// What the classes of both elements share: pad templates, metadata, the
// allocation hooks (allocation.h) and the explanation of refused caps.
#pragma once

#include <gst/base/gstbasetransform.h>

namespace pplcam_gst {

struct ElementDescription {
  const char* long_name;
  const char* classification;
  const char* description;
  // What the element takes, shown by gst-inspect-1.0 as "Takes". GStreamer
  // itself reports caps an element's templates refuse as a bare
  // "not-negotiated" from the source, so the element posts a warning
  // "<factory> cannot take <caps>: it takes <takes>." first.
  const char* takes;
};

// Takes `sink` and `src` (the template caps).
void init_element_class(GstBaseTransformClass* klass, const ElementDescription& d, GstCaps* sink, GstCaps* src);

// The sentence of init_element_class, for the element's own refusals.
const char* what_element_takes(GstBaseTransform* trans);

}  // namespace pplcam_gst
