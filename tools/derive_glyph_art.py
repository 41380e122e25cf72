#!/usr/bin/env python3
"""Derives the glyph art of Quillo's bundled calculator fonts (fonts/*.glyphs).

Run by hand, never by the build; its output is committed and then edited like any other
source. It needs the X11 "misc-fixed" bitmap fonts (Debian package xfonts-base), which are
in the public domain, and pcf2bdf to read them:

    python3 tools/derive_glyph_art.py [--fonts-dir /usr/share/fonts/X11/misc] [--out fonts]

Every calculator code gets a glyph:
  - 32-126 and 160-255 show the ISO 8859-1 character of the same value;
  - 31, 127 and 128-159 show the calculator's own symbols (the table below);
  - 0-30 have no character of their own, so they show a small box holding the code in
    binary, which keeps stray control codes visible and tells them apart.

A normal font cell is 6 x 8 pixels, a mini font cell 6 x 5; the rightmost column of a
normal cell stays clear so characters never touch.

Six fonts come from three misc-fixed sizes:
  tgvnormal   misc-fixed 6x9 fitted to 8 rows: the calculator's own 5-pixel-wide look
  XVDefault   misc-fixed 5x8 as it is: narrower, lighter letters
  tgvfnt1     5x8 emboldened without filling counters: a heavier face for the second slot
  tgvslant    tgvnormal with its upper half leaning right: an oblique face
  tgvmini     misc-fixed 4x6 fitted to 5 rows
  tgvminibold tgvmini emboldened: easier to read at the mini size
"""

import argparse
import gzip
import os
import subprocess
import sys
import tempfile

CELL_WIDTH = 6
NORMAL_ROWS = 8
MINI_ROWS = 5

# The calculator's symbols, by code; every other code shows the ISO 8859-1 character of the
# same value. Code 129 is x-bar, which no source font has: it is composed from x and the
# macron of a-macron (see compose_x_bar).
CALCULATOR_SYMBOLS = {
    31: 0x2026, 127: 0x2592,
    128: 0x2220, 129: 0x0101, 130: 0x2207, 131: 0x221A, 132: 0x222B, 133: 0x03A3,
    134: 0x25B6, 135: 0x03C0, 136: 0x2202, 137: 0x2264, 138: 0x2265, 139: 0x2260,
    140: 0x03B1, 141: 0x2192, 142: 0x2190, 143: 0x2193, 144: 0x2191, 145: 0x03B3,
    146: 0x03B4, 147: 0x03B5, 148: 0x03B7, 149: 0x03B8, 150: 0x03BB, 151: 0x03C1,
    152: 0x03C3, 153: 0x03C4, 154: 0x03C9, 155: 0x0394, 156: 0x03A0, 157: 0x03A9,
    158: 0x25A0, 159: 0x221E,
}

# Glyphs drawn by hand where a source font lacks the character or where fitting it to the
# cell spoils it; keyed by recipe, then by calculator code. Rows are the final cell rows.
HAND_DRAWN = {
    "6x9": {
        128: ["......",
              "...#..",
              "..#...",
              ".#....",
              "#.....",
              "#####.",
              "......",
              "......"],
        36: ["..#...",
             ".####.",
             "#.#...",
             ".###..",
             "..#.#.",
             "####..",
             "..#...",
             "......"],
        37: ["##..#.",
             "##.#..",
             "..#...",
             ".#....",
             "#..##.",
             "...##.",
             "......",
             "......"],
        131: ["...##.",
              "...#..",
              "...#..",
              "#..#..",
              ".#.#..",
              "..#...",
              "......",
              "......"],
        197: ["..#...",
              ".#.#..",
              "..#...",
              ".#.#..",
              "#####.",
              "#...#.",
              "......",
              "......"],
        127: ["#.#.#.",
              ".#.#.#",
              "#.#.#.",
              ".#.#.#",
              "#.#.#.",
              ".#.#.#",
              "#.#.#.",
              ".#.#.#"],
    },
    "5x8": {
        46: ["......",
             "......",
             "......",
             "......",
             "......",
             ".##...",
             ".##...",
             "......"],
    },
    "4x6": {
        31: ["......",
             "......",
             "......",
             "......",
             "#.#.#."],
        134: ["#.....",
              "##....",
              "###...",
              "##....",
              "#....."],
        127: ["#.#...",
              ".#.#..",
              "#.#...",
              ".#.#..",
              "#.#..."],
    },
}


