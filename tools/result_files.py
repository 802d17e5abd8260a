"""The result files of the Python tools, written as the C++ programs write
theirs: through safe-write (tools/safe-write/), which holds the suite's one
safe writer and refuses an output that is an input or another output.

An output is a pair (LABEL, PATH), LABEL naming it in messages as its option
does ("--plot"). safe-write prints every message on standard error itself,
after the calling program's name, so a caller only looks at the status:
0 done, 1 cannot be written, 2 an output that is an input or another output.
"""

import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))


def find_safe_write(bindir):
    """safe-write in the bin directory, beside this module (installed) or in
    build/bin of its source tree; None when it is nowhere."""
    for folder in [bindir, HERE, os.path.join(HERE, "..", "build", "bin")]:
        path = os.path.normpath(os.path.join(folder, "safe-write"))
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    return None


def _command(safe_write, program, outputs, inputs):
    words = [safe_write, "--name", program]
    for path in inputs:
        words += ["--input", path]
    words.append("--")
    for label, path in outputs:
        words += [label, path]
    return words


def check(safe_write, program, outputs, inputs=()):
    """Whether every output may be written, before any work is done: the
    status of safe-write --check."""
    command = _command(safe_write, program, outputs, inputs)
    return subprocess.run(command[:1] + ["--check"] + command[1:]).returncode


def write(safe_write, program, data, outputs, inputs=()):
    """Writes `data` (bytes or text) to the first output, whole or not at
    all; the others are only checked against. Returns safe-write's status."""
    if isinstance(data, str):
        data = data.encode()
    return subprocess.run(_command(safe_write, program, outputs, inputs), input=data).returncode
