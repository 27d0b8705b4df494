#!/usr/bin/env python3
"""Draws Kalvory's icons as SVG and renders PNG copies with ImageMagick.

Run from anywhere: python3 res/artwork/generate.py. The outputs go to res/icons/ and are
committed, so a build never needs this script.
"""
import math
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "icons")


def clock_svg(size=256, tilt=0.0, waves=0, hour=10.1, minute=2.0, scale=1.0):
    """An alarm clock: round body, two bells, hammer, legs; tilt in degrees; waves 0..2."""
    c = 128
    hands = []
    for value, length, width in ((hour / 12.0, 42, 11), (minute / 60.0, 62, 7)):
        angle = value * 2 * math.pi
        x = c + length * math.sin(angle)
        y = 142 - length * math.cos(angle)
        hands.append(
            f'<line x1="{c}" y1="142" x2="{x:.1f}" y2="{y:.1f}" stroke="#1f2a44" '
            f'stroke-width="{width}" stroke-linecap="round"/>')
    ticks = []
    for i in range(12):
        angle = i * math.pi / 6
        inner = 70 if i % 3 == 0 else 76
        ticks.append(
            f'<line x1="{c + inner * math.sin(angle):.1f}" y1="{142 - inner * math.cos(angle):.1f}" '
            f'x2="{c + 82 * math.sin(angle):.1f}" y2="{142 - 82 * math.cos(angle):.1f}" stroke="#55607a" '
            f'stroke-width="{7 if i % 3 == 0 else 4}" stroke-linecap="round"/>')
    wave_paths = []
    for i in range(waves):
        r = 118 + 18 * i
        wave_paths.append(
            f'<path d="M {c - r * 0.64:.1f} {60 - r * 0.35:.1f} A {r} {r} 0 0 1 {c - r * 0.92:.1f} {60 + r * 0.18:.1f}" '
            f'fill="none" stroke="#ffb020" stroke-width="9" stroke-linecap="round"/>'
            f'<path d="M {c + r * 0.64:.1f} {60 - r * 0.35:.1f} A {r} {r} 0 0 0 {c + r * 0.92:.1f} {60 + r * 0.18:.1f}" '
            f'fill="none" stroke="#ffb020" stroke-width="9" stroke-linecap="round"/>')
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 256 256">
  <g transform="translate(128 136) scale({scale}) translate(-128 -136)">
  {''.join(wave_paths)}
  <g transform="rotate({tilt} 128 142)">
    <line x1="78" y1="214" x2="58" y2="244" stroke="#7a1418" stroke-width="16" stroke-linecap="round"/>
    <line x1="178" y1="214" x2="198" y2="244" stroke="#7a1418" stroke-width="16" stroke-linecap="round"/>
    <path d="M 40 74 A 40 40 0 0 1 100 26 Z" fill="#f4b731" stroke="#9a6508" stroke-width="5" stroke-linejoin="round"/>
    <path d="M 216 74 A 40 40 0 0 0 156 26 Z" fill="#f4b731" stroke="#9a6508" stroke-width="5" stroke-linejoin="round"/>
    <rect x="120" y="22" width="16" height="22" rx="5" fill="#9a6508"/>
    <circle cx="128" cy="142" r="102" fill="#d8343a" stroke="#7a1418" stroke-width="6"/>
    <path d="M 52 110 A 86 86 0 0 1 150 52" fill="none" stroke="#ff8a7a" stroke-width="8" stroke-linecap="round"/>
    <circle cx="128" cy="142" r="86" fill="#f7f9fc" stroke="#8c1c22" stroke-width="4"/>
    {''.join(ticks)}
    {''.join(hands)}
    <circle cx="128" cy="142" r="10" fill="#c7262c" stroke="#1f2a44" stroke-width="4"/>
  </g>
  </g>
</svg>
'''


def day_svg(day, size=64):
    """A calendar leaf with the day of the month, the fallback of the drawn date icon."""
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 64 64">
  <rect x="3" y="5" width="58" height="56" rx="8" fill="#ffffff" stroke="#5d6b86" stroke-width="3"/>
  <path d="M 3 13 A 8 8 0 0 1 11 5 L 53 5 A 8 8 0 0 1 61 13 L 61 21 L 3 21 Z" fill="#d2343a"/>
  <text x="32" y="54" font-family="DejaVu Sans" font-weight="bold" font-size="{34 if day < 10 else 31}"
        text-anchor="middle" fill="#1f2a44">{day}</text>
</svg>
'''


def write(name, text):
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as out:
        out.write(text)


def render(svg_name, png_name, size):
    subprocess.run(["convert", "-background", "none", "-density", "384", os.path.join(OUT, svg_name),
                    "-resize", f"{size}x{size}", os.path.join(OUT, png_name)], check=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    write("kalvory.svg", clock_svg())
    for size in (16, 22, 32, 48, 64, 128, 256):
        render("kalvory.svg", f"kalvory-{size}.png", size)
    # Ringing frames: the clock rocks from side to side with sound waves.
    for index, (tilt, waves) in enumerate(((-14, 1), (-7, 2), (0, 1), (7, 2), (14, 1), (0, 0))):
        name = f"ring-{index}"
        write(name + ".svg", clock_svg(tilt=tilt, waves=waves, scale=0.72))
        render(name + ".svg", name + ".png", 64)
        os.remove(os.path.join(OUT, name + ".svg"))
    for day in range(1, 32):
        name = f"day-{day:02d}"
        write(name + ".svg", day_svg(day))
        render(name + ".svg", name + ".png", 32)
        os.remove(os.path.join(OUT, name + ".svg"))


if __name__ == "__main__":
    main()
