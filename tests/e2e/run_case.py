#!/usr/bin/env python3
"""Runs one end-to-end case file against the programs in a bin directory.

A case file holds header lines, then sections:

    # comment lines are ignored
    program: augrelabel depthmatch   (names, or the groups @matching, @unitflow)
    args: -u 0 -o=3                  (shell words; {out} is a fresh temporary file)
    status: 1                        (expected exit status, default 0)
    stdin-path: /                    (optional: a file or directory opened as stdin)
    --- stdin
    p bipartite-matching 1 1 1
    a 1 1
    --- stdout
           2        1        1        1        4        0.00
    --- stderr
    --- file out                     (expected content of {out} after the run)

A section holds the bytes of its lines up to the next section header,
line terminators included; `--- NAME noeol` drops the last line terminator.
A missing stdin section is an empty input; a missing stdout or stderr
section expects nothing on that stream. Each program runs with its bare name
as argv[0], as if found on the PATH, in a fresh temporary directory where
{out} is the file `out`, and {program} in an expected section stands for
that name. The seconds column of report lines is masked on both sides before
comparing.

More section forms:

    --- stdout @unitflow             (for the programs of that group only;
                                      the section without a group serves the rest)
    --- file -h absent               (no file of that name is left in the directory)
    stdin-path: {out}                (the stdin section is written to {out}
                                      first, and {out} is opened as stdin)
"""

import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile

GROUPS = {
    "@matching": ["augrelabel", "pushmatch-lifo", "pushmatch-fifo", "depthmatch", "breadthmatch"],
    "@unitflow": ["unitflow-lifo", "unitflow-fifo"],
}

REPORT = re.compile(rb"^( *-?\d+(?: +-?\d+){4}) +-?\d+\.\d\d\d?$", re.MULTILINE)


def parse_case(data):
    headers, sections = {}, {}
    name, flags, body = None, [], []
    for line in re.findall(rb"[^\n]*\n|[^\n]+$", data):
        if line.startswith(b"--- "):
            if name is not None:
                sections[name] = (b"".join(body), flags)
            words = line[4:].decode().split()
            if words[0] == "file":  # the file's name belongs to the section's name
                words[:2] = [" ".join(words[:2])]
            groups = [w for w in words[1:] if w.startswith("@")]
            name, flags, body = " ".join([words[0]] + groups), words[1:], []
        elif name is not None:
            body.append(line)
        elif line.strip() and not line.startswith(b"#"):
            key, _, value = line.decode().partition(":")
            headers[key.strip()] = value.strip()
    if name is not None:
        sections[name] = (b"".join(body), flags)
    out = {}
    for key, (content, flags) in sections.items():
        if "noeol" in flags and content.endswith(b"\n"):
            content = content[:-1]
        out[key] = None if "absent" in flags else content
    return headers, out


def sections_for(program, sections):
    """The sections that apply to one program: a group's own section wins."""
    chosen = {}
    for key, content in sections.items():
        groups = [w for w in key.split(" ") if w.startswith("@")]
        name = key[:len(key) - len(" ".join(groups))].rstrip()
        if not groups:
            chosen.setdefault(name, content)
        elif any(program in GROUPS.get(g, []) for g in groups):
            chosen[name] = content
    return chosen


def mask_seconds(text):
    return REPORT.sub(rb"\1 <seconds>", text)


def programs_of(spec, bindir):
    names = []
    for word in spec.split():
        if word in GROUPS:
            names += [p for p in GROUPS[word] if os.path.exists(os.path.join(bindir, p))]
        else:
            names.append(word)
    return names


def show(label, text):
    sys.stdout.write(f"--- {label} ---\n{text.decode(errors='replace')}\n")


def run_program(program, binary, args, headers, sections, tmp):
    stdin_path = headers.get("stdin-path")
    if stdin_path == "{out}":
        stdin_path = os.path.join(tmp, "out")
        with open(stdin_path, "wb") as f:
            f.write(sections.get("stdin", b""))
    if stdin_path is None:
        return subprocess.run([program] + args, executable=binary, cwd=tmp,
                              input=sections.get("stdin", b""), capture_output=True, timeout=60)
    stdin_fd = os.open(stdin_path, os.O_RDONLY)
    try:
        return subprocess.run([program] + args, executable=binary, cwd=tmp, stdin=stdin_fd,
                              capture_output=True, timeout=60)
    finally:
        os.close(stdin_fd)


def check_files(tmp, sections, failures):
    for key, want in sections.items():
        if not key.startswith("file "):
            continue
        name = key[len("file "):]
        path = os.path.join(tmp, name)
        got = open(path, "rb").read() if os.path.exists(path) else None
        if got != want:
            failures.append(f"file {name}")
            show(f"file {name} expected", want if want is not None else b"<absent>")
            show(f"file {name} got", got if got is not None else b"<absent>")


def run_one(program, bindir, headers, sections):
    sections = sections_for(program, sections)
    with tempfile.TemporaryDirectory() as tmp:
        out_path = os.path.join(tmp, "out")
        args = [a.replace("{out}", out_path) for a in shlex.split(headers.get("args", ""))]
        binary = os.path.abspath(os.path.join(bindir, program))
        if not os.path.exists(binary):
            print(f"{program}: no such program in {bindir}")
            return False
        proc = run_program(program, binary, args, headers, sections, tmp)
        failures = []
        want_status = int(headers.get("status", "0"))
        if proc.returncode != want_status:
            failures.append(f"exit status {proc.returncode}, expected {want_status}")
        for stream, got in (("stdout", proc.stdout), ("stderr", proc.stderr)):
            want = sections.get(stream, b"").replace(b"{program}", program.encode())
            if mask_seconds(got) != mask_seconds(want):
                failures.append(stream)
                show(f"{stream} expected", want)
                show(f"{stream} got", got)
        check_files(tmp, sections, failures)
        for failure in failures:
            print(f"{program}: {failure} differs")
        return not failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bindir", required=True)
    parser.add_argument("case")
    opts = parser.parse_args()
    headers, sections = parse_case(open(opts.case, "rb").read())
    programs = programs_of(headers.get("program", ""), opts.bindir)
    if not programs:
        print("the case names no program that was built")
        return 1
    ok = all([run_one(p, opts.bindir, headers, sections) for p in programs])
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
