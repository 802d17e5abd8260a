"""Draws compare's table as a bar chart with gnuplot: median solve seconds
per program, clustered by problem, on a logarithmic axis.

A run stopped at the timeout is drawn at the timeout and marked "timeout";
a failed run gets no bar but a "failed" mark at the foot of the axis.
Seconds reported as 0.00 are drawn at FLOOR, below the resolution of the
report line. Every series has its own colour and fill pattern.
"""

import os
import subprocess
import tempfile

FLOOR = 0.005
COLOURS = ["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#e377c2",
           "#7f7f7f", "#bcbd22", "#17becf", "#000080", "#808000", "#008080", "#800000",
           "#ff00ff", "#00c000", "#4b0082", "#ffa07a", "#2f4f4f", "#daa520"]
# gnuplot's fill patterns that differ from one another; combined with the
# colours above no two of the first 140 series look alike.
FILLS = ["solid 1.0", "pattern 1", "pattern 2", "pattern 4", "pattern 5", "pattern 6",
         "pattern 7"]


def quoted(text):
    """A gnuplot single-quoted string."""
    return "'" + text.replace("'", "''") + "'"


def bars(rows):
    """(problems, series, {(problem, series): (seconds, mark)}) of the rows."""
    problems = list(dict.fromkeys(r["problem"] for r in rows))
    series = list(dict.fromkeys(r["program"] for r in rows))
    values = {}
    for r in rows:
        if r["result"] == "TIMEOUT" and float(r.get("timeout") or 0) > 0:
            values[(r["problem"], r["program"])] = (float(r["timeout"]), "timeout")
        elif r["result"] in ("TIMEOUT", "FAILED"):
            values[(r["problem"], r["program"])] = (FLOOR, "failed")
        else:
            values[(r["problem"], r["program"])] = (max(float(r["seconds"]), FLOOR), None)
    return problems, series, values


def data_text(problems, series, values):
    """One gnuplot data block per series (x, seconds), then one of marks if any."""
    blocks, marks = [], []
    for j, label in enumerate(series):
        lines = []
        for i, problem in enumerate(problems):
            x = i * (len(series) + 1) + j + 1
            seconds, mark = values.get((problem, label), (None, None))
            if seconds is not None and mark != "failed":
                lines.append(f"{x} {seconds}")
            if mark:
                marks.append(f'{x} {seconds} "{mark}"')
        # A series without bars keeps its key entry through a point left of the axis.
        blocks.append("\n".join(lines or ["-10 1"]))
    if marks:
        blocks.append("\n".join(marks))
    return "\n\n\n".join(blocks) + "\n"


def script(problems, series, values, data, target):
    width = len(series) + 1
    tics = ", ".join(f"{quoted(os.path.basename(p))} {i * width + width / 2:g}"
                     for i, p in enumerate(problems))
    top = max(seconds for seconds, _ in values.values())
    plots = [f"{quoted(data)} index {j} using 1:2 with boxes "
             f"lc rgb '{COLOURS[j % len(COLOURS)]}' fs {FILLS[j % len(FILLS)]} border -1 "
             f"title {quoted(label)}" for j, label in enumerate(series)]
    if any(mark for _, mark in values.values()):
        plots.append(f"{quoted(data)} index {len(series)} using 1:2:3 with labels rotate left "
                     f"offset 0,0.5 font ',9' notitle")
    terminal = "svg" if target.lower().endswith(".svg") else "pngcairo"
    return f"""set terminal {terminal} noenhanced size {max(900, 60 * len(problems) * width)},600
set output {quoted(target)}
set logscale y
set yrange [{FLOOR / 2}:{top * 4}]
set xrange [0:{len(problems) * width}]
set ylabel 'solve seconds, median (log scale)'
set xtics ({tics}) rotate by -30
set boxwidth 0.9 absolute
set key outside right
plot {", ".join(plots)}
"""


def draw(rows, target):
    problems, series, values = bars(rows)
    with tempfile.NamedTemporaryFile("w", suffix=".dat") as f:
        f.write(data_text(problems, series, values))
        f.flush()
        proc = subprocess.run(["gnuplot"], input=script(problems, series, values, f.name,
                                                        target).encode(), capture_output=True)
    if proc.returncode != 0:
        message = proc.stderr.decode(errors="replace").strip().splitlines()
        raise RuntimeError(f"gnuplot failed: {message[-1] if message else proc.returncode}")
