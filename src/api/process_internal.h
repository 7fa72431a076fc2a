// Processing operations that have no export of their own: the plain-weave
// twins of the interlaced operations and the UYVY-to-YUYV operation.
#pragma once

#include <cstdint>

#include "pplcam/pplcam.h"

namespace pplcam {

#define PPL_INTL_ARGS                                                                           \
  ppl_context *ctx, const uint8_t *ref, const uint8_t *first, const uint8_t *second, uint8_t *dst, \
      int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height

uint8_t process_intlyuyvtoyuyv_no_motion(PPL_INTL_ARGS);
uint8_t process_intluyvytouyvy_no_motion(PPL_INTL_ARGS);
uint8_t process_intluyvytoyuyv(PPL_INTL_ARGS);
uint8_t process_intluyvytoyuyv_no_motion(PPL_INTL_ARGS);
uint8_t process_intlyuyvtoi420_no_motion(PPL_INTL_ARGS);
uint8_t process_intluyvytoi420_no_motion(PPL_INTL_ARGS);
uint8_t process_intlyuyvtorgb24_no_motion(PPL_INTL_ARGS);
uint8_t process_intluyvytorgb24_no_motion(PPL_INTL_ARGS);

}  // namespace pplcam
