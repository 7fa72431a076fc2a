"""Conversions through the binding against the library called through its C
API on the same frames, with the same controls."""
import contextlib
import operator
import threading

import numpy as np
import pytest

import pplcam
from c_api import CContext, lib

TUNED = dict(rgb_gain=(300, 256, 200), rgb_delta=(-4, 0, 3), gamma=6, sat=320, hue=20, contrast=20,
             sensor_matrix=[300, -30, -14, -20, 290, -14, 0, -60, 316], h_mirror=True, v_mirror=True,
             edge_threshold=60, edge_enhance_factor=96, qual_BmGb=(-40, 30), qual_G=(10, 240), qAE=(8, 250))
CONTROL_SETS = {"defaults": {}, "tuned": TUNED, "mmx, no statistics": dict(P3_only=True, mean_collection=False)}


def configure(ctx, controls):
    for name, value in controls.items():
        setattr(ctx, name, value)


@contextlib.contextmanager
def both(**controls):
    """A binding context and a C context with the same controls."""
    with pplcam.Context() as ctx, contextlib.closing(CContext(**controls)) as c:
        configure(ctx, controls)
        yield ctx, c


def assert_same(got, want):
    if isinstance(want, tuple):
        assert isinstance(got, tuple) and len(got) == len(want)
        for g, w in zip(got, want):
            assert_same(g, w)
        return
    assert got.dtype == np.uint8 and got.shape == want.shape and got.flags.c_contiguous
    assert got.base is not None or got.ctypes.data % 64 == 0
    np.testing.assert_array_equal(got, want)


def sync_frame_counters(ctx, c):
    """Raw passthrough draws a marker that moves with the slot's frame counter:
    bring both slots to the same count with conversions nobody reads."""
    blank = np.zeros((240, 320, 2), np.uint8)
    while ctx.n_frame < lib.ppl_n_frame(c.ptr):
        ctx.yuyv_to_i420(blank)
    while lib.ppl_n_frame(c.ptr) < ctx.n_frame:
        c.progressive("yuyv", "i420", blank)


@pytest.mark.parametrize("controls", CONTROL_SETS.values(), ids=CONTROL_SETS.keys())
@pytest.mark.parametrize("size", ["same", "half", "double"])
@pytest.mark.parametrize("fmt", ["rgb", "i420", "yuyv", "uyvy"])
@pytest.mark.parametrize("quality", [0, 4, 5])  # 0 reads the edge controls; 4 and 5 are raw passthrough
def test_bayer_matches_c_api(chart, quality, fmt, size, controls):
    raw = chart[120:360, 160:480]  # a strided view: the binding copies it row by row
    before = raw.copy()
    with both(**controls, quality=quality) as (ctx, c):
        sync_frame_counters(ctx, c)
        got = getattr(ctx, f"bayer_to_{fmt}")(raw, size=size)
        stats = ctx.statistics()
        want, _ = c.bayer(fmt, raw, size)
        want_stats = c.statistics()
    assert_same(got, want)
    for name, value in want_stats.items():
        np.testing.assert_array_equal(operator.attrgetter(name)(stats), value, err_msg=name)
    np.testing.assert_array_equal(raw, before)


def test_in_place_leaves_the_conditioned_frame(chart):
    raw = chart.copy()
    with both(quality=2, gamma=8, rgb_gain=(400, 256, 256)) as (ctx, c):
        got = ctx.bayer_to_rgb(raw, in_place=True)
        want, conditioned = c.bayer("rgb", chart)
    assert_same(got, want)
    np.testing.assert_array_equal(raw, conditioned)
    assert not np.array_equal(raw, chart)


@pytest.mark.parametrize("shape", [(480, 640), (1080, 1920)])
@pytest.mark.parametrize("mirrored", [False, True])
@pytest.mark.parametrize("fmt", ["i420", "rgb"])
@pytest.mark.parametrize("source", ["yuyv", "uyvy"])
def test_progressive_matches_c_api(packed, source, fmt, mirrored, shape):
    """At the sample's size and at 1920 x 1080 (beyond the original limits), tiled from it."""
    frame = np.ascontiguousarray(np.tile(packed[source], (3, 3, 1))[:shape[0], :shape[1]])
    with both(h_mirror=mirrored, v_mirror=mirrored) as (ctx, c):
        assert_same(getattr(ctx, f"{source}_to_{fmt}")(frame), c.progressive(source, fmt, frame))


@pytest.mark.parametrize("fmt", ["rgb", "i420"])
def test_bayer_camera_size_matches_c_api(chart, fmt):
    raw = np.tile(chart, (3, 3))[:1080, :1920]
    with both() as (ctx, c):
        assert_same(getattr(ctx, f"bayer_to_{fmt}")(raw), c.bayer(fmt, raw)[0])


