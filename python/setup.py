"""Builds matchflow._core from this tree's sources: the bindings in src/ and
the fastcore library's sources as fastcore/CMakeLists.txt lists them.

    pip install --no-build-isolation ./python
"""

import os
import re

import pybind11
from setuptools import Extension, setup
from setuptools.command.build_py import build_py

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def fastcore_sources():
    """The .cpp files of the fastcore library target, read from its CMakeLists."""
    with open(os.path.join(ROOT, "fastcore", "CMakeLists.txt")) as f:
        match = re.search(r"add_library\(\s*fastcore\s+(?:STATIC\s+)?([^)]*)\)", f.read())
    if not match:
        raise RuntimeError("fastcore/CMakeLists.txt defines no fastcore library")
    return [os.path.join("..", "fastcore", name) for name in match.group(1).split()
            if name.endswith(".cpp")]


class BuildPy(build_py):
    """Also writes matchflow/_build_info.py: where this tree's programs and tools are."""

    def run(self):
        super().run()
        with open(os.path.join(self.build_lib, "matchflow", "_build_info.py"), "w") as f:
            f.write(f"BINDIR = {os.path.join(ROOT, 'build', 'bin')!r}\n"
                    f"TOOLS = {os.path.join(ROOT, 'tools')!r}\n")


core = Extension(
    "matchflow._core",
    sources=["src/core.cpp"] + fastcore_sources(),  # relative to this directory
    include_dirs=[ROOT, pybind11.get_include()],
    language="c++",
    extra_compile_args=["-std=c++17", "-O2", "-g0", "-fvisibility=hidden"],
)

setup(packages=["matchflow"], ext_modules=[core], cmdclass={"build_py": BuildPy})
