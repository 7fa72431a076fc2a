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
 *    ppl_init and ppl_free may be called from several threads at once (a
 *    slot is claimed atomically, never handed to two callers). Use one
 *    context from one thread at a time; different contexts may convert on
 *    different threads at once. Shared by all contexts: the centre-weighted
 *    means (ppl_rgb_means_whole_frame_4pts/_central*), see there.
 *  - A context used after ppl_free (or freed twice) is not detected.
 *  - A NULL buffer is refused by every converter and processing operation:
 *    0, nothing read, written or changed.
 *  - Buffer sizes: see "Buffer sizes" before the converters. No call reads
 *    or writes outside the byte counts given there.
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
 *  Calling it with the stored values recomputes nothing. Black lines are
 *  stored as given; a processing operation refuses (0, nothing written) a
 *  geometry with negative black lines or with an output of more than
 *  2^31 - 1 bytes at 4 bytes a pixel. */
PPLAPI uint8_t PPLCALL ppl_set_decimation(ppl_context* ctx, int32_t mode, int32_t top_black_lines,
                                          int32_t bottom_black_lines);
/** ppl_set_decimation(ctx, 0, 0, 0). */
PPLAPI uint8_t PPLCALL ppl_reset_decimation(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation_top_black_lines(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_decimation_bottom_black_lines(ppl_context* ctx);

/* ======================================================================
 * Picture controls
 *
 * Each setter stores the plain value in the context, then rebuilds the
 * packed constants of both kernel paths (when the processor has them) in
 * one saved floating-point state. A value that passes the setter's own
 * check but that the packed form cannot hold (a gain above 2047, a delta
 * outside 16 bits) stays stored while the packed constants keep their
 * previous contents, and the setter returns 0; the getters report the
 * stored value. When the floating-point state cannot be saved, a setter
 * stores its value, rebuilds nothing and returns 1. Resets store the
 * ppl_init default the same way. nf88 values are signed 8.8 fixed point
 * (256 = 1.0).
 * ====================================================================== */

/* --- White balance: gains and offsets per channel ---------------------
 * Gains are nf88, 0..2047 (x0 to x8); deltas are added to the raw samples
 * after the gain and must fit in 16 bits (-32768..32767). The three-channel
 * setters check r, then g, then b; the one-channel setters check and
 * rebuild only their own channel and take the other channel of the same
 * Bayer row pair from the stored values as they are. */
PPLAPI uint8_t PPLCALL ppl_set_rgb_gain(ppl_context* ctx, int32_t r, int32_t g, int32_t b);
PPLAPI uint8_t PPLCALL ppl_set_r_gain(ppl_context* ctx, int32_t r);
PPLAPI uint8_t PPLCALL ppl_set_g_gain(ppl_context* ctx, int32_t g);
PPLAPI uint8_t PPLCALL ppl_set_b_gain(ppl_context* ctx, int32_t b);
/** Gains back to 256, 256, 256. */
PPLAPI void PPLCALL ppl_reset_rgb_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_r_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_g_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_b_gain(ppl_context* ctx);

PPLAPI uint8_t PPLCALL ppl_set_rgb_delta(ppl_context* ctx, int32_t r, int32_t g, int32_t b);
PPLAPI uint8_t PPLCALL ppl_set_r_delta(ppl_context* ctx, int32_t r);
PPLAPI uint8_t PPLCALL ppl_set_g_delta(ppl_context* ctx, int32_t g);
PPLAPI uint8_t PPLCALL ppl_set_b_delta(ppl_context* ctx, int32_t b);
/** Deltas back to 0, 0, 0. */
PPLAPI void PPLCALL ppl_reset_rgb_delta(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_r_delta(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_g_delta(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_b_delta(ppl_context* ctx);

/* --- Sensor colour matrix ----------------------------------------------
 * Nine nf88 values, row-major (m00 m01 m02 m10 ... m22), applied to the
 * camera's r, g, b before the saturation, hue and contrast adjustment. Any
 * values are accepted; products that leave the kernels' coefficient range
 * (-4.0 .. 3.98) are clamped to it. */

/** Copies m[9] in and rebuilds the colour matrices; 1. A NULL m is refused
 *  (0, nothing changed). */
PPLAPI uint8_t PPLCALL ppl_copy_sensor_matrix(ppl_context* ctx, const int32_t* m);
/** Identity (256 on the diagonal). Returns what ppl_copy_sensor_matrix does. */
PPLAPI uint8_t PPLCALL ppl_reset_sensor_matrix(ppl_context* ctx);
/** Copies the nine stored values to out[9] (nothing when out is NULL) and
 *  returns the last element, m22. */
PPLAPI int32_t PPLCALL ppl_sensor_matrix(ppl_context* ctx, int32_t* out);

/* --- Caller-owned extras ---------------------------------------------
 * A second set of gains (the quals gains) and three dekneel tables, kept
 * for the caller; no conversion uses them. Their setters and copies store
 * and always return 0. */
PPLAPI uint8_t PPLCALL ppl_set_quals_rgb_gain(ppl_context* ctx, int32_t r, int32_t g, int32_t b);
PPLAPI uint8_t PPLCALL ppl_set_quals_r_gain(ppl_context* ctx, int32_t r);
PPLAPI uint8_t PPLCALL ppl_set_quals_g_gain(ppl_context* ctx, int32_t g);
PPLAPI uint8_t PPLCALL ppl_set_quals_b_gain(ppl_context* ctx, int32_t b);
/** Quals gains back to 256, 256, 256. */
PPLAPI void PPLCALL ppl_reset_quals_rgb_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_quals_r_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_quals_g_gain(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_quals_b_gain(ppl_context* ctx);

/** Copy 256 bytes from src into a dekneel table and return 0 (also when src
 *  is NULL, which copies nothing). */
PPLAPI uint8_t PPLCALL ppl_copy_r_dekneel_table(ppl_context* ctx, const uint8_t* src);
PPLAPI uint8_t PPLCALL ppl_copy_g_dekneel_table(ppl_context* ctx, const uint8_t* src);
PPLAPI uint8_t PPLCALL ppl_copy_b_dekneel_table(ppl_context* ctx, const uint8_t* src);
/** All three dekneel tables back to identity (entry i = i). */
PPLAPI void PPLCALL ppl_reset_rgb_dekneel_table(ppl_context* ctx);
/** The stored 256-byte tables; valid as long as the context. */
PPLAPI const uint8_t* PPLCALL ppl_r_dekneel_table(ppl_context* ctx);
PPLAPI const uint8_t* PPLCALL ppl_g_dekneel_table(ppl_context* ctx);
PPLAPI const uint8_t* PPLCALL ppl_b_dekneel_table(ppl_context* ctx);

/* --- Saturation and hue ----------------------------------------------
 * sat is nf88, 0..512 (0 grey, 256 unchanged, 512 double chroma); hue is
 * any number of degrees, stored as hue mod 360 in 0..359. Both rotate and
 * scale the chroma of every Bayer output. */

/** Refuses sat outside 0..512 (0, nothing stored). Otherwise stores sat and
 *  the normalised hue and rebuilds the colour matrices; 1. */
PPLAPI uint8_t PPLCALL ppl_set_sat_hue(ppl_context* ctx, int32_t sat, int32_t hue);
/** ppl_set_sat_hue with the stored hue. */
PPLAPI uint8_t PPLCALL ppl_set_sat(ppl_context* ctx, int32_t sat);
/** ppl_set_sat_hue with the stored sat. */
PPLAPI uint8_t PPLCALL ppl_set_hue(ppl_context* ctx, int32_t hue);
/** ppl_set_sat_hue(ctx, 256, 0). */
PPLAPI uint8_t PPLCALL ppl_reset_sat_hue(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_sat(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_hue_degree(ppl_context* ctx);

/* --- Contrast ----------------------------------------------------------
 * The contrast curve is a 256-entry table through (0, 0), (x, y),
 * (255 - x, 255 - y), (255, 255), straight between the points; with x = 0
 * it is the one line from (0, y) to (255, 255 - y). y in 0..255 keeps the
 * curve in byte range; other y give entries taken modulo 256. */

/** Refuses x outside 0..127 (0, nothing stored). Otherwise stores x and y,
 *  rebuilds the curve and its gamma composites, and returns
 *  ppl_set_sat_hue with the stored sat and hue (which applies the luma gain
 *  of the stored contrast level to the colour matrices). */
PPLAPI uint8_t PPLCALL ppl_set_contrast_xy(ppl_context* ctx, int32_t x, int32_t y);
/** Contrast level c in -127..127 (0 otherwise, nothing stored). c > 0
 *  stretches: inputs up to c become 0 and inputs from 255 - c become 255,
 *  and the luma gain of the colour matrices is 1 + 2c/256. c < 0 compresses
 *  the curve into -c..255 + c with a luma gain of 1 + c/256. The points it
 *  uses (x = max(c, 0), y = max(-c, 0)) are written through the non-NULL
 *  pointers. Returns ppl_set_contrast_xy(ctx, x, y). */
PPLAPI uint8_t PPLCALL ppl_set_contrast_c(ppl_context* ctx, int32_t c, uint32_t* out_x, uint32_t* out_y);
/** Contrast level 0 and the identity curve; returns ppl_set_contrast_xy. */
PPLAPI uint8_t PPLCALL ppl_reset_contrast(ppl_context* ctx);
/** Replaces the contrast curve by src[256] and rebuilds the composites; the
 *  contrast level and the colour matrices stay. 1 (0 for a NULL src, nothing
 *  changed). */
PPLAPI uint8_t PPLCALL ppl_copy_contrast_table(ppl_context* ctx, const uint8_t* src);
/** The contrast curve and the two composites gamma(contrast(i)); 256
 *  bytes each, valid as long as the context. */
PPLAPI const uint8_t* PPLCALL ppl_contrast_table(ppl_context* ctx);
PPLAPI const uint8_t* PPLCALL ppl_yuv_contrast_gamma_table(ppl_context* ctx);
PPLAPI const uint8_t* PPLCALL ppl_rgb_contrast_gamma_table(ppl_context* ctx);

/* --- Gamma -------------------------------------------------------------
 * 65 stored settings, -32..32, each a pair of curves: the rgb curve, which
 * the Bayer conversions apply to the raw samples, and a studio-range yuv
 * curve (16..235) kept for the caller. Setting 0 is the ITU-R BT.709
 * transfer curve (exponent 0.45); setting s has the exponent
 * 0.45 e^(-3s/64), so higher settings brighten and lower ones darken. */

/** Refuses settings outside -32..32 (0, nothing changed). Otherwise loads
 *  both curves of the setting, rebuilds the composites and sets the
 *  nf20_12 gamma to the setting's exponent; 1. */
PPLAPI uint8_t PPLCALL ppl_set_gamma(ppl_context* ctx, int32_t setting);
/** ppl_set_gamma(ctx, 0). */
PPLAPI void PPLCALL ppl_reset_gamma(ppl_context* ctx);
/** Replace one curve by src[256], rebuild the composites and set the
 *  nf20_12 gamma to 0 (a free curve has no exponent); the setting keeps its
 *  last value. 1 (0 for a NULL src, nothing changed). */
PPLAPI uint8_t PPLCALL ppl_copy_yuv_gamma_table(ppl_context* ctx, const uint8_t* src);
PPLAPI uint8_t PPLCALL ppl_copy_rgb_gamma_table(ppl_context* ctx, const uint8_t* src);
/** The two gamma curves in use; 256 bytes each. */
PPLAPI const uint8_t* PPLCALL ppl_yuv_gamma_table(ppl_context* ctx);
PPLAPI const uint8_t* PPLCALL ppl_rgb_gamma_table(ppl_context* ctx);
/** Returns the exponent in 20.12 fixed point (floor(4096 x 0.45 e^(-3s/64)):
 *  8260 at -32, 1843 at 0, 411 at 32; 0 after a table copy) and writes the
 *  setting, -32 and 32 through the pointers that are not NULL. */
PPLAPI int32_t PPLCALL ppl_nf20_12_gamma(ppl_context* ctx, int32_t* setting, int32_t* min, int32_t* max);

/* --- Edge enhancement, interlace threshold -------------------------------
 * Thresholds taken as unsigned, so negative values are refused (0,
 * nothing stored). */

/** Edge detection threshold of the quality-0 sharpening, 0..1530. */
PPLAPI uint8_t PPLCALL ppl_set_edge_threshold(ppl_context* ctx, int32_t v);
/** Back to 100. */
PPLAPI void PPLCALL ppl_reset_edge_threshold(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_edge_threshold(ppl_context* ctx);
/** Sharpening strength, nf88 0..256 (used in steps of 4); default 32. */
PPLAPI uint8_t PPLCALL ppl_set_nf88_edge_enhance_factor(ppl_context* ctx, int32_t v);
PPLAPI void PPLCALL ppl_reset_nf88_edge_enhance_factor(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_nf88_edge_enhance_factor(ppl_context* ctx);
/** Motion threshold of the interlaced converters, 0..765; default 50. */
PPLAPI uint8_t PPLCALL ppl_set_intl_3T_threshold(ppl_context* ctx, int32_t v);
PPLAPI void PPLCALL ppl_reset_intl_3T_threshold(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_intl_3T_threshold(ppl_context* ctx);

/* --- Mirrors, quality and flags ------------------------------------------ */

/** Mirror the output left-right / top-bottom (nonzero = on; the byte is
 *  stored as given). Takes effect on the next conversion; 1. */
PPLAPI uint8_t PPLCALL ppl_set_h_mirror(ppl_context* ctx, uint8_t on);
PPLAPI uint8_t PPLCALL ppl_set_v_mirror(ppl_context* ctx, uint8_t on);
/** Both mirrors off. */
PPLAPI void PPLCALL ppl_reset_mirrors(ppl_context* ctx);
PPLAPI uint8_t PPLCALL ppl_h_mirror(ppl_context* ctx);
PPLAPI uint8_t PPLCALL ppl_v_mirror(ppl_context* ctx);

/** Bayer quality: 0 edge-directed demosaic with luma sharpening, 1 the same
 *  without sharpening, 2 bilinear, 3 2x2 cell replication (default), 4 and
 *  5 raw passthrough. 0 and nothing stored outside 0..5. */
PPLAPI uint8_t PPLCALL ppl_set_quality(ppl_context* ctx, int32_t q);
PPLAPI void PPLCALL ppl_reset_quality(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_quality(ppl_context* ctx);

/** Statistics gathering during Bayer conversions (nonzero = on, default
 *  on); 1. */
PPLAPI uint8_t PPLCALL ppl_set_mean_collection(ppl_context* ctx, uint8_t on);
PPLAPI void PPLCALL ppl_reset_mean_collection(ppl_context* ctx);
PPLAPI uint8_t PPLCALL ppl_mean_collection(ppl_context* ctx);

/** Nonzero forces the 8-byte (MMX) kernels even where the SSE2 kernels
 *  could run (default off); 1. */
PPLAPI uint8_t PPLCALL ppl_set_P3_only(ppl_context* ctx, uint8_t on);
PPLAPI void PPLCALL ppl_reset_P3_only(ppl_context* ctx);
PPLAPI uint8_t PPLCALL ppl_P3_only(ppl_context* ctx);

/** Sensor identification, stored for the caller: one of 0x5754 ("TW"),
 *  0x5948 ("HY"), 0x42564F ("OVB"), 0x07544F4D ("MOT" + 7), read as
 *  little-endian bytes. Other codes: 0, the stored code stays. A slot
 *  starts at 0; ppl_init and ppl_reset_all_controls leave the code alone. */
PPLAPI uint8_t PPLCALL ppl_set_sensor_type(ppl_context* ctx, int32_t code);
PPLAPI int32_t PPLCALL ppl_sensor_type(ppl_context* ctx);

/* ======================================================================
 * Statistics
 *
 * While a Bayer frame is converted (with mean collection on) the library
 * samples 2x2 cells (B, Gb / Gr, R) and gathers: R, G, B sums over an 8 x 6
 * grid of sub-windows and over the region outside it, the same over the
 * whole frame, the sums and count of the cells that pass the "qual" colour
 * limits (for white balance) and of the cells that pass the "qAE"
 * brightness limits (for exposure), and R, G, B histograms of qualifying
 * cells. After the frame they are turned into means in units of 1/256 of a
 * sample level (8.8 fixed point). Every Bayer frame overwrites them; the
 * pointers below point into the context (or, for the weighted means, into
 * storage shared by all contexts) and each triple is r, g, b.
 *
 * What is sampled: in every second row pair, the second and fourth cell of
 * every 8 photosite columns (one cell in four; the counts and whole-frame
 * figures are scaled back to the whole frame). Qualities 0..2 leave out a
 * border of 2 rows and, depending on the quality and the path, up to 32
 * columns on each side; quality 3 samples the whole frame. Qualities 4 and
 * 5, and mean collection off, gather nothing (all results 0).
 * Sample levels: the qual test, the qual means and the histograms use the
 * raw sensor values (so white balance sees the sensor's own colour,
 * independent of the gains); the sub-window, whole-frame and qAE figures
 * use the fully conditioned values (after gains, offsets and the RGB
 * gamma table, as left in the source frame), so exposure is judged on the
 * levels of the picture the caller receives.
 * Histograms: each sample of 4 cells (8-byte path) or 8 cells (16-byte
 * path) adds its cell count at the index of its mean per channel, with
 * cells that fail the qual test counted as 0 (so bin 0 also collects
 * samples without a qualifying cell); G gets two entries per sample, one
 * for each green of the cells.
 * ====================================================================== */

/* --- Qualification limits ------------------------------------------------
 * A cell qualifies when B - Gb, Gr - R, their sum and their difference lie
 * within [min, max] of their set (inclusive) and each of R, Gb, Gr, B lies
 * within its channel's [min, max]. Each setter refuses min > max (0,
 * nothing stored). Difference limits must keep min - 1 and max + 1 within
 * 16 bits: other values are stored, the packed limits keep their previous
 * contents, and the setter returns 0. Channel limits must satisfy
 * 0 <= min <= max <= 255 (0, nothing stored otherwise). With the
 * floating-point state not saved the limits are stored and 1 returned.
 * Defaults: B - Gb and Gr - R -25..25, sum and difference -30..30,
 * channels and qAE 0..255. */
PPLAPI uint8_t PPLCALL ppl_set_qual_BmGb_min_max(ppl_context* ctx, int32_t min, int32_t max);
PPLAPI uint8_t PPLCALL ppl_set_qual_GrmR_min_max(ppl_context* ctx, int32_t min, int32_t max);
PPLAPI uint8_t PPLCALL ppl_set_qual_BmGb_p_GrmR_min_max(ppl_context* ctx, int32_t min, int32_t max);
PPLAPI uint8_t PPLCALL ppl_set_qual_BmGb_m_GrmR_min_max(ppl_context* ctx, int32_t min, int32_t max);
/** All three channel ranges at once; refused as a whole when any fails. */
PPLAPI uint8_t PPLCALL ppl_set_qual_RGB_min_max(ppl_context* ctx, int32_t rmin, int32_t rmax, int32_t gmin,
                                                int32_t gmax, int32_t bmin, int32_t bmax);
PPLAPI uint8_t PPLCALL ppl_set_qual_R_min_max(ppl_context* ctx, int32_t min, int32_t max);
PPLAPI uint8_t PPLCALL ppl_set_qual_G_min_max(ppl_context* ctx, int32_t min, int32_t max);
PPLAPI uint8_t PPLCALL ppl_set_qual_B_min_max(ppl_context* ctx, int32_t min, int32_t max);
/** qAE: a cell is left out when all four of its samples are below min
 *  (min > 0) or all four above max (max < 255). 0 <= min <= max <= 255. */
PPLAPI uint8_t PPLCALL ppl_set_qAE_RGB_min_max(ppl_context* ctx, int32_t min, int32_t max);
/** Every qual limit back to its default; returns the result of the final
 *  channel-range step (1). */
PPLAPI uint8_t PPLCALL ppl_reset_qual_min_max(ppl_context* ctx);
/** qAE limits back to 0..255. */
PPLAPI void PPLCALL ppl_reset_qAE_min_max(ppl_context* ctx);

PPLAPI int32_t PPLCALL ppl_qual_BmGb_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_BmGb_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_GrmR_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_GrmR_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_BmGb_p_GrmR_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_BmGb_p_GrmR_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_BmGb_m_GrmR_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_BmGb_m_GrmR_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_R_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_R_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_G_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_G_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_B_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qual_B_max(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qAE_RGB_min(ppl_context* ctx);
PPLAPI int32_t PPLCALL ppl_qAE_RGB_max(ppl_context* ctx);

/* --- Results of the last Bayer frame --------------------------------------- */

/** Writes 8 (columns) and 6 (rows) through the non-NULL pointers; returns 48. */
PPLAPI uint32_t PPLCALL ppl_n_sub_windows(ppl_context* ctx, uint32_t* columns, uint32_t* rows);
/** 48 triples, windows in row-major order (8 per row, 6 rows). Filled at
 *  qualities 0..2; zero at quality 3. */
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_sub_windows(ppl_context* ctx);
/** The region of the frame right of and below the grid. */
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_outside_all_sub_windows(ppl_context* ctx);
/** The mean of the 48 window means. */
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_all_sub_windows(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_whole_frame(ppl_context* ctx);
/** Means of the cells that passed the qAE / qual limits (0, 0, 0 when none did). */
PPLAPI const uint32_t* PPLCALL ppl_qAE_rgb_means_whole_frame(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_qual_rgb_means_whole_frame(ppl_context* ctx);

/** Centre-weighted means, for qualities 0..2: the four central windows
 *  (rows 2-3, columns 3-4) weigh 3, 7 or 15, the twenty windows around them
 *  (rows 1-4, columns 1-6) weigh 1, and the mean of all windows weighs 48.
 *  ppl_rgb_means_whole_frame_4pts is the plain mean of the four central
 *  windows. At quality 3 and above each returns ppl_rgb_means_whole_frame.
 *  Otherwise the triple lives in storage shared by all contexts and is
 *  rewritten by the next call of the same function on any context:
 *  serialise these calls or copy the triple. */
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_whole_frame_4pts(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central4(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central8(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_rgb_means_whole_frame_central16(ppl_context* ctx);

/** Cells that passed the qAE / qual limits, scaled to the whole frame. */
PPLAPI uint32_t PPLCALL ppl_n_qAE_2x2_whole_frame(ppl_context* ctx);
PPLAPI uint32_t PPLCALL ppl_n_qual_2x2_whole_frame(ppl_context* ctx);
/** Frames converted on this slot since the library was loaded (ppl_init
 *  does not reset it). */
PPLAPI uint32_t PPLCALL ppl_n_frame(ppl_context* ctx);
/** 256 counters each. */
PPLAPI const uint32_t* PPLCALL ppl_r_histogram(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_g_histogram(ppl_context* ctx);
PPLAPI const uint32_t* PPLCALL ppl_b_histogram(ppl_context* ctx);

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
 * A fill never reads src beyond its n bytes; a negative size writes nothing.
 *
 * Buffer sizes (every converter and processing operation; a / is integer
 * division, rounding down). A call reads and writes nothing outside these
 * counts; a destination must hold the count of its row.
 *
 *   Bayer: src w x h bytes (read and, below quality 4, conditioned in
 *   place). P = out_width x out_height of the stored geometry: for a
 *   converter (black lines 0) w x h, (w/2) x (h/2), 2w x 2h for the plain,
 *   _deci_2_1 and _intp_1_2 forms; n = w x h.
 *     dst bytes        plain     _deci_2_1                   _intp_1_2
 *     I420             n + n/2   max(P + P/2, n/4 + n/8)     6n
 *     YUYV, UYVY       2n        max(2P, n/4 + n/8)          8n
 *     RGB24 / RGB32    3n / 4n   3(n/4) / 4(n/4)             12n / 16n
 *     ppl_process_blr*: P + P/2 (I420), 2P (YUYV, UYVY), 3P, 4P, with
 *     P from the stored geometry: decimation and black lines as set by
 *     ppl_set_decimation or ppl_new_frame_sizes, which a Bayer operation
 *     keeps while the input size stays the same.
 *
 *   Progressive: src 2 x in_width x in_height bytes (YUYV, UYVY),
 *   (3 x in_width / 2) x in_height (the 12-bit formats), 3 x in_width x
 *   in_height (RGB24; not read). P = out_width x out_height.
 *     dst bytes: I420 P + P/2, RGB24 3P, RGB32 4P (converters and
 *     operations alike).
 *
 *   Interlaced: each of the reference, first and second fields 2 x in_width
 *   x (in_height / 2) bytes (in_height/2 lines of 2 x in_width bytes).
 *   P = out_width x out_height.
 *     dst bytes: YUYV, UYVY 2P; I420 P + P/2; RGB24 3P (converters and
 *     operations alike).
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

/* What the Bayer conversions write (every Bayer converter and
 * ppl_process_blr* operation).
 *
 * Pictures. The frame is walked in row pairs and in column groups of 16
 * photosites (8 when the width is not a multiple of 16); the picture covers
 * the whole groups and whole row pairs only. With a width that is not a
 * multiple of 8 the last 1..7 columns, and with an odd height the last row,
 * are neither conditioned nor converted, and the output pixels they would
 * give are left as the caller's buffer had them. The output is the same on
 * the 8-byte and the 16-byte kernels.
 *
 * Borders. Quality 2 reads a missing neighbour at its reflection (column
 * -1 as column 1, row -1 as row 1, likewise at the right and bottom edges),
 * for any number of groups and row pairs, one included. Qualities 0 and 1
 * (edge-directed demosaic) and the quality-0 luma sharpening read missing
 * neighbours the same way, with one exception: above the R photosites of
 * row 1 the green estimate reads row 3 where the reflection would give row
 * 1 itself. On frames of fewer than four rows a reflection that still
 * falls outside the frame takes the nearest edge row instead.
 *
 * Quality 0 sharpens the luma (edge threshold and enhance factor) of every
 * output, the whole picture before any thinning or doubling; the RGB
 * outputs go through full-range YUV for this and come back to R, G, B
 * through the library's fixed YUV-to-RGB matrix. Sharpened luma of the
 * YUV outputs may leave 16..235.
 *
 * Half size (_deci_2_1, decimation 1): output pixel (i, j) is source pixel
 * (2i, 2j), which at quality 3 is the colour of cell (i, j). I420 chroma
 * sample (k, l) is the chroma of source pixel (4k+2, 4l) at qualities 0..2
 * and of cell (2k, 2l) at quality 3; YUYV/UYVY pixel pair m of row i takes
 * the chroma of source pixel (2i, 4m).
 *
 * Quarter size (decimation 2, set with ppl_set_decimation): the half-size
 * picture with every second row and column dropped: pixel (i, j) is source
 * pixel (4i, 4j); I420 chroma sample (k, l) is half-size sample (2k, 2l);
 * YUYV/UYVY pair m of row i is half-size pair 2m of row 2i. Everything lies
 * inside the quarter-size destination.
 *
 * Double size (_intp_1_2, decimation -1): each full-size plane is doubled.
 * A row p[0..n-1] becomes h[2k] = avg(p[k-1], p[k]) (p[-1] = p[0]),
 * h[2k+1] = p[k]; doubled row r is picture row 2r, row 2r+1 is the byte
 * average of rows 2r and 2r+2, and the last row repeats the one above.
 * avg rounds halves up. This holds for the Y, U and V planes of I420, for
 * the luma and the chroma pairs of YUYV and UYVY (each chroma pair of a
 * doubled row serves two doubled pixels), and for B, G, R of RGB32 (alpha
 * 0) and of RGB24 at qualities 0..2. RGB24 at quality 3 puts doubled row r
 * at picture row 2r+1 instead, row 2r being the average of rows 2r-1 and
 * 2r+1 and row 0 a copy of row 1. RGB24 with the horizontal mirror pairs
 * each pixel with the next one instead, h[2k] = avg(p[k], p[k+1]) with
 * p[n] = p[n-1], so that in the right-to-left row the interpolated pixel
 * again follows the converted one; the other formats are the exact mirror
 * image of their unmirrored output.
 *
 * Raw passthrough (quality 4 or 5): I420 copies the source into Y (half
 * size: the even columns of the even rows) with U and V at 128 and draws a
 * 255 block that moves over a 5 x 6 grid of the V plane one cell per frame
 * when out_width / 10 is a multiple of 16 (8 on the 8-byte kernels); YUYV
 * writes each sample as (s, 128), UYVY as (128, s) (half size: even resp.
 * odd columns of even rows); RGB24 and RGB32 write grey pixels bottom-up
 * (RGB32 half size: even columns of even rows; RGB24 half size nothing).
 * Double and quarter size write nothing but the I420 marker. The source is
 * left unchanged and the result is 0.
 */

/* Progressive converters: (ctx, src, dst, in_width, in_height, out_width,
 * out_height), sizes from the ppl_new_frame_sizes table (a refused pair
 * returns 0 and writes nothing). Lines follow each other without padding.
 * Fallback fill with n = out_width x out_height: I420 outputs n bytes of
 * src then n/2 bytes of 128; RGB24 outputs 3n bytes of 255;
 * RGB24ToRGB32MMX 4n bytes of 255. Bytes a copy would take from beyond the
 * end of src are written as 128.
 *
 * The YUV inputs pass through no picture control (gains, gamma, contrast,
 * saturation, hue, edges): luma and chroma are only subsampled or turned
 * into RGB. Every call counts one frame in the context's frame counter,
 * including calls that write nothing. */

/** YUYV (Y0 U Y1 V per pixel pair, 2 x in_width bytes a line) to planar
 *  I420: Y plane of out_width x out_height bytes at dst, U plane of
 *  (out_width/2) x (out_height/2) at dst + out_width x out_height, V plane
 *  out_width x out_height / 4 bytes after U.
 *  Luma is copied unchanged. Each U and V sample is the vertical mean of
 *  lines 2k and 2k+1, rounded half up: (a + b + 1) >> 1 (byte for byte the
 *  result of libyuv's YUY2ToI420); there is no horizontal filtering.
 *  The horizontal mirror writes every row of the three planes right to
 *  left, the vertical mirror puts source line r on output line
 *  out_height-1-r (chroma line k on out_height/2-1-k); both may be set.
 *  With black lines in the geometry (out_height > in_height) the picture
 *  starts at the first output line (with the vertical mirror: ends at the
 *  last) and the remaining lines keep the bytes the caller left there.
 *  Returns 1. With a decimation mode other than 0 (the 2:1, 4:1 and 1:2
 *  pairs of the size table) nothing is written and the result is still 1. */
PPLAPI uint8_t PPLCALL YUYVToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/** UYVY (U Y0 V Y1 per pixel pair) to I420; otherwise as YUYVToI420MMX
 *  (equal to libyuv's UYVYToI420). */
PPLAPI uint8_t PPLCALL UYVYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/** YUYV to RGB24: B, G, R bytes per pixel, rows of out_width x 3 bytes,
 *  stored bottom-up (source line r in row out_height-1-r from the start of
 *  dst, so the first source line is the last row in memory). For each
 *  pixel, with u = U-128, v = V-128 and Y' = 74 x max(Y-16, 0):
 *    R = (Y' + 102 v) >> 6,  G = (Y' - 25 u - 52 v) >> 6,
 *    B = (Y' + 129 u) >> 6,
 *  arithmetic shifts (no rounding term), each clamped to 0..255 (BT.601
 *  studio range scaled by 64: Y 16 is black, Y 235 gives 253, 255 needs
 *  Y >= 237). Out-of-range input (Y and U both near 255) can push the blue
 *  sum past 16 bits; it then saturates and the pixel's blue is 255, as the
 *  exact arithmetic gives, never a wrapped 0.
 *  The mirror flags and the decimation mode are not consulted: in_height
 *  rows of in_width pixels are written. With black lines (out_height >
 *  in_height) rows 0 .. out_height-in_height-1 keep their bytes.
 *  Returns 1; returns 0 and writes nothing when the output is narrower or
 *  shorter than the input (the 2:1 and 4:1 pairs of the size table), since
 *  the picture would not fit in the destination. */
PPLAPI uint8_t PPLCALL YUYVToRGB24MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/** UYVY to RGB24; otherwise as YUYVToRGB24MMX. */
PPLAPI uint8_t PPLCALL UYVYToRGB24MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/** Packed 4:2:0 with 12 bits per pixel (3 x in_width / 2 bytes a line) to
 *  I420. Each 24-byte unit holds 16 pixels of one line:
 *
 *    byte  0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17  18 19  20..23
 *          Y0 C0 Y1 C1 Y2 C2 Y3 C3 Y4 Y5 Y6 Y7 Y8 C4 Y9 C5 Y10 C6 Y11 C7 Y12..Y15
 *
 *  Ck is the chroma of pixel pair k of the unit (pixels 2k and 2k+1): U on
 *  even lines, V on odd lines. A line pair thus carries exactly the U and V
 *  planes of I420; they are copied without filtering (U row k from line 2k,
 *  V row k from line 2k+1), luma is copied unchanged. Planes, mirrors,
 *  black lines, decimation and result as YUYVToI420MMX.
 *  YUYVYYYYToI420MMX and UYVYYYYYToI420MMX are the same conversion. */
PPLAPI uint8_t PPLCALL YUYVYYYYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** The same conversion as YUYVYYYYToI420MMX (same layout). */
PPLAPI uint8_t PPLCALL UYVYYYYYToI420MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/** No conversion: returns 0 and writes nothing to dst when it gets past
 *  the entry checks (the frame is still counted); the fallback fill
 *  (4n bytes of 255) when it does not. */
PPLAPI uint8_t PPLCALL RGB24ToRGB32MMX(ppl_context* ctx, const uint8_t* src, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);

/* Interlaced converters: (ctx, reference, first, second, dst, in_width,
 * in_height, out_width, out_height). Each field is in_height/2 lines of
 * 2 x in_width bytes; the reference field is the previous frame's field of
 * the second field's parity. Fallback fill with n = out_width x out_height:
 * packed outputs n bytes of the first field then n bytes of the second
 * field; I420 outputs n bytes of the first field then n/2 bytes of 128;
 * RGB24 outputs 3n bytes of 255. Bytes a copy would take from beyond the
 * end of a field (outputs with black lines) are written as 128.
 *
 * Deinterlacing (decimation 0). Output line 2k is first-field line k,
 * output line 2k+1 second-field line k. The plain weave (_no_motion) stops
 * there. The motion-adaptive converters test the chroma byte of every
 * 16-bit word (U or V: byte 1 of a YUYV word, byte 0 of a UYVY word) of
 * every second-field line but the last: with d[j] = second - reference on
 * that byte of word j (0 for words outside the line) and
 * s = d[i-1] + d[i] + d[i+1], word i moves when
 *   |3 d[i-1] - s| + |3 d[i] - s| + |3 d[i+1] - s| > intl 3T threshold
 * (ppl_set_intl_3T_threshold, 0..765, default 50). A moving word's chroma
 * byte becomes (a + b + 1) >> 1 of the same byte in the first-field lines
 * above and below; luma bytes are always the second field's. A uniform
 * chroma change moves no word except, at small thresholds, the first and
 * last word of a line (their outer neighbour counts as unchanged). The
 * last second-field line is always woven. The mirror flags are not read.
 *
 * Outputs. YUYV / UYVY: the picture's bytes in the output's order. I420:
 * the rule of YUYVToI420MMX on the deinterlaced picture (luma copied,
 * chroma of picture lines 2k and 2k+1 averaged). RGB24: the arithmetic of
 * YUYVToRGB24MMX, rows bottom-up.
 *
 * Black lines. The geometry's top black lines come before the picture and
 * its bottom black lines after it, out_width pixels each: Y 16, U and V 128
 * (bytes 0x10 0x80 in YUYV, 0x80 0x10 in UYVY, 16 in the Y plane and 128 in
 * the chroma planes, 0 0 0 in RGB24). In I420 the chroma of picture line
 * pair k is chroma row top/2 + k (top/2 rounded down: with an odd top the
 * chroma sits half a chroma row above its luma); every other chroma byte of
 * the two planes (out_width x out_height / 4 bytes each) is 128. Every
 * byte of the destination is written.
 *
 * Decimation 1 and 2 (704 or 640 wide input to half or quarter width):
 * built from the first field alone (second and reference fields are not
 * read; the motion test does not run, so both flavours give the same
 * bytes). Half size: picture line y is first-field line y, luma m =
 * avg(Y[2m], Y[2m+1]), U and V of pair n = avg of those of pairs 2n and
 * 2n+1, avg(a, b) = (a + b + 1) >> 1. Quarter size: picture line y is
 * first-field line 2y and the two kernel paths sample differently:
 *   MMX path:  luma m = avg(Y[4m], Y[4m+1]) for even m, avg(Y[4m+2],
 *              Y[4m+3]) for odd m; U, V of pair n = avg(C[4n], C[4n+3])
 *   SSE2 path: luma m = avg(Y[4m], Y[4m+1]); U, V = avg(C[4n], C[4n+2])
 * (C[k]: U or V of input pair k). The SSE2 path runs when every buffer is
 * 16-byte aligned (see the processing operations).
 *
 * Decimation -1 (640x480 to 1280x960): the deinterlaced 640x480 frame
 * (motion-adaptive or woven) with every pixel repeated twice across and
 * every line twice down; the I420 chroma of a repeated line pair is that
 * line's chroma.
 *
 * Result: 1, with the frame counter advanced by one. 0 with nothing
 * written when the size pair is refused by ppl_new_frame_sizes or the kept
 * geometry has negative black lines (see ppl_set_decimation), or, with
 * the counter advanced, when a geometry set outside that table (through
 * ppl_new_frame_size / ppl_set_decimation) has a width that is not a
 * multiple of 16 (32 at half size), an odd picture height or an output
 * size other than picture plus black lines. */

/** YUYV fields to YUYV, motion-adaptive / plain weave. */
PPLAPI uint8_t PPLCALL IntlYUYVToYUYVMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToYUYVMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** UYVY fields to UYVY, motion-adaptive / plain weave. */
PPLAPI uint8_t PPLCALL IntlUYVYToUYVYMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToUYVYMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** UYVY fields to YUYV, motion-adaptive / plain weave: the picture of
 *  IntlUYVYToUYVYMMX with the two bytes of every word swapped (black lines
 *  0x10 0x80). */
PPLAPI uint8_t PPLCALL IntlUYVYToYUYVMMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToYUYVMMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** YUYV fields to I420, motion-adaptive / plain weave. */
PPLAPI uint8_t PPLCALL IntlYUYVToI420MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToI420MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** UYVY fields to I420, motion-adaptive / plain weave. */
PPLAPI uint8_t PPLCALL IntlUYVYToI420MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlUYVYToI420MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** YUYV fields to bottom-up RGB24, motion-adaptive / plain weave. */
PPLAPI uint8_t PPLCALL IntlYUYVToRGB24MMX(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
PPLAPI uint8_t PPLCALL IntlYUYVToRGB24MMX_no_motion(ppl_context* ctx, const uint8_t* ref, const uint8_t* first, const uint8_t* second, uint8_t* dst, int32_t in_width, int32_t in_height, int32_t out_width, int32_t out_height);
/** UYVY fields to bottom-up RGB24, motion-adaptive / plain weave. */
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
 * P3_only is off, else the MMX kernels; both give the same bytes. The
 * Bayer operations also clear the frame's statistics before the kernel and
 * turn the sums into means after it. The result is the kernel's: see each
 * converter family above.
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

/** The interlaced operations of the converters of the same names (the
 *  _no_motion twins and UYVY to YUYV have no exported operation). */
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