class BdfFont:
    """The glyphs of one BDF font, each rendered into the font's bounding box."""

    def __init__(self, text):
        self.width = self.height = self.x0 = self.y0 = 0
        self.glyphs = {}
        lines = text.splitlines()
        i = 0
        while i < len(lines):
            words = lines[i].split()
            if words and words[0] == "FONTBOUNDINGBOX":
                self.width, self.height, self.x0, self.y0 = map(int, words[1:5])
            elif words and words[0] == "STARTCHAR":
                i = self._read_char(lines, i)
            i += 1

    def _read_char(self, lines, i):
        encoding, bbx, bitmap = None, None, []
        while not lines[i].startswith("ENDCHAR"):
            words = lines[i].split()
            if words and words[0] == "ENCODING":
                encoding = int(words[1])
            elif words and words[0] == "BBX":
                bbx = list(map(int, words[1:5]))
            elif words and words[0] == "BITMAP":
                i += 1
                while not lines[i].startswith("ENDCHAR"):
                    bitmap.append(int(lines[i], 16))
                    i += 1
                break
            i += 1
        if encoding is not None and encoding >= 0 and bbx is not None:
            self.glyphs[encoding] = self._render(bbx, bitmap)
        return i

    def _render(self, bbx, bitmap):
        w, h, xoff, yoff = bbx
        ascent = self.height + self.y0
        grid = [[False] * self.width for _ in range(self.height)]
        row_bits = (w + 7) // 8 * 8
        for r, value in enumerate(bitmap):
            y = ascent - (yoff + h) + r
            for c in range(w):
                x = xoff - self.x0 + c
                if value >> (row_bits - 1 - c) & 1 and 0 <= y < self.height and 0 <= x < self.width:
                    grid[y][x] = True
        return grid

    def glyph(self, code_point):
        return self.glyphs.get(code_point)


def load_misc_fixed(fonts_dir, name):
    path = os.path.join(fonts_dir, name + ".pcf.gz")
    with tempfile.TemporaryDirectory() as tmp:
        pcf = os.path.join(tmp, name + ".pcf")
        bdf = os.path.join(tmp, name + ".bdf")
        with gzip.open(path, "rb") as src, open(pcf, "wb") as dst:
            dst.write(src.read())
        subprocess.run(["pcf2bdf", "-o", bdf, pcf], check=True)
        with open(bdf, encoding="latin-1") as f:
            font = BdfFont(f.read())
    if font.glyph(ord("A")) is None or font.glyph(0x03B1) is None:
        sys.exit(f"{path}: not the ISO 10646 variant of misc-fixed (no Greek letters)")
    return font


def code_point(code):
    return CALCULATOR_SYMBOLS.get(code, code)


def blank(rows):
    return [[False] * CELL_WIDTH for _ in range(rows)]


def to_cell(grid, rows):
    """Pads or crops a source grid to CELL_WIDTH columns."""
    cell = blank(rows)
    for y in range(min(rows, len(grid))):
        for x in range(min(CELL_WIDTH, len(grid[y]))):
            cell[y][x] = grid[y][x]
    return cell


def row_empty(row):
    return not any(row)


def fit_6x9(grid):
    """6x9 has a blank top row for plain letters and two descender rows: dropping the top row
    keeps every baseline on cell row 5. Accented capitals use the top row, so they lose a
    repeated row of their body instead, or fold their accent into one row."""
    if row_empty(grid[0]):
        return grid[1:9]
    if any(row_empty(grid[y]) for y in (1, 2, 3)):
        merged = [a or b for a, b in zip(grid[0], grid[1])]
        return [merged] + grid[2:9]
    for y in range(6, 1, -1):
        if grid[y] == grid[y - 1]:
            return grid[:y] + grid[y + 1:9]
    merged = [a or b for a, b in zip(grid[0], grid[1])]
    return [merged] + grid[2:9]


def fit_4x6(grid):
    """4x6 is five rows of capital height plus one descender row. A glyph reaching into the
    descender row loses one of two repeated rows, so it keeps its baseline and x-height (p, q, y,
    brackets, commas); one without a repeated row moves up a row, as small calculator fonts do
    (g), unless it also uses the top row, when it loses its descender row."""
    if row_empty(grid[5]):
        return grid[:5]
    for y in range(4, 0, -1):
        if grid[y] == grid[y + 1]:
            return grid[:y] + grid[y + 1:6]
    if row_empty(grid[0]):
        return grid[1:6]
    return grid[:5]


def compose_x_bar(font, fit):
    x = fit(font.glyph(ord("x")))
    a = fit(font.glyph(ord("a")))
    a_macron = fit(font.glyph(0x0101))
    return [[xp or (mp and not ap) for xp, ap, mp in zip(xr, ar, mr)]
            for xr, ar, mr in zip(x, a, a_macron)]


