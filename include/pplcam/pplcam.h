/*
 * pplcam — the image pipeline of a USB camera.
 *
 * A camera's streaming driver hands the library one frame at a time with a
 * destination buffer; the library converts it and returns. Inputs are raw
 * 8-bit Bayer mosaics (blue at row 0, column 0; the API spells the mosaic
 * "Baylor"), progressive YUYV/UYVY and interlaced YUYV/UYVY fields. Outputs
 * are planar I420, packed YUYV/UYVY and bottom-up RGB24/RGB32 (bytes B, G, R).
 *
 * Conventions
 *  - Every call except ppl_init, DllUnload and the converters' fallback
 *    takes a context from ppl_init first. Results are a byte: 1 success,
 *    0 failure or refusal, unless a function says otherwise.
 *  - The library allocates nothing, starts no threads and takes no locks.
 *    Serialise ppl_init/ppl_free; use one context from one thread at a time.
 *  - Converters (names ending in MMX) need 8-byte-aligned buffers and a
 *    processor with the MMX integer extensions (any x86-64). With 16-byte-
 *    aligned buffers on an SSE2 processor they run the 16-byte (SSE2)
 *    kernels, otherwise the 8-byte (MMX) kernels; both give the same
 *    pictures. A converter that cannot run writes its fallback fill (listed
 *    with each converter) and returns 0.
 *  - The Bayer converters condition the source frame in place (gain, offset,
 *    gamma) at qualities 0..3: the source holds conditioned bytes afterwards.
 */
#ifndef PPLCAM_PPLCAM_H
#define PPLCAM_PPLCAM_H

#include <stdint.h>

/* Calling convention of every exported function: stdcall on 32-bit x86
 * (the callee pops its arguments), the platform's only convention on x86-64. */
#if defined(__i386__) || defined(_M_IX86)
#if defined(_MSC_VER)
#define PPLCALL __stdcall
#else
#define PPLCALL __attribute__((stdcall))
#endif
#else
#define PPLCALL
#endif

#if defined(_WIN32)
#if defined(PPLCAM_BUILDING)
#define PPLAPI __declspec(dllexport)
#else
#define PPLAPI
#endif
#elif defined(__GNUC__)
#define PPLAPI __attribute__((visibility("default")))
#else
#define PPLAPI
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Per-stream state: one of eight static slots. Opaque to the caller. */
typedef struct ppl_context ppl_context;

/* ======================================================================
 * Lifecycle
 * ====================================================================== */

/** Hands out the lowest free of the eight context slots with every control
 *  at its default (quality 3, gains 1.0, identity colour matrix, ...).
 *  Returns NULL when all eight are in use. A reused slot keeps its last
 *  frame size, statistics and frame counter. */
PPLAPI ppl_context* PPLCALL ppl_init(void);

/** Returns the slot to the pool. 0 for NULL, else 1. Does not check that
 *  ctx came from ppl_init; freeing twice is harmless but not detected. */
PPLAPI uint8_t PPLCALL ppl_free(ppl_context* ctx);

/** Puts every control back to its ppl_init default. Keeps the frame size,
 *  statistics and frame counter. Returns the result of resetting the
 *  horizontal mirror (normally 1). */
PPLAPI uint8_t PPLCALL ppl_reset_all_controls(ppl_context* ctx);

/** Unload notification of the export-library convention: does nothing and
 *  returns 0. */
PPLAPI uint32_t PPLCALL DllUnload(void);

/* ======================================================================
 * Frame geometry
 * ====================================================================== */

/** Sets the input size of the Bayer converters (they call it themselves
 *  when the size changes). Refuses (0, nothing changed) widths above 1280
 *  and heights above 1024, negative sizes included. Keep the width a
 *  multiple of 16, at least 128, and the height even, at least 12: smaller
 *  frames are accepted but produce no statistics scale. */
PPLAPI uint8_t PPLCALL ppl_new_frame_size(ppl_context* ctx, int32_t width, int32_t height);

/** Sets input and output size of the YUV and interlaced converters (they call
 *  it themselves when a size changes). Accepted pairs, with the decimation
 *  mode they give:
 *
 *    in        out                                   mode  black lines
 *    320x240   320x240                                 0    none
 *    320x240   160x120                                 1    none
 *    480x480   480x480 or 480x576                      0    split
 *    480x576   480x576                                 0    none
 *    640x480   640x480 / 320x240 / 160x120 / 1280x960  0/1/2/-1 none
 *    704xH     704 x (>= H)                            0    split
 *    704xH     352 x (>= H/2)                          1    split
 *    704xH     176 x (>= H/4)                          2    split
 *    720xH     720 x (>= H)                            0    split
 *    1280x1024 1280x1024                               0    none
 *    (H is 480 or 576)
 *
 *  "split" puts the surplus output lines S above and below the picture:
 *  S/2 on top, the rest (the odd line) below. Every other pair is refused
 *  (0, geometry unchanged), including 640x480 to 352-wide outputs (there is
 *  no 640-to-352 scaler) and heights whose RGB24 byte count would not fit
 *  in 31 bits. */
PPLAPI uint8_t PPLCALL ppl_new_frame_sizes(ppl_context* ctx, int32_t in_width, int32_t in_height,
                                           int32_t out_width, int32_t out_height);

/** Sets the decimation mode (0 full size, 1 half, 2 quarter, -1 double) and
 *  the black lines above and below the picture. 0 for a mode outside -1..2.
 *  Calling it with the stored values recomputes nothing. */
