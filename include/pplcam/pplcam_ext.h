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

/* Path ids, narrowest first. The AVX2 and AVX-512 paths (extensions) give
 * the SSE2 path's bytes and statistics, under the same alignment rule; they
 * run where the processor and the operating system support their
 * registers and, in the Windows kernel, only under an exported converter,
 * which saves the extended register state itself (a caller of a processing
 * operation saves only the floating-point state: at most SSE2 runs there). */
#define PPL_EXT_PATH_NONE 0   /* no kernel ran */
#define PPL_EXT_PATH_MMX 1    /* 8-byte registers and column groups */
#define PPL_EXT_PATH_SSE2 2   /* 16-byte registers and column groups; 16-byte-aligned buffers */
#define PPL_EXT_PATH_AVX2 3   /* extension: AVX2; the SSE2 path's groups and alignment */
#define PPL_EXT_PATH_AVX512 4 /* extension: AVX-512 F, BW, VL, VBMI; the same again */

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
 *
 * An extension. The original means (ppl_rgb_means_sub_windows and the
 * others) follow fixed sampling and scaling rules: each window sum is
 * divided by a normaliser made for a nominal number of samples, so a
 * window that holds more or fewer sampled cells than that reads above or
 * below the picture's level (on the 16-byte path neighbouring windows of a
 * flat frame alternate between about 0.8 and 1.2 times its level), and the
 * whole-frame means depend on the path and the frame size. They stay as
 * they are.
 *
 * The calls below divide the same sums by the number of cells each region
 * really sampled: a mean is the plain average of the conditioned cell
 * values the library summed (after gains, offsets and the RGB gamma
 * table, as left in the source frame), so a frame whose photosites are all
 * conditioned to level L reads L x 256 in every region with samples, on
 * both paths and at every size. Units are 1/256 of a sample level (8.8),
 * rounded to nearest; G is the mean of both greens of each cell. Counts
 * are 2 x 2 cells actually sampled (not scaled to the frame). Like the
 * original results they describe the last Bayer frame on the context; they
 * are computed when asked, from that frame's sums, size, quality and path.
 *
 * Quality 3 samples the whole frame evenly but fills no window: its
 * windows and the outside region read 0 with 0 cells, and only
 * ppl_ext_level_means_whole_frame has a mean. Raw passthrough (quality 4
 * or 5), mean collection off, and a slot that has not converted a Bayer
 * frame give 0 everywhere.
 * ====================================================================== */

/** Level means of the 8 x 6 windows and of the region outside the grid:
 *  writes 49 triples r, g, b (the 48 windows in row-major order, then the
 *  outside region) to means[147] and the 49 numbers of sampled cells to
 *  cells[49]; either pointer may be NULL. A region without sampled cells
 *  reads 0, 0, 0. Returns the number of cells sampled in the 49 regions
 *  together (0 at quality 3). */
PPLAPI uint32_t PPLCALL ppl_ext_level_means_sub_windows(ppl_context* ctx, uint32_t* means, uint32_t* cells);

/** Level means of every cell the last Bayer frame sampled (the 49 regions
 *  at qualities 0..2, the whole frame at quality 3): writes r, g, b to
 *  means[3] unless it is NULL, and returns the number of those cells (0,
 *  with means 0, 0, 0, when nothing was sampled). */
PPLAPI uint32_t PPLCALL ppl_ext_level_means_whole_frame(ppl_context* ctx, uint32_t* means);

/* ======================================================================
 * Large frames
 *
 * Extension, per context, off by default. pplcam.h caps frames at
 * 1280 x 1024 (ppl_new_frame_size) and the progressive and interlaced
 * operations at the pairs of their size table. With large frames on, a
 * context accepts as well:
 *  - input sizes with a width that is a multiple of 8 from 128 to 4096
 *    (the Bayer frames of a width that is not a multiple of 16 run on the
 *    MMX path; the progressive and interlaced kernels need multiples of 16)
 *    and an even height from 12 to 4096, within what the work area holds;
 *  - for the progressive and interlaced operations, any size pair whose
 *    output is the input scaled by a decimation mode (0: the same size,
 *    1: half, 2: quarter, -1: double), without black lines; black lines
 *    only where the caller sets them (ppl_set_decimation, then the stored
 *    sizes). The pairs of the size table keep their modes and black lines.
 * For a frame beyond 1280 x 1024 (either side) an output picture larger
 * than 4096 x 4096 and an odd I420 output height are refused (0, nothing
 * written). Frames within 1280 x 1024 give the same pictures, statistics
 * and results with the control on or off.
 *
 * The library still allocates nothing: the rows a larger frame keeps
 * between its row pairs go into a work area the caller hands over and keeps
 * alive, unchanged by anyone else, until it turns the control off or frees
 * the context (ppl_free and the next ppl_init of the slot forget it).
 * Statistics at these sizes follow the same sampling rules (8 x 6 grid,
 * scales, normalisers) computed in 64 bits, with 8 more bits in the window
 * normalisers; the level means above stay plain 0..255 levels (x 256).
 * The exported converters' fallback fills need no context and take any
 * size as before.
 * ====================================================================== */

#define PPL_EXT_LARGE_FRAME_MAX_WIDTH 4096
#define PPL_EXT_LARGE_FRAME_MAX_HEIGHT 4096
/* The work area's start must be a multiple of this many bytes. */
#define PPL_EXT_LARGE_FRAME_ALIGNMENT 64

/** Extension. Bytes of a work area that holds frames up to max_width
 *  pixels wide (1..4096; 0 for any other width). Today 24576 up to 1349,
 *  49152 up to 2714, 81920 up to 4084, 98304 up to 4096. */
PPLAPI uint32_t PPLCALL ppl_ext_large_frame_work_bytes(int32_t max_width);

/** Extension. Turns large frames on for the context, its work area `work`
 *  of `bytes` bytes (the caller's, PPL_EXT_LARGE_FRAME_ALIGNMENT-aligned,
 *  at least ppl_ext_large_frame_work_bytes(1)); the widest frame it holds
 *  is the widest whose ppl_ext_large_frame_work_bytes is at most `bytes`.
 *  A NULL, misaligned or smaller area is refused with 0 and nothing
 *  changed; 1 otherwise. Called again, the new area replaces the old. A
 *  stored frame size the new area does not hold is forgotten (stored as
 *  0 x 0): the next call of that size re-sizes and is refused. */
PPLAPI uint8_t PPLCALL ppl_ext_enable_large_frames(ppl_context* ctx, void* work, uint32_t bytes);

/** Extension. Turns large frames off: the context's limits and answers are
 *  those of pplcam.h again and it no longer touches the caller's area. A
 *  stored frame size beyond 1280 x 1024 is forgotten as above. Returns 1. */
PPLAPI uint8_t PPLCALL ppl_ext_disable_large_frames(ppl_context* ctx);

/** Extension. The widest input the context accepts beyond 1280 x 1024 now:
 *  a multiple of 8 up to 4096 while large frames are on, 0 when off. */
PPLAPI int32_t PPLCALL ppl_ext_large_frame_max_width(ppl_context* ctx);

#ifdef __cplusplus
}
#endif

#endif /* PPLCAM_PPLCAM_EXT_H */
