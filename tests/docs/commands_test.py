#!/usr/bin/env python3
"""Runs every shell block of README.md and docs/*.md that is marked
runnable, and checks that it exits as documented.

A runnable block is fenced with the info string `sh run` (it must exit with
status 0) or `sh run exit=N` (status N):

    ```sh run
    build/bin/genbip uniform --left 10 --right 10 > build/u.txt
    ```

Each block runs as one `bash -e` script in a folder that looks like the
source tree (its files linked), whose build/ is a folder of its own holding
links to BUILD_DIR's bin/ and python/: what a block writes under build/
stays there and is removed afterwards, so a block never writes into the
tree or the build. The samples are made there first when a block names
build/samples. A block naming a program or the Python module the build did
not make is skipped with a note.

Usage: commands_test.py BUILD_DIR [FILE...]     (default: README.md, docs/*.md)
"""

import argparse
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BLOCK = re.compile(r"^```sh run(?: exit=(\d+))?\n(.*?)^```$", re.M | re.S)
TIMEOUT = 300


def blocks(path):
    """(line, expected status, script) of every runnable block of the file."""
    with open(path) as f:
        text = f.read()
    return [(text.count("\n", 0, m.start()) + 1, int(m.group(1) or 0), m.group(2))
            for m in BLOCK.finditer(text)]


def missing(script, build):
    """What the block needs that the build did not make, or None."""
    for name in re.findall(r"build/bin/([\w.+-]+)", script):
        if not os.path.exists(os.path.join(build, "bin", name)):
            return f"build/bin/{name}"
    if "build/python" in script and not os.path.isdir(os.path.join(build, "python", "matchflow")):
        return "the Python module"
    return None


def sandbox(build):
    """A folder that looks like the source tree, with a build/ of its own."""
    root = tempfile.mkdtemp(prefix="docs-check-")
    for name in os.listdir(SOURCE):
        if name not in (".git", "build") and not name.startswith("build-"):
            os.symlink(os.path.join(SOURCE, name), os.path.join(root, name))
    os.mkdir(os.path.join(root, "build"))
    for name in ("bin", "python"):
        if os.path.isdir(os.path.join(build, name)):
            os.symlink(os.path.join(build, name), os.path.join(root, "build", name))
    return root


def run(script, cwd):
    """(status, output, seconds) of the block as a bash -e script; a block
    still running after TIMEOUT seconds is stopped with all it started."""
    start = time.monotonic()
    proc = subprocess.Popen(["bash", "-e", "-c", script], cwd=cwd, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        out += f"\n(stopped after {TIMEOUT} s)"
    return proc.returncode, out, time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(prog="commands_test.py", description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", metavar="BUILD_DIR")
    parser.add_argument("files", metavar="FILE", nargs="*")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    files = args.files or [os.path.join(SOURCE, "README.md")] + sorted(
        glob.glob(os.path.join(SOURCE, "docs", "*.md")))
    work = [(os.path.relpath(f, SOURCE), *b) for f in files for b in blocks(f)]
    if not work:
        sys.exit("no runnable blocks found")
    root = sandbox(build)
    failures = 0
    try:
        if any("build/samples" in script for *_, script in work):
            subprocess.run(["tools/make-samples", "build/samples", "build/bin"], cwd=root,
                           check=True, capture_output=True)
        for name, line, expected, script in work:
            lacking = missing(script, build)
            if lacking:
                print(f"{name}:{line}: skipped, no {lacking} in this build")
                continue
            status, out, seconds = run(script, root)
            print(f"{name}:{line}: exit {status} in {seconds:.1f} s")
            if status != expected:
                failures += 1
                print(f"  expected exit {expected}; the block:\n{script}  its output (end):")
                print("\n".join("    " + l for l in out.splitlines()[-20:]))
    finally:
        shutil.rmtree(root)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
