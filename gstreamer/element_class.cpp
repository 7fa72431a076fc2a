#include "element_class.h"

#include "allocation.h"

namespace pplcam_gst {

namespace {

constexpr const char* kTakesKey = "takes";

gboolean accept_caps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps) {
  auto* base = GST_BASE_TRANSFORM_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(trans)));
  if (base->accept_caps(trans, direction, caps)) return TRUE;
  if (direction == GST_PAD_SINK && gst_caps_is_fixed(caps)) {
    gchar* refused = gst_caps_to_string(caps);
    GST_ELEMENT_WARNING(
        trans, CORE, NEGOTIATION,
        ("%s cannot take %s: it takes %s.", GST_OBJECT_NAME(gst_element_get_factory(GST_ELEMENT(trans))), refused,
         what_element_takes(trans)),
        (nullptr));
    g_free(refused);
  }
  return FALSE;
}

}  // namespace

void init_element_class(GstBaseTransformClass* klass, const ElementDescription& d, GstCaps* sink, GstCaps* src) {
  auto* element_class = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_pad_template(element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sink));
  gst_element_class_add_pad_template(element_class, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, src));
  gst_caps_unref(sink);
  gst_caps_unref(src);
  gst_element_class_set_static_metadata(element_class, d.long_name, d.classification, d.description,
                                        "pplcam developers");
  gst_element_class_add_static_metadata(element_class, kTakesKey, d.takes);
  klass->accept_caps = accept_caps;
  use_aligned_allocation(klass);
}

const char* what_element_takes(GstBaseTransform* trans) {
  return gst_element_class_get_metadata(GST_ELEMENT_GET_CLASS(trans), kTakesKey);
}

}  // namespace pplcam_gst
