import os

import numpy as np
import pytest

import pplcam


def sample(name):
    path = os.path.join(os.environ["PPLCAM_DATA"], f"{name}_640x480.bggr")
    return np.fromfile(path, np.uint8).reshape(480, 640)


@pytest.fixture(scope="session")
def coffee():
    return sample("coffee")


@pytest.fixture(scope="session")
def chart():
    return sample("chart")


@pytest.fixture
def ctx():
    with pplcam.Context() as c:
        yield c


@pytest.fixture(scope="session")
def packed(coffee):
    """The sample photograph as YUYV and UYVY frames (480, 640, 2)."""
    with pplcam.Context() as c:
        return {"yuyv": c.bayer_to_yuyv(coffee), "uyvy": c.bayer_to_uyvy(coffee)}
