#!/usr/bin/env python3
"""Draws the stopwatch window's pictures into res/pictures/.

Uses only the Python standard library and the drawing helpers of make_skin_pictures.py:

    python3 tools/make_stopwatch_pictures.py            # writes the pictures
    python3 tools/make_stopwatch_pictures.py --check    # fails when a committed picture differs

stopwatch.png (150 x 80): the window itself. Everything outside its rounded body is pure
magenta (0xFF00FF), which the window cuts away. The time is written by the program into the
display panel, whose inside is exactly the panel colour the window fills it with.

stopwatch_close.png (104 x 26): the close corner's four states side by side (normal, under the
mouse, pressed, disabled). The button's shape is the triangle (0, 0), (26, 0), (26, 26) of each
state; the rest is magenta.
"""
import argparse
import math
import os
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_clock_face import png_bytes, png_pixels  # noqa: E402
from make_skin_pictures import MAGENTA, Picture, dot, mix, rounded_rect, thick_line  # noqa: E402

FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "pictures")

WIDTH, HEIGHT = 150, 80
# The display panel: its bevel, and inside it the rectangle the program fills and writes in.
PANEL = (8, 31, 142, 67)           # left, top, right, bottom (exclusive) of the bevel
PANEL_COLOR = (0x96, 0xAA, 0xAE)   # the window's display brush
CLOSE_LEFT, CLOSE_TOP, CLOSE_SIZE = 122, 2, 26

BODY_TOP = (92, 101, 116)
BODY_BOTTOM = (46, 52, 64)
BODY_BORDER = (26, 29, 36)
INK = (214, 220, 228)


def body():
    pic = Picture(WIDTH, HEIGHT)
    rounded_rect(pic, 0, 0, WIDTH, HEIGHT, 9, BODY_TOP, BODY_BOTTOM, BODY_BORDER)
    # A highlight just inside the border along the top, for a slightly raised look.
    for x in range(8, WIDTH - 8):
        pic.set(x, 1, mix(pic.get(x, 1), (255, 255, 255), 0.35))

    # A small stopwatch mark at the top left: a ring with a crown and a hand.
    cx, cy, r = 17.0, 16.0, 7.0
    for y in range(4, 28):
        for x in range(6, 30):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            pic.blend(x, y, INK, max(0.0, min(1.0, 0.9 - abs(d - r))))
    thick_line(pic, cx, cy - r - 1, cx, cy - r - 3.5, 2.2, INK)
    thick_line(pic, cx - 2.5, cy - r - 4, cx + 2.5, cy - r - 4, 1.6, INK)
    thick_line(pic, cx + 5.2, cy - 5.2, cx + 6.8, cy - 6.8, 1.6, INK)
    thick_line(pic, cx, cy, cx + 3.2, cy - 3.8, 1.4, INK)
    dot(pic, cx, cy, 1.2, INK)

    # An engraved groove under the mark and the close corner.
    for x in range(34, 116):
        pic.set(x, 22, mix(pic.get(x, 22), BODY_BORDER, 0.45))
        pic.set(x, 23, mix(pic.get(x, 23), (255, 255, 255), 0.12))

    # The display panel, sunk into the body: dark above and left, light below and right.
    left, top, right, bottom = PANEL
    shadow, light = (22, 25, 31), (134, 142, 156)
    for y in range(top, bottom):
        for x in range(left, right):
            edge = min(x - left, y - top, right - 1 - x, bottom - 1 - y)
            if edge >= 2:
                pic.set(x, y, PANEL_COLOR)
            elif x - left < 2 or y - top < 2:
                pic.set(x, y, shadow if edge == 0 else mix(shadow, PANEL_COLOR, 0.45))
            else:
                pic.set(x, y, light if edge == 0 else mix(light, PANEL_COLOR, 0.45))

    # Three small feet under the panel, as on a bench instrument.
    for fx in (WIDTH / 2 - 14, WIDTH / 2, WIDTH / 2 + 14):
        dot(pic, fx, 73.5, 1.3, mix(BODY_BOTTOM, INK, 0.45))
    return pic


def close_states():
    """Four 26 x 26 triangles: normal, hot, pressed, disabled."""
    pic = Picture(CLOSE_SIZE * 4, CLOSE_SIZE)
    looks = [
        ((112, 120, 136), (78, 86, 100), (206, 212, 222)),   # normal: a shade of the body
        ((214, 84, 70), (170, 46, 38), (255, 255, 255)),     # under the mouse
        ((150, 40, 34), (118, 30, 26), (238, 226, 224)),     # pressed
        ((96, 100, 108), (84, 88, 96), (132, 136, 144)),     # disabled
    ]
    for state, (top, bottom, cross) in enumerate(looks):
        origin = state * CLOSE_SIZE
        for y in range(CLOSE_SIZE):
            for x in range(CLOSE_SIZE):
                if x < y:
                    continue  # below the diagonal: not part of the button
                t = (y + (CLOSE_SIZE - 1 - x)) / (2 * CLOSE_SIZE - 2)
                color = mix(top, bottom, t)
                if x == y or y == 0 or x == CLOSE_SIZE - 1:
                    color = mix(color, BODY_BORDER, 0.55)  # a thin edge all round
                pic.set(origin + x, y, color)
        shift = 1 if state == 2 else 0
        cx, cy, arm = origin + 17.5 + shift, 8.5 + shift, 3.6
        thick_line(pic, cx - arm, cy - arm, cx + arm, cy + arm, 1.8, cross)
        thick_line(pic, cx + arm, cy - arm, cx - arm, cy + arm, 1.8, cross)
    return pic


def pictures():
    return {"stopwatch.png": body(), "stopwatch_close.png": close_states()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--folder", default=FOLDER)
    parser.add_argument("--check", action="store_true", help="compare with the files instead of writing them")
    args = parser.parse_args()
    failed = False
    for name, pic in pictures().items():
        path = os.path.join(args.folder, name)
        data = png_bytes(pic)
        if args.check:
            try:
                with open(path, "rb") as existing:
                    same = png_pixels(existing.read()) == png_pixels(data)
            except (OSError, zlib.error):
                same = False
            if not same:
                print(f"{path} differs from its generator", file=sys.stderr)
                failed = True
            continue
        os.makedirs(args.folder, exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