def control_box(code, rows):
    """A box with the code's five bits inside, most significant at the top."""
    cell = blank(rows)
    if rows == NORMAL_ROWS:
        right, bottom = 4, 6
        spots = [(2, 1), (2, 2), (2, 3), (2, 4), (2, 5)]
    else:
        right, bottom = 3, 4
        spots = [(1, 1), (2, 1), (1, 2), (2, 2), (1, 3)]
    for x in range(right + 1):
        cell[0][x] = cell[bottom][x] = True
    for y in range(bottom + 1):
        cell[y][0] = cell[y][right] = True
    for bit, (x, y) in enumerate(spots):
        if code >> (4 - bit) & 1:
            cell[y][x] = True
    return cell


def from_art(rows):
    return [[ch == "#" for ch in row] for row in rows]


def base_glyphs(font, fit, rows, recipe):
    """The 256 cells of a font taken from one misc-fixed font."""
    hand = HAND_DRAWN.get(recipe, {})
    cells = []
    for code in range(256):
        if code in hand:
            cell = from_art(hand[code])
        elif code < 31:
            cell = control_box(code, rows)
        elif code == 129:
            cell = to_cell(compose_x_bar(font, fit), rows)
        else:
            grid = font.glyph(code_point(code))
            if grid is None:
                sys.exit(f"{recipe}: no glyph for code {code} (U+{code_point(code):04X}); draw one by hand")
            cell = to_cell(fit(grid), rows)
        cells.append(cell)
    return cells


def embolden(cell, last_column):
    """Doubles each pixel to the right where that keeps a gap of at least one pixel to the next
    stroke, so counters (e, a, m) stay open, and never past last_column."""
    out = [row[:] for row in cell]
    for y, row in enumerate(cell):
        for x in range(last_column):
            beyond = row[x + 2] if x + 2 < len(row) else False
            if row[x] and not beyond:
                out[y][x + 1] = True
    return out


def slant(cell, upper_rows):
    """Moves the upper rows one pixel right; glyphs already using the spacing column stay upright."""
    if any(cell[y][CELL_WIDTH - 1] for y in range(upper_rows)):
        return cell
    out = [row[:] for row in cell]
    for y in range(upper_rows):
        out[y] = [False] + cell[y][:CELL_WIDTH - 1]
    return out


def char_label(code):
    if code < 31:
        return "(control)"
    if code == 32:
        return "' ' (space)"
    if code == 160:
        return "(no-break space)"
    if code == 173:
        return "(soft hyphen)"
    if code == 129:
        return "'x\u0304' (x bar)"
    return "'" + chr(code_point(code)) + "'"


def write_art(path, name, kind, source, cells):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(f"; {name}: {kind} calculator font, one block of rows per character code,\n")
        f.write("; '#' a set pixel, '.' a clear one; each row is 6 pixels wide.\n")
        f.write(f"; {source}\n")
        f.write("; Edit freely: the build turns this file into " + name + ".fnt.\n")
        f.write(f"kind {kind}\n")
        for code, cell in enumerate(cells):
            f.write(f"\ncode {code} {char_label(code)}\n")
            for row in cell:
                f.write("".join("#" if p else "." for p in row) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fonts-dir", default="/usr/share/fonts/X11/misc")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "fonts"))
    args = parser.parse_args()

    f5x8 = load_misc_fixed(args.fonts_dir, "5x8")
    f6x9 = load_misc_fixed(args.fonts_dir, "6x9")
    f4x6 = load_misc_fixed(args.fonts_dir, "4x6")

    normal = base_glyphs(f6x9, fit_6x9, NORMAL_ROWS, "6x9")
    narrow = base_glyphs(f5x8, lambda g: g, NORMAL_ROWS, "5x8")
    mini = base_glyphs(f4x6, fit_4x6, MINI_ROWS, "4x6")

    def keep_controls(cells, transform):
        return [cell if code < 31 else transform(cell) for code, cell in enumerate(cells)]

    origin = "Derived by tools/derive_glyph_art.py from the public-domain X11 misc-fixed font"
    fonts = [
        ("tgvnormal", "normal", origin + " 6x9.", normal),
        ("XVDefault", "normal", origin + " 5x8.", narrow),
        ("tgvfnt1", "normal", origin + " 5x8, emboldened.",
         keep_controls(narrow, lambda c: embolden(c, CELL_WIDTH - 2))),
        ("tgvslant", "normal", origin + " 6x9, slanted.",
         keep_controls(normal, lambda c: slant(c, 3))),
        ("tgvmini", "mini", origin + " 4x6.", mini),
        ("tgvminibold", "mini", origin + " 4x6, emboldened.",
         keep_controls(mini, lambda c: embolden(c, CELL_WIDTH - 2))),
    ]
    os.makedirs(args.out, exist_ok=True)
    for name, kind, source, cells in fonts:
        write_art(os.path.join(args.out, name + ".glyphs"), name, kind, source, cells)
        print("wrote", name + ".glyphs")


if __name__ == "__main__":
    main()
