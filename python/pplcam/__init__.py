"""pplcam, the image pipeline of a USB camera, from NumPy.

A Context holds one of the library's eight context slots: picture controls
as properties, conversions as methods that take and return NumPy uint8
arrays, and the statistics of the last Bayer conversion. See
help(pplcam.Context) and docs/python.md.
"""

try:
    import numpy  # noqa: F401  (the extension needs it at its first call)
except ImportError as e:
    raise ImportError(
        "pplcam needs NumPy; on Debian use /usr/bin/python3 with python3-numpy") from e

from ._pplcam import Context, Error, Levels, Statistics

__all__ = ["Context", "Error", "Levels", "Statistics"]
