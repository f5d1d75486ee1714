"""Builds the wheel with the project's own CMake build: the stable-ABI module, its type stubs as the
stub-only package tamri-stubs, the tamri command-line tool installed into the environment's bin/, and
the pure-Python corpus driver tamri_corpus.

TAMRI_BUILD_DIR names the CMake build folder to use (default build/wheel); an already configured
folder is built as it is, so a release build can be packaged without compiling it again.
"""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Distribution, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
BUILD_DIR = pathlib.Path(os.environ.get("TAMRI_BUILD_DIR", "build/wheel"))
TOOL = BUILD_DIR / "cli" / "tamri"


class BinaryDistribution(Distribution):
    """The wheel holds a compiled module, so it is tagged for a platform, not as pure Python."""

    def has_ext_modules(self):
        return True


class BuildWithCMake(build_ext):
    """The compiled parts come from CMake, not from setuptools' compiler driver."""

    def run(self):
        build_dir = ROOT / BUILD_DIR
        if not (build_dir / "CMakeCache.txt").exists():
            self.spawn(["cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", f"-DPython3_EXECUTABLE={sys.executable}",
                        "-DTAMRI_BUILD_TESTS=OFF", "-DTAMRI_BUILD_BENCH=OFF", "-DTAMRI_BUILD_FUZZ=OFF"])
        self.spawn(["cmake", "--build", str(build_dir), "--target", "tamri_python", "tamri_cli"])
        target = pathlib.Path(self.build_lib)
        stubs = target / "tamri-stubs"
        stubs.mkdir(parents=True, exist_ok=True)
        shutil.copy2(build_dir / "python" / "tamri.abi3.so", target / "tamri.abi3.so")
        shutil.copy2(ROOT / "python" / "tamri.pyi", stubs / "__init__.pyi")


setup(
    distclass=BinaryDistribution,
    cmdclass={"build_ext": BuildWithCMake},
    packages=[],
    # The corpus driver is plain Python beside the compiled module.
    package_dir={"": "python"},
    py_modules=["tamri_corpus"],
    # The executable goes to the environment's bin/: setuptools refuses a compiled file as a script.
    data_files=[("bin", [str(TOOL)])],
    options={"bdist_wheel": {"py_limited_api": "cp311"}},
    zip_safe=False,
)
