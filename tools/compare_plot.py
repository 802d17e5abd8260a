"""Draws compare's table as a dot plot, written as SVG (PNG through
rsvg-convert): one panel per problem, one row per program, a dot at the
median solve seconds on a logarithmic axis shared by every panel, the
figure written beside it.

Ours are blue, peers vermillion (the Okabe-Ito palette, told apart with any
colour vision). A time below the clock's resolution (the report said 0 at
its precision) is a hollow dot at the resolution, labelled "< 0.01"; a run
stopped at the timeout a triangle at the timeout; a failed run a cross at
the left edge.
"""

import math
import os
import shutil
import subprocess
from xml.sax.saxutils import escape

OURS, PEERS, INK, GRID = "#0072B2", "#D55E00", "#222222", "#dddddd"
FONT = "font-family='DejaVu Sans, Arial, sans-serif'"
ROW, TITLE, AXIS, GAP, AXIS_WIDTH = 18, 26, 34, 14, 340
CHAR = 6.6  # the width of an average character at 11 px, for laying out labels


class Point:
    """One program's figure on one problem: kind is "ok", "resolution",
    "timeout" or "failed"; seconds where it is drawn; text beside it."""

    def __init__(self, row):
        self.label = row["program"]
        self.peer = self.label.startswith("peer-")
        if row["result"] == "TIMEOUT" and float(row.get("timeout") or 0) > 0:
            self.kind, self.seconds = "timeout", float(row["timeout"])
            self.text = f"timeout ({self.seconds:g} s)"
        elif row["result"] in ("TIMEOUT", "FAILED"):
            self.kind, self.seconds, self.text = "failed", None, row["result"].lower()
        else:
            resolution = clock_resolution(row)
            seconds = float(row["seconds"])
            if seconds < resolution:
                self.kind, self.seconds, self.text = "resolution", resolution, f"< {resolution:g}"
            else:
                self.kind, self.seconds, self.text = "ok", seconds, f"{seconds:.3f}"


def clock_resolution(row):
    """The last digit of the program's own seconds field (0.01 for 0.00)."""
    reports = row.get("run reports") or ""
    field = reports.split(";")[0].split()[-1] if reports.strip() not in ("", "-") else \
        row["seconds"]
    decimals = len(field.partition(".")[2])
    return 10.0 ** -decimals


def panels(rows):
    """[(title, [Point])] per problem, in table order."""
    problems = {}
    for row in rows:
        problems.setdefault(row["problem"], []).append(row)
    result = []
    for problem, its_rows in problems.items():
        sized = [r for r in its_rows if r.get("nodes", "-") != "-"]
        title = os.path.basename(problem)
        if sized:
            title += f": {sized[0]['nodes']} nodes, {sized[0]['edges']} edges"
        result.append((title, [Point(r) for r in its_rows]))
    return result


class Axis:
    """Seconds to x on a logarithmic scale of whole decades."""

    def __init__(self, points, left, right):
        drawn = [p.seconds for p in points if p.seconds is not None] or [1.0]
        self.low = math.floor(math.log10(min(drawn)))
        self.high = max(math.ceil(math.log10(max(drawn))), self.low + 1)
        self.left, self.right = left, right

    def x(self, seconds):
        share = (math.log10(seconds) - self.low) / (self.high - self.low)
        return self.left + share * (self.right - self.left)

    def decades(self):
        return [10.0 ** d for d in range(self.low, self.high + 1)]


def text(x, y, content, anchor="start", size=11, colour=INK, weight="normal"):
    return (f"<text x='{x:.1f}' y='{y:.1f}' {FONT} font-size='{size}' fill='{colour}' "
            f"text-anchor='{anchor}' font-weight='{weight}'>{escape(content)}</text>")


def mark(kind, peer, x, y):
    colour = PEERS if peer else OURS
    if kind == "ok":
        return f"<circle cx='{x:.1f}' cy='{y:.1f}' r='4.5' fill='{colour}'/>"
    if kind == "resolution":
        return (f"<circle cx='{x:.1f}' cy='{y:.1f}' r='4' fill='white' stroke='{colour}' "
                f"stroke-width='2'/>")
    if kind == "timeout":
        return (f"<path d='M{x - 5:.1f},{y - 5:.1f} L{x + 5:.1f},{y:.1f} L{x - 5:.1f},"
                f"{y + 5:.1f} Z' fill='{colour}'/>")
    return (f"<path d='M{x - 4:.1f},{y - 4:.1f} L{x + 4:.1f},{y + 4:.1f} M{x - 4:.1f},"
            f"{y + 4:.1f} L{x + 4:.1f},{y - 4:.1f}' stroke='{colour}' stroke-width='2'/>")


