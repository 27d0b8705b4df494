#!/usr/bin/env python3
"""Draws the calendar's and the main view's small pictures as PNG files.

    python3 tools/make_calendar_icons.py            # writes into res/icons/
    python3 tools/make_calendar_icons.py --check    # fails when a committed picture differs

Pictures:
  type-note, type-weekend, type-anniversary, type-todo, type-dayoff  16 x 16 (+ @2x)
      the day note types; the lists and the next-day-event line show them
  reminder                                                          16 x 16 (+ @2x)
      the next-reminder line
  month-previous, month-next                                        84 x 21
      the calendar's month buttons: four 21 x 21 states side by side (normal, under the
      mouse, pressed, disabled), each a triangle on a clear background

Uses only the Python standard library. Shapes are signed distance functions (negative inside),
sampled 4 x 4 times per pixel, so the edges are smooth at both sizes.
"""
import argparse
import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 4


# --- shapes: functions (x, y) -> signed distance in picture units

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(left, top, right, bottom, radius=0.0):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length_sq = dx * dx + dy * dy or 1.0

    def sdf(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length_sq))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - width / 2
    return sdf


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(x, y):
        best = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey or 1.0)))
            best = min(best, math.hypot(x - ax - t * ex, y - ay - t * ey))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / (by - ay):
                inside = not inside
        return -best if inside else best
    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


# --- colours

def rgb(text, alpha=255):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4)) + (alpha,)


def vertical(top_color, bottom_color, top, bottom):
    """A gradient from `top_color` at y = top to `bottom_color` at y = bottom."""
    def paint(x, y):
        t = max(0.0, min(1.0, (y - top) / (bottom - top)))
        return tuple(a + (b - a) * t for a, b in zip(top_color, bottom_color))
    return paint


class Canvas:
    """An RGBA picture `width` x `height` pixels whose drawing units are `unit` pixels."""

    def __init__(self, width, height, unit):
        self.width, self.height, self.unit = width, height, unit
        n = SUPERSAMPLE
        self.samples = [[(0.0, 0.0, 0.0, 0.0)] * (width * n) for _ in range(height * n)]

    def fill(self, shape, paint, outline=None, line=0.0, clip=None):
        """Fills `shape` with `paint` (a colour or a function of x, y), the band `line` units
        wide inside its edge with `outline`; only where `clip` (a shape) is inside, if given."""
        n = SUPERSAMPLE
        step = 1.0 / (self.unit * n)
        for sy in range(self.height * n):
            y = (sy + 0.5) * step
            row = self.samples[sy]
            for sx in range(self.width * n):
                x = (sx + 0.5) * step
                d = shape(x, y)
                if d > 0 or (clip is not None and clip(x, y) > 0):
                    continue
                color = outline if outline is not None and d > -line else paint
                if callable(color):
                    color = color(x, y)
                row[sx] = over(row[sx], color)

    def pixels(self):
        n = SUPERSAMPLE
        out = []
        for py in range(self.height):
            line = []
            for px in range(self.width):
                r = g = b = a = 0.0
                for sy in range(py * n, py * n + n):
                    for sr, sg, sb, sa in self.samples[sy][px * n:px * n + n]:
                        r, g, b, a = r + sr, g + sg, b + sb, a + sa
                count = n * n
                alpha = a / count
                if alpha <= 0.0:
                    line.append((0, 0, 0, 0))
                    continue
                line.append(tuple(int(round(c / a * 255 if i < 3 else alpha * 255))
                                  for i, c in enumerate((r, g, b, a))))
            out.append(line)
        return out


def over(base, color):
    """`color` (8-bit RGBA) over `base` (premultiplied floats 0..1)."""
    alpha = color[3] / 255.0
    r, g, b = (c / 255.0 * alpha for c in color[:3])
    keep = 1.0 - alpha
    return (r + base[0] * keep, g + base[1] * keep, b + base[2] * keep, alpha + base[3] * keep)


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for line in pixels:
        raw.append(0)
        for pixel in line:
            raw += bytes(pixel)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


# --- the pictures, drawn on a 16 x 16 unit grid

INK = rgb("#3b4254")


def note(c):
    """A sheet of notepaper with a folded corner and ruled lines."""
    sheet = polygon([(2.5, 1.5), (10.5, 1.5), (13.5, 4.5), (13.5, 14.5), (2.5, 14.5)])
    c.fill(sheet, vertical(rgb("#fffdf2"), rgb("#f1e8c8"), 1.5, 14.5), rgb("#8a7b52"), 0.9)
    c.fill(polygon([(10.2, 1.5), (13.5, 4.8), (10.2, 4.8)]), rgb("#d9cb9a"), rgb("#8a7b52"), 0.8)
    for y in (6.5, 8.75, 11.0):
        c.fill(segment(4.5, y, 11.5, y, 0.9), rgb("#7c95c4"))
    c.fill(segment(4.5, 13.0, 9.0, 13.0, 0.9), rgb("#7c95c4"))


def weekend(c):
    """A sun."""
    for i in range(8):
        angle = i * math.pi / 4
        c.fill(segment(8 + 4.6 * math.cos(angle), 8 + 4.6 * math.sin(angle),
                       8 + 7.0 * math.cos(angle), 8 + 7.0 * math.sin(angle), 1.5), rgb("#f08a12"))
    c.fill(circle(8, 8, 4.1), vertical(rgb("#ffe066"), rgb("#f7a21b"), 4, 12), rgb("#c7650a"), 0.9)


