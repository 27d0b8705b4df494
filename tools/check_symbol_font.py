#!/usr/bin/env python3
"""Lists the symbols of the program's Webdings table that a font has no glyph for.

    python3 tools/check_symbol_font.py [FONT_FILE]

The font defaults to Symbola (Debian package fonts-symbola). The table is read from
src/core/common/symbol_font.cpp and the font's character set from fc-query. Exits with 1 when
any symbol is missing, printing the Webdings code and the code point of each.
"""
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "..", "src", "core", "common", "symbol_font.cpp")
DEFAULT_FONT = "/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf"


def table_code_points():
    text = open(TABLE, encoding="utf-8").read()
    body = text[text.index("kWebdings{{") : text.index("}};")]
    values = [int(value, 16) for value in re.findall(r"0x([0-9A-Fa-f]+)", body)]
    if len(values) != 224:
        sys.exit(f"expected 224 entries in the table, found {len(values)}")
    return {32 + index: value for index, value in enumerate(values)}


def font_charset(path):
    ranges = subprocess.run(["fc-query", "--format=%{charset}", path], check=True, capture_output=True,
                            text=True).stdout.split()
    covered = set()
    for item in ranges:
        first, _, last = item.partition("-")
        covered.update(range(int(first, 16), int(last or first, 16) + 1))
    return covered


def main():
    font = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_FONT
    covered = font_charset(font)
    missing = [(code, point) for code, point in table_code_points().items() if point not in covered]
    for code, point in missing:
        print(f"Webdings {code} (0x{code:02X}): U+{point:04X} has no glyph in {os.path.basename(font)}")
    print(f"{224 - len(missing)} of 224 symbols covered")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