def grid(axis, offset, top, bottom):
    """A line and a figure at every decade."""
    parts = []
    for seconds in axis.decades():
        x = axis.x(seconds) + offset
        parts.append(f"<line x1='{x:.1f}' y1='{top}' x2='{x:.1f}' y2='{bottom}' "
                     f"stroke='{GRID}'/>")
        parts.append(text(x, bottom + 14, f"{seconds:g}", anchor="middle", size=10))
    parts.append(text((axis.left + axis.right) / 2 + offset, bottom + 28,
                      "median solve seconds (log scale)", anchor="middle", size=10,
                      colour="#555555"))
    return parts


def dot(point, axis, offset, y):
    """The program's name, its mark, and its figure beside the mark (left of
    it near the right edge)."""
    x = offset + (axis.x(point.seconds) if point.seconds is not None else axis.left)
    parts = [text(axis.left + offset - 10, y + 4, point.label, anchor="end"),
             mark(point.kind, point.peer, x, y)]
    if x + 10 + CHAR * len(point.text) > axis.right + offset + 50:
        parts.append(text(x - 9, y + 4, point.text, anchor="end", size=10))
    else:
        parts.append(text(x + 9, y + 4, point.text, size=10))
    return parts


def panel(title, points, axis, top, offset):
    """The panel's SVG elements from `top` down, `offset` to the right, and its height."""
    plot_top, plot_bottom = top + TITLE, top + TITLE + ROW * len(points)
    parts = [text(offset + 4, top + 17, title, size=12, weight="bold")]
    parts += grid(axis, offset, plot_top, plot_bottom)
    for i, point in enumerate(points):
        parts += dot(point, axis, offset, plot_top + ROW * i + ROW / 2)
    return parts, plot_bottom + AXIS - top


def legend(width):
    """The legend's elements, in as many lines as the width needs, and its height."""
    entries = [(False, "ok", "this suite"), (True, "ok", "peer library"),
               (False, "resolution", "below the clock's resolution"),
               (False, "timeout", "stopped at the timeout"), (False, "failed", "failed")]
    parts, x, y = [], 12, 16
    for peer, kind, words in entries:
        entry_width = 30 + CHAR * len(words)
        if x + entry_width > width:
            x, y = 12, y + ROW
        parts += [mark(kind, peer, x + 5, y), text(x + 15, y + 4, words)]
        x += entry_width
    return parts, y + ROW


def svg(rows):
    """The whole picture: panels in one column, two side by side from four problems."""
    laid_out = panels(rows)
    columns = 2 if len(laid_out) >= 4 else 1
    label_width = CHAR * max(len(p.label) for _, points in laid_out for p in points) + 20
    width = label_width + AXIS_WIDTH + 60
    axis = Axis([p for _, points in laid_out for p in points], label_width,
                label_width + AXIS_WIDTH)
    parts, top = legend(width * columns)
    for first in range(0, len(laid_out), columns):
        height = 0
        for column, (title, points) in enumerate(laid_out[first:first + columns]):
            drawn, own_height = panel(title, points, axis, top, column * width)
            parts += drawn
            height = max(height, own_height)
        top += height + GAP
    return (f"<svg xmlns='http://www.w3.org/2000/svg' width='{width * columns:.0f}' "
            f"height='{top}' viewBox='0 0 {width * columns:.0f} {top}'>\n"
            f"<rect width='100%' height='100%' fill='white'/>\n" + "\n".join(parts)
            + "\n</svg>\n")


def png_converter():
    """The command that turns an SVG into a PNG, or None."""
    return shutil.which("rsvg-convert")


def draw(rows, png=False):
    """The plot of `rows`: SVG bytes, or PNG bytes when `png` is true."""
    picture = svg(rows).encode()
    if not png:
        return picture
    proc = subprocess.run([png_converter(), "--format", "png"], input=picture,
                          capture_output=True)
    if proc.returncode != 0:
        raise RuntimeError(f"rsvg-convert failed: {proc.stderr.decode().strip()}")
    return proc.stdout
