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
 *
 * Extensions. Every frame runs on one kernel path: the kernels of one
 * instruction set. A processing operation runs the widest path its call
 * allows (pplcam.h: buffer alignment, processor, P3_only; a Bayer width
 * that is not a multiple of 16 runs on the MMX path); every path gives the
 * same pictures. The statistics follow the column-group width a path
 * reproduces: 8 bytes on the MMX path, 16 on the SSE2 path and on every
 * wider one. These calls show which paths there are and which one ran, and
 * let a caller narrow the choice, for diagnosis and comparison.
 * ====================================================================== */

/* Path ids, narrowest first. Ids 3 (AVX2) and 4 (AVX-512) are reserved for
 * later paths, which will reproduce the SSE2 path's bytes and statistics. */
#define PPL_EXT_PATH_NONE 0 /* no kernel ran */
#define PPL_EXT_PATH_MMX 1  /* 8-byte registers and column groups */
#define PPL_EXT_PATH_SSE2 2 /* 16-byte registers and column groups; 16-byte-aligned buffers */

/** Extension. Bit (1 << id) for every path this processor, operating
 *  system and build can run; 0 when none can (the converters then write
 *  their fallback fill). */
PPLAPI uint32_t PPLCALL ppl_ext_available_paths(void);

/** Extension. Sets the widest path the context may choose, one of the ids
 *  above from PPL_EXT_PATH_MMX up to the widest this build has. Any other
 *  id, PPL_EXT_PATH_NONE included, is refused with 0 and the limit kept;
 *  1 otherwise. A limit above what the processor or a call allows is no
 *  error: the call runs the widest path it can. The limit and P3_only both
 *  narrow the choice; either one forces the MMX path. ppl_init sets no
 *  limit (the widest path of the build); ppl_reset_all_controls leaves the
 *  limit as it is. */
PPLAPI uint8_t PPLCALL ppl_ext_set_path_limit(ppl_context* ctx, int32_t id);
/** Extension. The context's path limit. */
PPLAPI int32_t PPLCALL ppl_ext_path_limit(ppl_context* ctx);

/** Extension. The path that ran the context's last frame, as every
 *  processing operation (and so every converter that runs one) records it;
 *  PPL_EXT_PATH_NONE when the last operation ran no kernel (a refused size,
 *  RGB24 to RGB32, a progressive I420 call at a decimation mode other than
 *  0, a geometry its kernels refuse) and on a fresh context. A converter
 *  that writes its fallback fill does not use the context and leaves the
 *  value as it was. */
PPLAPI int32_t PPLCALL ppl_ext_last_path(ppl_context* ctx);

/** Extension. The name of a path id: "none", "mmx", "sse2"; NULL for an id
 *  this build does not know. */
PPLAPI const char* PPLCALL ppl_ext_path_name(int32_t id);

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
