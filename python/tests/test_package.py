"""The package as shipped: its type stubs and its example."""
import ast
import os
import pathlib
import subprocess
import sys

import pplcam


def stub_names():
    tree = ast.parse((pathlib.Path(pplcam.__file__).parent / "__init__.pyi").read_text())
    names = {}
    for cls in (n for n in tree.body if isinstance(n, ast.ClassDef)):
        members = {m.name for m in cls.body if isinstance(m, ast.FunctionDef)}
        members |= {m.target.id for m in cls.body if isinstance(m, ast.AnnAssign)}
        names[cls.name] = {m for m in members if not m.startswith("_")}
    return names


def test_stubs_name_every_public_member():
    stubs = stub_names()
    assert set(stubs) == set(pplcam.__all__)
    for name in pplcam.__all__:
        cls = getattr(pplcam, name)
        assert stubs[name] == {m for m in vars(cls) if not m.startswith("_")}, name


def test_example_writes_its_figure(tmp_path):
    figure = tmp_path / "tuning.png"
    example = pathlib.Path(os.environ["PPLCAM_EXAMPLES"]) / "tune_camera.py"
    subprocess.run([sys.executable, str(example), "-o", str(figure)], check=True, timeout=600)
    assert figure.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
