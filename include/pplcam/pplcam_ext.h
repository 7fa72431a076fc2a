/*
 * pplcam extensions — calls beyond the camera pipeline's original API.
 *
 * Everything in pplcam.h keeps its behaviour byte for byte: the same
 * pictures, statistics and refusals whether or not a caller uses anything
 * declared here. The calls in this header add what the original API has no
 * room for (choosing among more kernel paths, statistics read as plain
 * levels, larger frames, ...). They follow the conventions of pplcam.h:
 * the context first, byte results of 1 for success and 0 for a refusal
 * unless a call says otherwise, nothing allocated, no locks.
 *
 * Names start with ppl_ext_ (functions) and PPL_EXT_ (constants), so a
 * reader can tell an extension call from an original one at the call site.
 */
#ifndef PPLCAM_PPLCAM_EXT_H
#define PPLCAM_PPLCAM_EXT_H

#include <stddef.h>
#include <stdint.h>

#include "pplcam/pplcam.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ======================================================================
 * Kernel paths
 * ====================================================================== */

/* ======================================================================
 * Statistics read as levels
 * ====================================================================== */

/* ======================================================================
 * Large frames
 * ====================================================================== */

#ifdef __cplusplus
}
#endif

#endif /* PPLCAM_PPLCAM_EXT_H */