PPLAPI uint8_t PPLCALL ppl_set_decimation(ppl_context* ctx, int32_t mode, int32_t top_black_lines,
                                          int32_t bottom_black_lines);
/** ppl_set_decimation(ctx, 0, 0, 0). */
PPLAPI uint8_t PPLCALL ppl_reset_decimation(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation_top_black_lines(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation_bottom_black_lines(ppl_context* ctx);

/* ======================================================================
 * Picture controls
 * ====================================================================== */

/* ======================================================================
 * Statistics
 * ====================================================================== */

/* ======================================================================
 * Converters
 *
 * Bayer converters: (ctx, src, dst, width, height), width x height raw
 * bytes in src. The plain form converts at full size, _deci_2_1 at half
 * size and _intp_1_2 at double size. Each returns the result of its
 * ppl_process_blr* operation (1 for a demosaiced frame, 0 for raw
 * passthrough at quality 4 or 5 or a refused size), or 0 with the fallback
 * fill when a pointer is not 8-byte aligned, the processor lacks the MMX
 * integer extensions or the floating-point state cannot be saved.
 *
 * Fallback fills, with n = width x height:
 *   YUV outputs:        n bytes of src, then n/2 bytes of 128
 *   YUV _deci_2_1:      n/4 bytes of src, then n/8 bytes of 128
 *   YUV _intp_1_2:      n bytes of src, then 5n bytes of 128 (the 4n luma
 *                       bytes beyond the source are mid-grey 128 too)
 *   RGB24 / RGB32:      3n / 4n bytes of 255 (x1/4 for _deci_2_1, x4 for
 *                       _intp_1_2)
 * A fill never writes more than the destination size of its mode and never
 * reads src beyond its own size; a negative size writes nothing.
 * ====================================================================== */

PPLAPI uint8_t PPLCALL BaylorToI420MMX(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToI420MMX_deci_2_1(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToI420MMX_intp_1_2(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToYUYVMMX(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToYUYVMMX_deci_2_1(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToYUYVMMX_intp_1_2(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToUYVYMMX(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToUYVYMMX_deci_2_1(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToUYVYMMX_intp_1_2(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB24MMX(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB24MMX_deci_2_1(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB24MMX_intp_1_2(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB32MMX(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB32MMX_deci_2_1(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL BaylorToRGB32MMX_intp_1_2(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);

/* Progressive converters: (ctx, src, dst, in_width, in_height, out_width,
 * out_height), sizes from the ppl_new_frame_sizes table. Fallback fill with
 * n = out_width x out_height: I420 outputs n bytes of src then n/2 bytes of
 * 128; RGB24 outputs 3n bytes of 255; RGB24ToRGB32MMX 4n bytes of 255.
 * Bytes a copy would take from beyond the end of src are written as 128. */
PPLAPI uint8_t PPLCALL YUYVToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL UYVYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL YUYVToRGB24MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL UYVYToRGB24MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL YUYVYYYYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL UYVYYYYYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL RGB24ToRGB32MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/* Interlaced converters: (ctx, reference, first, second, dst, in_width,
 * in_height, out_width, out_height). Each field is in_height/2 lines of
 * 2 x in_width bytes; the reference field is the previous frame's field of
 * the second field's parity. Fallback fill with n = out_width x out_height:
 * packed outputs n bytes of the first field then n bytes of the second
 * field; I420 outputs n bytes of the first field then n/2 bytes of 128;
 * RGB24 outputs 3n bytes of 255. Bytes a copy would take from beyond the
 * end of a field (outputs with black lines) are written as 128. */
PPLAPI uint8_t PPLCALL IntlYUYVToYUYVMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToYUYVMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToUYVYMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToUYVYMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToYUYVMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToYUYVMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToI420MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToI420MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToI420MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToI420MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToRGB24MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToRGB24MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToRGB24MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToRGB24MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/* ======================================================================
 * Processing operations
 *
 * The layer below the converters, for callers that do their own
 * floating-point bracketing and alignment checks. Same arguments as the
 * converter. Each re-sizes the frame when a size differs from the last
 * call (0 and nothing written when the size is refused) and runs the SSE2
 * kernels when every buffer is 16-byte aligned, the processor has SSE2 and
 * P3_only is off, else the MMX kernels. A conversion whose kernels are not
 * part of this build returns 0 after the size check and writes nothing.
 * ====================================================================== */

PPLAPI uint8_t PPLCALL ppl_process_blrtoi420(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL ppl_process_blrtoyuyv(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL ppl_process_blrtouyvy(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL ppl_process_blrtorgb24(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
PPLAPI uint8_t PPLCALL ppl_process_blrtorgb32(ppl_context* ctx, uint8_t* src, uint8_t* dst, int32_t width, int32_t height);

PPLAPI uint8_t PPLCALL ppl_process_yuyvtoi420(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_uyvytoi420(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_yuyvtorgb24(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_uyvytorgb24(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_yuyvyyyytoi420(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_uyvyyyyytoi420(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_rgb24torgb32(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

PPLAPI uint8_t PPLCALL ppl_process_intlyuyvtoyuyv(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_intluyvytouyvy(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_intlyuyvtoi420(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_intluyvytoi420(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_intlyuyvtorgb24(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL ppl_process_intluyvytorgb24(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

#ifdef __cplusplus
}
#endif

#endif /* PPLCAM_PPLCAM_H */
