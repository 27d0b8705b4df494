#!/usr/bin/env python3
"""Draws the pictures of the bundled skins, notifiers and stickers as 24-bit BMP files.

Uses only the Python standard library, so the pictures can be changed and redrawn anywhere:

    python3 tools/make_skin_pictures.py            # writes into res/
    python3 tools/make_skin_pictures.py --check    # fails when a committed picture differs

Everything that must be see-through is pure magenta (0xFF00FF); edges against it are never
blended, so the cut-out stays clean.
"""
import argparse
import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)


class Picture:
    def __init__(self, width, height, fill=MAGENTA):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.pixels[y][x]

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = tuple(int(round(c)) for c in color)

    def blend(self, x, y, color, alpha):
        """Blends over what is there, never over the see-through colour."""
        if not (0 <= x < self.width and 0 <= y < self.height) or alpha <= 0:
            return
        base = self.pixels[y][x]
        if base == MAGENTA:
            return
        alpha = min(alpha, 1.0)
        self.set(x, y, tuple(b + (c - b) * alpha for b, c in zip(base, color)))

    def bmp_bytes(self):
        row_size = (self.width * 3 + 3) // 4 * 4
        image_size = row_size * self.height
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, image_size, 2835, 2835, 0, 0)
        rows = []
        for y in range(self.height - 1, -1, -1):  # bottom-up
            row = bytearray()
            for r, g, b in self.pixels[y]:
                row += bytes((b, g, r))
            row += bytes(row_size - len(row))
            rows.append(bytes(row))
        return header + info + b"".join(rows)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def coverage(distance):
    """Share of a pixel covered by an edge `distance` pixels inside it (0.5 on the edge)."""
    return max(0.0, min(1.0, distance + 0.5))


def fill_disc(pic, cx, cy, radius, inner, outer=None):
    """A disc with a radial gradient from `inner` at the centre to `outer` at the rim; hard edge."""
    outer = outer or inner
    for y in range(pic.height):
        for x in range(pic.width):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= radius:
                pic.set(x, y, mix(inner, outer, (d / radius) ** 2))


def ring(pic, cx, cy, radius, width, color):
    for y in range(pic.height):
        for x in range(pic.width):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            pic.blend(x, y, color, coverage(width / 2 - abs(d - radius)))


def thick_line(pic, x0, y0, x1, y1, width, color):
    """An antialiased line of the given width, blended over the picture."""
    left, right = int(min(x0, x1) - width - 1), int(max(x0, x1) + width + 2)
    top, bottom = int(min(y0, y1) - width - 1), int(max(y0, y1) + width + 2)
    dx, dy = x1 - x0, y1 - y0
    length_sq = dx * dx + dy * dy or 1.0
    for y in range(top, bottom):
        for x in range(left, right):
            px, py = x + 0.5, y + 0.5
            t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length_sq))
            d = math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))
            pic.blend(x, y, color, coverage(width / 2 - d))


def dot(pic, cx, cy, radius, color):
    for y in range(int(cy - radius - 1), int(cy + radius + 2)):
        for x in range(int(cx - radius - 1), int(cx + radius + 2)):
            pic.blend(x, y, color, coverage(radius - math.hypot(x + 0.5 - cx, y + 0.5 - cy)))


def rounded_rect(pic, left, top, right, bottom, radius, top_color, bottom_color, border):
    """A filled rounded rectangle with a vertical gradient and a one-pixel border; hard outer edge."""
    for y in range(top, bottom):
        for x in range(left, right):
            cx = min(max(x + 0.5, left + radius), right - radius)
            cy = min(max(y + 0.5, top + radius), bottom - radius)
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d > radius:
                continue
            pic.set(x, y, mix(top_color, bottom_color, (y - top) / max(1, bottom - top - 1)))
            if d > radius - 1.5 or x in (left, right - 1) or y in (top, bottom - 1):
                pic.set(x, y, border)


def clock_face(face_inner, face_outer, rim, marks, numerals_dots):
    """A 164 x 164 dial centred on (82, 82); everything outside it is magenta."""
    pic = Picture(164, 164)
    cx = cy = 82.0
    fill_disc(pic, cx, cy, 81.0, face_inner, face_outer)
    ring(pic, cx, cy, 78.5, 4.0, rim)
    ring(pic, cx, cy, 75.0, 1.0, mix(rim, face_outer, 0.5))
    for minute in range(60):
        angle = math.radians(minute * 6)
        sin, cos = math.sin(angle), math.cos(angle)
        if minute % 5 == 0:
            length, width = (12.0, 3.2) if minute % 15 == 0 else (9.0, 2.0)
            thick_line(pic, cx + sin * (72 - length), cy - cos * (72 - length), cx + sin * 71, cy - cos * 71, width, marks)
        else:
            dot(pic, cx + sin * 69.5, cy - cos * 69.5, 0.9, numerals_dots)
    return pic


