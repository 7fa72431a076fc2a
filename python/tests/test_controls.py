"""Properties: every control's documented range, its refusal, and the
lifecycle of a context."""
import numpy as np
import pytest

import pplcam

I32 = (-2**31, 2**31 - 1)
DIFF = ("-32767 <= min <= max <= 32766", [(-32767, 32766), (5, 5)], [(-32768, 0), (0, 32767), (10, -10)])
CHANNEL = ("0 <= min <= max <= 255", [(0, 255), (100, 100)], [(-1, 255), (0, 256), (200, 100)])
TABLE = ([np.arange(256)[::-1], [7] * 256], [[0] * 255, [256] + [0] * 255, [-1] * 256])

# property, range named in the refusal, accepted values, refused values
RANGES = [
    ("quality", "0..5", [0, 5], [-1, 6]),
    ("sat", "0..512", [0, 512], [-1, 513]),
    ("hue", "..2147483647", [0, 359], [2**31]),
    ("gamma", "-32..32", [-32, 32], [-33, 33]),
    ("contrast", "-127..127", [-127, 127], [-128, 128]),
    ("edge_threshold", "0..1530", [0, 1530], [-1, 1531]),
    ("edge_enhance_factor", "0..256", [0, 256], [-1, 257]),
    ("intl_3T_threshold", "0..765", [0, 765], [-1, 766]),
    ("sensor_type", "0x5754", [0x5754, 0x07544F4D], [0x4F56, 0]),
    ("rgb_gain", "0..2047", [(0, 0, 0), (2047, 2047, 2047)], [(2048, 256, 256), (256, 256, -1), (1, 2)]),
    ("rgb_delta", "-32768..32767", [(-32768,) * 3, (32767,) * 3], [(32768, 0, 0), (0, 0, -32769)]),
    ("quals_rgb_gain", "-2147483648..2147483647", [(I32[0],) * 3, (I32[1],) * 3], [(2**31, 0, 0)]),
    *[(name, *DIFF) for name in ("qual_BmGb", "qual_GrmR", "qual_BmGb_p_GrmR", "qual_BmGb_m_GrmR")],
    *[(name, *CHANNEL) for name in ("qual_R", "qual_G", "qual_B", "qAE")],
    ("contrast_xy", "0..127", [(0, -5), (127, 300)], [(-1, 0), (128, 0)]),
    ("sensor_matrix", "-2147483648..2147483647", [[I32[0]] * 9, np.eye(3, dtype=int) * 300], [[2**31] * 9]),
    *[(f"{name}_table", "0..255", *TABLE) for name in ("rgb_gamma", "yuv_gamma", "contrast", "r_dekneel", "g_dekneel",
                                                        "b_dekneel")],
]


@pytest.mark.parametrize("name,range_text,accepted,refused", RANGES, ids=[r[0] for r in RANGES])
def test_range_and_refusal(ctx, name, range_text, accepted, refused):
    for value in accepted:
        setattr(ctx, name, value)
        assert np.array_equal(np.ravel(getattr(ctx, name)), np.ravel(value))
    for value in refused:
        with pytest.raises(ValueError, match=f"{name}.*(takes|values)") as refusal:
            setattr(ctx, name, value)
        assert np.array_equal(np.ravel(getattr(ctx, name)), np.ravel(accepted[-1]))
        assert range_text in str(refusal.value) or "values" in str(refusal.value)


@pytest.mark.parametrize("name,value", [("quality", 1.5), ("rgb_gain", (1.0, 1, 1)), ("contrast_table", ["a"] * 256),
                                        ("gamma", "3")])
def test_non_integers_are_a_type_error(ctx, name, value):
    with pytest.raises(TypeError):
        setattr(ctx, name, value)


def test_reset_controls_gives_a_fresh_context(ctx):
    names = [r[0] for r in RANGES if r[0] != "sensor_type"] + ["h_mirror", "P3_only", "nf20_12_gamma"]
    with pplcam.Context() as fresh:
        defaults = {n: getattr(fresh, n) for n in names}
    ctx.contrast, ctx.gamma, ctx.rgb_gain, ctx.h_mirror, ctx.P3_only = 40, 9, (1, 2, 3), True, True
    ctx.qual_R, ctx.contrast_table = (3, 4), [1] * 256
    ctx.reset_controls()
    for n in names:
        assert np.array_equal(getattr(ctx, n), defaults[n]), n


CALLS = [
    lambda c: c.quality,
    lambda c: setattr(c, "rgb_gain", (1, 1, 1)),
    lambda c: c.bayer_to_rgb(np.zeros((16, 128), np.uint8)),
    lambda c: c.statistics(),
    lambda c: c.reset_controls(),
    lambda c: c.__enter__(),
]


@pytest.mark.parametrize("call", CALLS)
def test_a_closed_context_raises(call):
    c = pplcam.Context()
    c.close()
    c.close()
    assert c.closed
    with pytest.raises(pplcam.Error, match="closed"):
        call(c)


def test_a_ninth_context_is_a_clear_error():
    opened = [pplcam.Context() for _ in range(8)]
    try:
        with pytest.raises(pplcam.Error, match="all 8"):
            pplcam.Context()
    finally:
        for c in opened:
            c.close()
    with pplcam.Context() as again:
        assert not again.closed
