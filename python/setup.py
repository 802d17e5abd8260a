"""Builds matchflow._core from this tree's sources: the bindings in src/, the
fastcore library's sources as fastcore/CMakeLists.txt lists them, the
programs' memory budget (common/memory_budget.cpp) and their allocation on
huge pages (common/large_pages.cpp).

    /usr/bin/python3 -m venv --system-site-packages build/venv
    build/venv/bin/pip install --no-build-isolation ./python
"""

import importlib.util
import os
import re
import sys
import sysconfig

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def missing():
    """What this interpreter lacks for the build, with its Debian package."""
    lacking = [(module, package) for module, package in [("pybind11", "python3-pybind11"),
                                                         ("numpy", "python3-numpy")]
               if importlib.util.find_spec(module) is None]
    if not os.path.isfile(os.path.join(sysconfig.get_paths()["include"], "Python.h")):
        lacking.append(("Python.h", "python3-dev"))
    return lacking


if missing():
    sys.exit(f"matchflow: {sys.executable} lacks {', '.join(m for m, _ in missing())} "
             f"(Debian: {' '.join(p for _, p in missing())}): build with the python3 that "
             f"CMake names in its line 'Python module matchflow: built for PYTHON', normally "
             f"Debian's /usr/bin/python3 with those packages")

import pybind11  # noqa: E402
from setuptools import Extension, setup  # noqa: E402
from setuptools.command.build_py import build_py  # noqa: E402


def project_version():
    """The suite's version, from the project() line of the top CMakeLists.txt."""
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        match = re.search(r"project\(matchflow\s+VERSION\s+([0-9.]+)", f.read())
    if not match:
        raise RuntimeError("CMakeLists.txt gives no project version")
    return match.group(1)


def fastcore_sources():
    """The .cpp files of the fastcore library target, read from its CMakeLists."""
    with open(os.path.join(ROOT, "fastcore", "CMakeLists.txt")) as f:
        match = re.search(r"add_library\(\s*fastcore\s+(?:STATIC\s+)?([^)]*)\)", f.read())
    if not match:
        raise RuntimeError("fastcore/CMakeLists.txt defines no fastcore library")
    return [os.path.join("..", "fastcore", name) for name in match.group(1).split()
            if name.endswith(".cpp")]


class BuildPy(build_py):
    """Also writes matchflow/_build_info.py: the version, and where this
    tree's programs and tools are."""

    def run(self):
        super().run()
        with open(os.path.join(self.build_lib, "matchflow", "_build_info.py"), "w") as f:
            f.write(f"VERSION = {project_version()!r}\n"
                    f"BINDIR = {os.path.join(ROOT, 'build', 'bin')!r}\n"
                    f"TOOLS = {os.path.join(ROOT, 'tools')!r}\n")


core = Extension(
    "matchflow._core",
    # relative to this directory; the memory budget is the programs' readers'
    sources=["src/core.cpp", "../common/memory_budget.cpp", "../common/large_pages.cpp"]
    + fastcore_sources(),
    include_dirs=[ROOT, pybind11.get_include()],
    language="c++",
    extra_compile_args=["-std=c++17", "-O2", "-g0", "-fvisibility=hidden"],
)

setup(version=project_version(), packages=["matchflow"], ext_modules=[core],
      cmdclass={"build_py": BuildPy})
