"""The shared library called through its C API with ctypes: what the
binding's results are compared with. Its context pool is the shared
library's, separate from the one linked into the module."""
import ctypes
import os

import numpy as np

lib = ctypes.CDLL(os.environ["PPLCAM_LIBRARY"])
lib.ppl_init.restype = ctypes.c_void_p
lib.ppl_ext_level_means_sub_windows.restype = lib.ppl_ext_level_means_whole_frame.restype = ctypes.c_uint32
U32P = ctypes.POINTER(ctypes.c_uint32)

# Binding property -> C setter, where it is not "ppl_set_" and the property's name.
SETTERS = {"edge_enhance_factor": "ppl_set_nf88_edge_enhance_factor", "qual_BmGb": "ppl_set_qual_BmGb_min_max",
           "qual_G": "ppl_set_qual_G_min_max", "qAE": "ppl_set_qAE_RGB_min_max"}


# Binding output format -> its name in the C converters' names.
C_NAMES = {"rgb": "RGB24", "i420": "I420", "yuyv": "YUYV", "uyvy": "UYVY"}


def aligned(size):
    """A zeroed uint8 buffer on a 64-byte boundary."""
    block = np.zeros(size + 64, np.uint8)
    start = (-block.ctypes.data) % 64
    return block[start:start + size]


def ptr(a):
    return ctypes.c_void_p(a.ctypes.data)


class CContext:
    def __init__(self, **controls):
        self.ptr = ctypes.c_void_p(lib.ppl_init())
        assert self.ptr.value, "the shared library has no free context"
        # Large frames on, as the binding has them.
        self.work = aligned(lib.ppl_ext_large_frame_work_bytes(4096))
        assert lib.ppl_ext_enable_large_frames(self.ptr, ptr(self.work), self.work.size) == 1
        for name, value in controls.items():
            if name == "contrast":
                lib.ppl_set_contrast_c(self.ptr, value, None, None)
            elif name == "sensor_matrix":
                lib.ppl_copy_sensor_matrix(self.ptr, (ctypes.c_int32 * 9)(*np.ravel(value).tolist()))
            else:
                getattr(lib, SETTERS.get(name, "ppl_set_" + name))(self.ptr, *np.atleast_1d(value).tolist())

    def close(self):
        lib.ppl_free(self.ptr)

    def call(self, name, inputs, fmt, out_w, out_h, *sizes):
        """Runs converter `name` on aligned copies of `inputs`: (its answer,
        picture as the binding returns it, the copies after the call)."""
        copies = [aligned(a.size) for a in inputs]
        for copy, a in zip(copies, inputs):
            copy[:] = a.ravel()
        dst = aligned(out_bytes(fmt, out_w, out_h))
        answer = getattr(lib, name)(self.ptr, *map(ptr, copies), ptr(dst), *sizes)
        return answer, picture(fmt, dst, out_w, out_h), copies

    def bayer(self, fmt, raw, size="same"):
        """(picture as the binding returns it, conditioned source)."""
        h, w = raw.shape
        oh, ow = {"same": (h, w), "half": (h // 2, w // 2), "double": (2 * h, 2 * w)}[size]
        name = f"BaylorTo{C_NAMES[fmt]}MMX" + {"same": "", "half": "_deci_2_1", "double": "_intp_1_2"}[size]
        _, got, (src,) = self.call(name, [raw], fmt, ow, oh, w, h)
        return got, src.reshape(h, w)

    def progressive(self, source, fmt, frame):
        h, w = frame.shape[:2]
        answer, got, _ = self.call(f"{source.upper()}To{C_NAMES[fmt]}MMX", [frame], fmt, w, h, w, h, w, h)
        assert answer == 1
        return got

    def interlaced(self, source, fmt, motion, ref, first, second, out_size):
        h, w = first.shape[0] * 2, first.shape[1]
        ow, oh = out_size or (w, h)
        name = f"Intl{source.upper()}To{C_NAMES[fmt]}MMX" + ("" if motion else "_no_motion")
        answer, got, _ = self.call(name, [ref, first, second], fmt, ow, oh, w, h, ow, oh)
        assert answer == 1
        return got

    def statistics(self):
        """The binding's Statistics fields, read through the C getters."""
        def read(name, shape=(3,)):
            return np.ctypeslib.as_array(getattr(lib, "ppl_" + name)(self.ptr), shape).copy()

        stats = {name + "_means": read(getter) for name, getter in MEANS.items()}
        stats["window_means"] = read("rgb_means_sub_windows", (6, 8, 3))
        stats["histograms"] = np.stack([read(f"{k}_histogram", (256,)) for k in "rgb"])
        stats["qae_count"] = ctypes.c_uint32(lib.ppl_n_qAE_2x2_whole_frame(self.ptr)).value
        stats["qual_count"] = ctypes.c_uint32(lib.ppl_n_qual_2x2_whole_frame(self.ptr)).value
        means, cells, whole = (ctypes.c_uint32 * 147)(), (ctypes.c_uint32 * 49)(), (ctypes.c_uint32 * 3)()
        lib.ppl_ext_level_means_sub_windows(self.ptr, means, cells)
        stats["levels.whole_frame_cells"] = lib.ppl_ext_level_means_whole_frame(self.ptr, whole)
        means, cells = np.array(means) / 256, np.array(cells)
        stats["levels.window_means"] = means[:144].reshape(6, 8, 3)
        stats["levels.outside_means"] = means[144:]
        stats["levels.whole_frame_means"] = np.array(whole) / 256
        stats["levels.window_cells"] = cells[:48].reshape(6, 8)
        stats["levels.outside_cells"] = cells[48]
        return stats


# Statistics field (without "_means") -> C getter (without "ppl_").
MEANS = {
    "outside": "rgb_means_outside_all_sub_windows", "all_windows": "rgb_means_all_sub_windows",
    "whole_frame": "rgb_means_whole_frame", "four_point": "rgb_means_whole_frame_4pts",
    "central4": "rgb_means_whole_frame_central4", "central8": "rgb_means_whole_frame_central8",
    "central16": "rgb_means_whole_frame_central16", "qae": "qAE_rgb_means_whole_frame",
    "qual": "qual_rgb_means_whole_frame",
}
for _name in [*MEANS.values(), "rgb_means_sub_windows", "r_histogram", "g_histogram", "b_histogram"]:
    getattr(lib, "ppl_" + _name).restype = U32P


def out_bytes(fmt, w, h):
    return w * h * {"rgb": 6, "i420": 3, "yuyv": 4, "uyvy": 4}[fmt] // 2


def picture(fmt, dst, w, h):
    """The library's output bytes in the binding's form: bottom-up B, G, R
    turned top-down R, G, B; I420 split into planes."""
    if fmt == "rgb":
        return dst.reshape(h, w, 3)[::-1, :, ::-1]
    if fmt == "i420":
        n = w * h
        return (dst[:n].reshape(h, w), dst[n:n + n // 4].reshape(h // 2, w // 2),
                dst[n + n // 4:].reshape(h // 2, w // 2))
    return dst.reshape(h, w, 2)
