#!/usr/bin/env python3
"""fastmatch with -w and -c under address-space limits just above the least
that lets its solve through: wherever the limit cuts off the result files
(the write buffers, the cover), the run must end with the memory message and
status 1, as a solve that runs out does; never in an abort.

Usage: out_of_memory_test.py BINDIR

The limits are found by bisection on this machine, so the test does not
depend on the build's memory layout. Not for sanitizer builds, whose shadow
memory no such limit admits.
"""

import os
import resource
import subprocess
import sys
import tempfile

MESSAGE = b"can't obtain enough memory to solve this problem"
MIB = 1 << 20
# Many vertices and few edges: the cover's arrays are large beside the
# solve's.
SIDE = 2000000
PROBLEM = (f"p bipartite-matching {SIDE} {SIDE} 1000\n".encode()
           + b"".join(b"a %d %d\n" % (i, i) for i in range(1, 1001)))


def run(fastmatch, limit, args, folder):
    def limited():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return subprocess.run([fastmatch] + args, input=PROBLEM, capture_output=True, cwd=folder,
                          preexec_fn=limited, timeout=60)


def main():
    fastmatch = os.path.abspath(os.path.join(sys.argv[1], "fastmatch"))
    with tempfile.TemporaryDirectory() as folder:
        low, high = MIB, 1 << 32  # the solve alone fails at low, passes at high
        while high - low > MIB:
            middle = (low + high) // 2
            if run(fastmatch, middle, [], folder).returncode == 0:
                high = middle
            else:
                low = middle
        faults = []
        for extra in range(24):
            limit = high + extra * MIB
            done = run(fastmatch, limit, ["-w", "pairs.txt", "-c", "cover.txt"], folder)
            if done.returncode != 0 and (done.returncode, done.stdout) != (1, MESSAGE):
                faults.append(f"{limit // MIB} MiB: status {done.returncode}, "
                              f"{done.stdout[-80:]!r} {done.stderr[-120:]!r}")
            leftovers = sorted(set(os.listdir(folder)) - {"pairs.txt", "cover.txt"})
            if leftovers:
                faults.append(f"{limit // MIB} MiB: left behind {leftovers}")
    for fault in faults:
        print(fault)
    print(f"{'FAILED' if faults else 'ok'}: limits from {high // MIB} MiB up")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