def anniversary(c):
    """A gift box with a ribbon and a bow."""
    c.fill(box(2.0, 7.0, 14.0, 14.8, 1.0), vertical(rgb("#ef5350"), rgb("#b71c1c"), 7, 15), rgb("#7f1010"), 0.9)
    c.fill(box(1.3, 5.0, 14.7, 8.0, 0.8), vertical(rgb("#f77b78"), rgb("#d32f2f"), 5, 8), rgb("#7f1010"), 0.9)
    c.fill(box(6.9, 5.0, 9.1, 14.8), rgb("#ffd54f"), rgb("#b08600"), 0.6)
    for sign in (-1, 1):
        loop = subtract(circle(8 + sign * 2.6, 3.3, 2.3), circle(8 + sign * 2.6, 3.3, 1.0))
        c.fill(loop, rgb("#ffd54f"), rgb("#b08600"), 0.7)
    c.fill(circle(8, 4.6, 1.2), rgb("#ffca28"), rgb("#b08600"), 0.6)


def todo(c):
    """A tick in a check box."""
    c.fill(box(1.5, 2.5, 12.5, 13.5, 2.0), vertical(rgb("#ffffff"), rgb("#dfe6f2"), 2.5, 13.5), rgb("#4a5f8c"), 1.0)
    tick = union(segment(4.2, 7.8, 7.2, 11.0, 2.2), segment(7.2, 11.0, 14.2, 2.6, 2.2))
    c.fill(tick, rgb("#2e9d43"))


def day_off(c):
    """A beach umbrella."""
    canopy = intersect(circle(8, 8.6, 6.6), lambda x, y: y - 8.6)
    for scallop in (2.6, 6.2, 9.8, 13.4):
        canopy = subtract(canopy, circle(scallop, 9.6, 1.75))
    c.fill(segment(8, 6, 10.8, 15.0, 1.3), rgb("#7a5a3a"))

    def stripes(x, y):
        angle = math.atan2(y - 8.6, x - 8.0)
        return rgb("#e53935") if int((angle + math.pi) / (math.pi / 5)) % 2 == 0 else rgb("#fafafa")
    c.fill(canopy, stripes, rgb("#8e1c1a"), 0.8)
    c.fill(circle(8, 1.9, 0.9), rgb("#8e1c1a"))
    c.fill(box(5.0, 14.2, 15.0, 15.4, 0.6), rgb("#e8c36a"))


def reminder(c):
    """An alarm bell."""
    body = union(circle(8, 6.6, 4.3), polygon([(3.7, 6.6), (12.3, 6.6), (13.8, 12.0), (2.2, 12.0)]),
                 box(1.6, 11.0, 14.4, 13.2, 1.0))
    c.fill(circle(8, 14.0, 1.6), rgb("#b07a12"), rgb("#6e4a06"), 0.7)
    c.fill(body, vertical(rgb("#ffe27a"), rgb("#e0a21e"), 2, 13), rgb("#8a5a06"), 0.9)
    c.fill(circle(8, 1.9, 1.2), rgb("#e0a21e"), rgb("#8a5a06"), 0.7)
    c.fill(segment(5.6, 5.2, 5.0, 9.2, 0.9), rgb("#fff4c2", 200))


def month_button(c, pointing_left, state):
    """One 21 x 21 state of a month button: the triangle of the button's region, inset."""
    if pointing_left:
        corners = [(19.6, 1.8), (19.6, 19.2), (2.2, 10.5)]
    else:
        corners = [(1.4, 1.8), (1.4, 19.2), (18.8, 10.5)]
    shift = 0.8 if state == "pressed" else 0.0
    triangle = polygon([(x + shift, y + shift) for x, y in corners])
    colours = {
        "normal": (rgb("#8fb0e0"), rgb("#3e64a8"), rgb("#2a4478")),
        "hover": (rgb("#b7d0f5"), rgb("#5a86d0"), rgb("#2a4a88")),
        "pressed": (rgb("#3e64a8"), rgb("#6f93cf"), rgb("#1d3460")),
        "disabled": (rgb("#d8dbe0"), rgb("#aab0ba"), rgb("#8a909a")),
    }[state]
    c.fill(triangle, vertical(colours[0], colours[1], 2, 19), colours[2], 1.1)


def single(draw, size):
    canvas = Canvas(size, size, size / 16.0)
    draw(canvas)
    return canvas.pixels()


def strip(pointing_left):
    canvas_rows = None
    for state in ("normal", "hover", "pressed", "disabled"):
        canvas = Canvas(21, 21, 1.0)
        month_button(canvas, pointing_left, state)
        rows = canvas.pixels()
        canvas_rows = rows if canvas_rows is None else [a + b for a, b in zip(canvas_rows, rows)]
    return canvas_rows


def pictures():
    out = {}
    for name, draw in (("type-note", note), ("type-weekend", weekend), ("type-anniversary", anniversary),
                       ("type-todo", todo), ("type-dayoff", day_off), ("reminder", reminder)):
        out[name + ".png"] = single(draw, 16)
        out[name + "@2x.png"] = single(draw, 32)
    out["month-previous.png"] = strip(True)
    out["month-next.png"] = strip(False)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons"))
    parser.add_argument("--check", action="store_true", help="compare with the files instead of writing them")
    args = parser.parse_args()
    differing = []
    for name, pixels in pictures().items():
        path = os.path.join(args.output, name)
        data = png_bytes(pixels)
        if args.check:
            try:
                with open(path, "rb") as existing:
                    if existing.read() != data:
                        differing.append(name)
            except OSError:
                differing.append(name)
            continue
        with open(path, "wb") as out:
            out.write(data)
    if differing:
        print("pictures differ from their generator: " + ", ".join(differing), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