def logo(background, foreground):
    """A 16 x 16 caption logo: a small clock."""
    pic = Picture(16, 16, background)
    ring(pic, 8, 8, 6.0, 1.6, foreground)
    thick_line(pic, 8, 8, 8, 4, 1.4, foreground)
    thick_line(pic, 8, 8, 11, 9.5, 1.4, foreground)
    return pic


def notifier(width, height, top_color, bottom_color, border, close_color):
    pic = Picture(width, height)
    rounded_rect(pic, 0, 0, width, height, 12, top_color, bottom_color, border)
    # The close box (matches CloseBox in the definition): a cross in the top right corner.
    x0, y0 = width - 22, 8
    thick_line(pic, x0 + 3, y0 + 3, x0 + 11, y0 + 11, 2.0, close_color)
    thick_line(pic, x0 + 11, y0 + 3, x0 + 3, y0 + 11, 2.0, close_color)
    return pic


def sticker_note(width, height, paper, shade, pin):
    """A paper note with a folded corner and a pin."""
    pic = Picture(width, height)
    fold = 24
    for y in range(height):
        for x in range(width):
            if x + (height - 1 - y) < width - fold or y < height - fold or x < width - fold:
                inside = not (x >= width - fold and y >= height - fold and (x - (width - fold)) + (y - (height - fold)) > fold)
                if inside:
                    pic.set(x, y, mix(paper, shade, y / height * 0.35))
    for i in range(fold):  # the folded-over corner
        for j in range(fold - i):
            pic.set(width - fold + i, height - 1 - j, mix(shade, paper, 0.3))
    thick_line(pic, 0, 0, width - 1, 0, 1.0, shade)
    dot(pic, width / 2, 12, 6, pin)
    dot(pic, width / 2 - 2, 10, 2, (255, 255, 255))
    return pic


def sticker_tag(width, height, color, border):
    """A luggage-tag shaped label with a hole on the left."""
    pic = Picture(width, height)
    rounded_rect(pic, 0, 0, width, height, 18, color, mix(color, (0, 0, 0), 0.15), border)
    hole_x, hole_y = 18, height // 2
    for y in range(height):
        for x in range(width):
            if math.hypot(x + 0.5 - hole_x, y + 0.5 - hole_y) <= 6:
                pic.set(x, y, MAGENTA)
    ring(pic, hole_x, hole_y, 7.0, 1.5, border)
    return pic


def pictures():
    return {
        "Skins/classic_face.bmp": clock_face((250, 250, 246), (214, 214, 206), (90, 90, 96), (40, 40, 48), (110, 110, 118)),
        "Skins/classic_logo.bmp": logo((128, 128, 128), (255, 255, 255)),
        "Skins/night_face.bmp": clock_face((38, 48, 72), (12, 16, 30), (150, 170, 210), (220, 230, 255), (120, 140, 190)),
        "Skins/night_logo.bmp": logo((24, 32, 56), (220, 230, 255)),
        "Notifiers/classic.bmp": notifier(240, 140, (255, 255, 236), (236, 230, 190), (120, 110, 70), (120, 60, 40)),
        "Notifiers/ocean.bmp": notifier(240, 140, (214, 236, 255), (120, 170, 220), (30, 70, 130), (20, 40, 90)),
        "Stickers/note.bmp": sticker_note(220, 160, (255, 244, 150), (220, 190, 60), (200, 40, 40)),
        "Stickers/tag.bmp": sticker_tag(240, 120, (200, 236, 200), (40, 100, 50)),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res"))
    parser.add_argument("--check", action="store_true", help="compare with the files instead of writing them")
    args = parser.parse_args()
    differing = []
    for name, pic in pictures().items():
        path = os.path.join(args.output, name)
        data = pic.bmp_bytes()
        if args.check:
            try:
                with open(path, "rb") as existing:
                    if existing.read() != data:
                        differing.append(name)
            except OSError:
                differing.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
    if differing:
        print("pictures differ from their generator: " + ", ".join(differing), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
