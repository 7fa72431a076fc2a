#include "negotiation.h"

namespace pplcam_gst {

gboolean accept_caps_or_explain(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps,
                                const char* what_it_takes) {
  auto* base = GST_BASE_TRANSFORM_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(trans)));
  if (base->accept_caps(trans, direction, caps)) return TRUE;
  if (direction == GST_PAD_SINK && gst_caps_is_fixed(caps)) {
    gchar* refused = gst_caps_to_string(caps);
    GST_ELEMENT_WARNING(trans, CORE, NEGOTIATION, ("%s, not %s.", what_it_takes, refused), (nullptr));
    g_free(refused);
  }
  return FALSE;
}

}  // namespace pplcam_gst