def padded(frame, width):
    """The frame centred in a wider one, black (Y 16, chroma 128) at the sides."""
    black = np.array([16, 128] if frame[0, 0, 0] != 128 else [128, 16], np.uint8)
    out = np.tile(black, (frame.shape[0], width, 1))
    left = (width - frame.shape[1]) // 4 * 2
    out[:, left:left + frame.shape[1]] = frame
    return out


@pytest.mark.parametrize("size", [(640, None), (640, (320, 240)), (640, (1280, 960)), (704, (704, 576))],
                         ids=["same", "half", "double", "black lines"])
@pytest.mark.parametrize("motion", [True, False])
@pytest.mark.parametrize("call", ["frame", "fields"])
@pytest.mark.parametrize("source,to", [("yuyv", "yuyv"), ("uyvy", "uyvy"), ("uyvy", "yuyv"), ("yuyv", "i420"),
                                       ("uyvy", "i420"), ("yuyv", "rgb"), ("uyvy", "rgb")])
def test_interlaced_matches_c_api(packed, source, to, call, motion, size):
    width, out_size = size
    frames = [padded(packed[source], width)]
    frames.append(np.roll(frames[0], 8, axis=1))  # moved: the second frame's motion test finds words
    reference = frames[0][1::2]  # the first frame is woven against its own second field
    options = dict(source=source, to=to, motion=motion, out_size=out_size)
    with both(intl_3T_threshold=20) as (ctx, c):
        for frame in frames:
            first, second = frame[0::2], frame[1::2]
            want = c.interlaced(source, to, motion, reference, first, second, out_size)
            if call == "frame":
                got = ctx.deinterlace_frame(frame, **options)
            else:
                got = ctx.deinterlace(first, second, reference=reference, **options)
            assert_same(got, want)
            reference = second


REFUSED = [
    ("bayer_to_rgb", lambda f: f["raw"].astype(np.uint16), {}, TypeError),
    ("bayer_to_rgb", lambda f: f["raw"][:, :, None], {}, ValueError),
    ("bayer_to_rgb", lambda f: f["raw"][:, :632], {}, ValueError),
    ("bayer_to_rgb", lambda f: f["raw"][:, :112], {}, ValueError),
    ("bayer_to_rgb", lambda f: f["raw"][:479], {}, ValueError),
    ("bayer_to_rgb", lambda f: f["raw"], {"size": "quarter"}, ValueError),
    ("bayer_to_i420", lambda f: f["raw"][:474], {"size": "half"}, ValueError),
    ("bayer_to_rgb", lambda f: f["raw"][:, ::-1], {"in_place": True}, ValueError),
    ("bayer_to_rgb", lambda f: np.broadcast_to(f["raw"], f["raw"].shape), {"in_place": True}, ValueError),
    ("yuyv_to_rgb", lambda f: f["yuyv"][:400, :600], {}, ValueError),
    ("yuyv_to_i420", lambda f: f["yuyv"][..., 0], {}, ValueError),
    ("deinterlace_frame", lambda f: f["yuyv"], {"to": "uyvy"}, ValueError),
    ("deinterlace_frame", lambda f: f["yuyv"], {"to": "bgr"}, ValueError),
    ("deinterlace_frame", lambda f: f["yuyv"], {"out_size": (352, 240)}, ValueError),
    ("deinterlace_frame", lambda f: f["yuyv"][:479], {}, ValueError),
]


@pytest.mark.parametrize("method,make,options,error", REFUSED)
def test_bad_input_is_refused_with_nothing_done(coffee, packed, ctx, method, make, options, error):
    frames = {"raw": coffee.copy(), "yuyv": packed["yuyv"]}
    arg = make(frames)
    before, counted = arg.copy(), ctx.n_frame
    with pytest.raises(error):
        getattr(ctx, method)(arg, **options)
    assert ctx.n_frame == counted
    np.testing.assert_array_equal(arg, before)


def test_contexts_in_threads_give_what_each_gives_alone(coffee):
    """Four contexts converting at once, each on a thread of its own, six times over."""
    contexts = [pplcam.Context() for _ in range(4)]

    def run(ctx):
        rgb = ctx.bayer_to_rgb(coffee)
        s = ctx.statistics()
        return [rgb, s.window_means, s.central8_means, s.four_point_means, s.histograms]

    try:
        for q, ctx in enumerate(contexts):
            configure(ctx, dict(quality=q, rgb_gain=(256 + 40 * q, 256, 300 - 20 * q), gamma=4 * q))
        alone = [run(ctx) for ctx in contexts]
        results = [[] for _ in contexts]
        threads = [threading.Thread(target=lambda i=i: results[i].extend(run(contexts[i]) for _ in range(6)))
                   for i in range(len(contexts))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        for want, runs in zip(alone, results):
            for got in runs:
                for g, w in zip(got, want):
                    np.testing.assert_array_equal(g, w)
    finally:
        for ctx in contexts:
            ctx.close()
