#!/usr/bin/env python3
"""Draws the analog clock's built-in face as res/pictures/analog_face.png.

Uses only the Python standard library and the drawing helpers of make_skin_pictures.py:

    python3 tools/make_clock_face.py            # writes the picture
    python3 tools/make_clock_face.py --check    # fails when the committed picture's pixels differ

The face is 164 x 164 with the dial centred on (82, 82); everything outside the dial is pure
magenta (0xFF00FF), which the clock cuts away, and no edge is blended into it.
"""
import argparse
import math
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_skin_pictures import MAGENTA, Picture, dot, mix, ring, thick_line  # noqa: E402

SIZE = 164
CENTRE = 82.0
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "pictures", "analog_face.png")


def lit_disc(pic, radius, light, shade):
    """A disc lit from the top left: `light` there, `shade` at the bottom right; hard edge."""
    for y in range(pic.height):
        for x in range(pic.width):
            dx, dy = x + 0.5 - CENTRE, y + 0.5 - CENTRE
            if math.hypot(dx, dy) <= radius:
                t = max(0.0, min(1.0, 0.5 + (dx + dy) / (4.0 * radius)))
                pic.set(x, y, mix(light, shade, t))


def sunk_dial(pic, radius, centre_color, rim_color):
    """The dial itself, slightly darker toward its rim so the hands stand out in the middle."""
    for y in range(pic.height):
        for x in range(pic.width):
            d = math.hypot(x + 0.5 - CENTRE, y + 0.5 - CENTRE)
            if d <= radius:
                pic.set(x, y, mix(centre_color, rim_color, (d / radius) ** 3))


def diamond(pic, angle, inner, outer, half_width, color):
    """A thin lozenge along the radius at `angle` (radians from twelve, clockwise)."""
    sin, cos = math.sin(angle), math.cos(angle)
    middle = (inner + outer) / 2
    steps = 24
    for i in range(steps + 1):
        r = inner + (outer - inner) * i / steps
        width = half_width * (1 - abs(r - middle) / ((outer - inner) / 2))
        if width <= 0.05:
            continue
        x, y = CENTRE + sin * r, CENTRE - cos * r
        thick_line(pic, x - cos * width, y - sin * width, x + cos * width, y + sin * width, 1.0, color)


def face():
    pic = Picture(SIZE, SIZE)
    bezel_light, bezel_shade = (236, 238, 242), (118, 124, 136)
    lit_disc(pic, 81.0, bezel_light, bezel_shade)
    ring(pic, CENTRE, CENTRE, 80.5, 1.0, (70, 76, 88))
    # The dial inside the bezel, with a thin grey edge between the two.
    sunk_dial(pic, 74.0, (252, 251, 247), (226, 228, 230))
    ring(pic, CENTRE, CENTRE, 74.0, 1.2, (150, 156, 166))
    ring(pic, CENTRE, CENTRE, 58.0, 0.8, (212, 214, 218))
    ink = (46, 52, 66)
    accent = (176, 58, 46)
    for minute in range(60):
        angle = math.radians(minute * 6)
        sin, cos = math.sin(angle), math.cos(angle)
        if minute % 15 == 0:
            for side in (-2.2, 2.2):  # a double bar at twelve, three, six and nine
                ox, oy = cos * side, sin * side
                thick_line(pic, CENTRE + sin * 58 + ox, CENTRE - cos * 58 + oy,
                           CENTRE + sin * 70 + ox, CENTRE - cos * 70 + oy, 2.2, ink)
        elif minute % 5 == 0:
            diamond(pic, angle, 57.0, 70.0, 2.6, ink)
        else:
            dot(pic, CENTRE + sin * 66.5, CENTRE - cos * 66.5, 1.0, mix(ink, (226, 228, 230), 0.35))
    dot(pic, CENTRE, CENTRE - 46.0, 2.2, accent)  # a small red mark under twelve
    return pic


def png_bytes(pic):
    """An 8-bit RGB PNG, every row with filter 0."""
    raw = bytearray()
    for row in pic.pixels:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", pic.width, pic.height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def png_pixels(data):
    """The rows of an 8-bit RGB PNG written by png_bytes (filter 0 only), or None."""
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        return None
    pos, width, height, idat = 8, 0, 0, b""
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    if len(raw) != stride * height or any(raw[y * stride] != 0 for y in range(height)):
        return None
    return [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=OUTPUT)
    parser.add_argument("--check", action="store_true", help="compare with the file instead of writing it")
    args = parser.parse_args()
    pic = face()
    data = png_bytes(pic)
    if args.check:
        try:
            with open(args.output, "rb") as existing:
                same = png_pixels(existing.read()) == png_pixels(data)
        except (OSError, zlib.error, struct.error):
            same = False
        if not same:
            print(f"{args.output} differs from its generator", file=sys.stderr)
            return 1
        return 0
    os.makedirs(os.path.dirname(args.output), exist_ok=True)
    with open(args.output, "wb") as out:
        out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
