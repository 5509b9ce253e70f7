#!/usr/bin/env python3
"""Draws Quillox's art and checks its tutorial text.

Run from anywhere:  python3 scripts/make-art.py

Writes into app/resources/ (same bytes on every run):
  banner.bmp        the splash banner, 259 x 87, 24-bit uncompressed BMP
  quillox-32.png    the main window icon, 32 x 32 RGBA
  about-32.png      the About window icon, 32 x 32, 16 VGA colours (indexed)
  logo-60.png       the About window logo, 60 x 60 RGB
  NAME@2x.EXT       each of these four at twice the size, which Qt shows on
                    screens scaled above 1 instead of enlarging the first
  icons/hicolor/<N>x<N>/apps/quillox.png   N = 16, 32, 48, 64, 128, 256
  icons/hicolor/scalable/apps/quillox.svg

It does not write app/resources/tutorial.txt; that text is written by hand.
The script only checks that the file keeps the exact shape the help window
expects and stops with an error if it does not.

Uses the Python standard library only.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESOURCES = os.path.join(ROOT, "app", "resources")


# --------------------------------------------------------------------------
# Little pictures, drawn with '#' for a dark pixel and '.' for a light one.
# --------------------------------------------------------------------------

def pattern(text):
    rows = [row for row in text.split() if row]
    width = max(len(row) for row in rows)
    return [[ch == "#" for ch in row.ljust(width, ".")] for row in rows]


# The Quillox quill: the motif of the icons.
QUILL = pattern("""
    .....###
    ...#####
    ..#####.
    ..####..
    .####...
    .#.#....
    .#......
    #.......
""")

# A few more sprites for the banner.
SHIP = pattern("""
    ...##...
    ..####..
    ..#..#..
    .######.
    ########
    ##.##.##
    #..##..#
    ...##...
""")

HEART = pattern("""
    .##..##.
    ########
    ########
    ########
    .######.
    ..####..
    ...##...
    ........
""")

GHOST = pattern("""
    ..####..
    .######.
    ##.##.##
    ##.##.##
    ########
    ########
    ########
    #.#..#.#
""")


# --------------------------------------------------------------------------
# The banner font: chunky 8 x 8 letters with two pixel wide strokes.
# Capitals and digits use rows 0..6, small letters rows 2..6, row 7 is for
# tails. Empty columns are trimmed, so the font is proportional.
# --------------------------------------------------------------------------

def glyph(rows):
    """rows: 8 strings; returns (width, 8 rows of bools)."""
    rows = [row.ljust(8, ".") for row in rows]
    used = [x for x in range(8) if any(row[x] == "#" for row in rows)]
    if not used:
        return 3, [[False] * 3 for _ in range(8)]
    left, right = used[0], used[-1]
    return right - left + 1, [[ch == "#" for ch in row[left:right + 1]] for row in rows]


def g(*rows):
    rows = list(rows)
    return glyph(rows + ["........"] * (8 - len(rows)))


FONT = {
    " ": g(),
    "Q": g(".####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####.", "...###"),
    "u": g("......", "......", "##..##", "##..##", "##..##", "##..##", ".#####"),
    "i": g(".##.", "....", "###.", ".##.", ".##.", ".##.", "####"),
    "l": g("###.", ".##.", ".##.", ".##.", ".##.", ".##.", "####"),
    "o": g("......", "......", ".####.", "##..##", "##..##", "##..##", ".####."),
    "x": g("......", "......", "##..##", ".####.", "..##..", ".####.", "##..##"),
    "1": g("..##..", ".###..", "..##..", "..##..", "..##..", "..##..", ".####."),
    "2": g(".####.", "##..##", "....##", "..###.", ".##...", "##....", "######"),
    "5": g("######", "##....", "#####.", "....##", "....##", "##..##", ".####."),
    ".": g("..", "..", "..", "..", "..", "##", "##"),
    "S": g(".####.", "##..##", "##....", ".####.", "....##", "##..##", ".####."),
    "P": g("#####.", "##..##", "##..##", "#####.", "##....", "##....", "##...."),
    "R": g("#####.", "##..##", "##..##", "#####.", "##.##.", "##..##", "##..##"),
    "I": g("####", ".##.", ".##.", ".##.", ".##.", ".##.", "####"),
    "T": g("######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##.."),
    "E": g("######", "##....", "##....", "#####.", "##....", "##....", "######"),
    "D": g("####..", "##.##.", "##..##", "##..##", "##..##", "##.##.", "####.."),
    "O": g(".####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."),
    "F": g("######", "##....", "##....", "#####.", "##....", "##....", "##...."),
    "Z": g("######", "....##", "...##.", "..##..", ".##...", "##....", "######"),
    "8": g(".####.", "##..##", "##..##", ".####.", "##..##", "##..##", ".####."),
    "C": g(".####.", "##..##", "##....", "##....", "##....", "##..##", ".####."),
    "0": g(".####.", "##..##", "##.###", "######", "###.##", "##..##", ".####."),
}


def text_width(text, scale, spacing=1):
    widths = [FONT[ch][0] for ch in text]
    return (sum(widths) + spacing * (len(widths) - 1)) * scale


# --------------------------------------------------------------------------
# A plain RGBA canvas.
# --------------------------------------------------------------------------

class Canvas:
    """Pixels in rows; drawing takes picture coordinates, and at a scale of 2
    every picture pixel is a 2 x 2 block of the canvas."""

    def __init__(self, width, height, fill=(0, 0, 0, 0), scale=1):
        self.scale = scale
        self.width = width * scale
        self.height = height * scale
        self.pixels = [[tuple(fill) for _ in range(self.width)] for _ in range(self.height)]

    def set(self, x, y, colour):
        if len(colour) == 3:
            colour = tuple(colour) + (255,)
        s = self.scale
        for yy in range(y * s, (y + 1) * s):
            for xx in range(x * s, (x + 1) * s):
                if 0 <= xx < self.width and 0 <= yy < self.height:
                    self.pixels[yy][xx] = tuple(colour)

    def get(self, x, y):
        return self.pixels[y][x]

    def rect(self, x, y, w, h, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, colour)

    def bitmap(self, x, y, bits, scale, colour):
        for row, line in enumerate(bits):
            for col, on in enumerate(line):
                if on:
                    self.rect(x + col * scale, y + row * scale, scale, scale, colour)

    def text(self, x, y, text, scale, colour, spacing=1):
        for ch in text:
            width, bits = FONT[ch]
            self.bitmap(x, y, bits, scale, colour)
            x += (width + spacing) * scale
        return x

    def paste(self, other, x0, y0):
        """Copies the opaque pixels of `other`, a canvas of the same scale,
        to the picture position (x0, y0)."""
        for y in range(other.height):
            for x in range(other.width):
                colour = other.get(x, y)
                yy, xx = y0 * self.scale + y, x0 * self.scale + x
                if colour[3] and 0 <= xx < self.width and 0 <= yy < self.height:
                    self.pixels[yy][xx] = colour


# --------------------------------------------------------------------------
# File writers.
# --------------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(width, height, colour_type, bit_depth, rows, palette=None):
    """rows: one bytes object per scan line, without the filter byte."""
    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 (None)
    out = b"\x89PNG\r\n\x1a\n"
    out += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth,
                                          colour_type, 0, 0, 0))
    if palette is not None:
        out += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    out += png_chunk(b"IDAT", zlib.compress(raw, 9))
    out += png_chunk(b"IEND", b"")
    return out


def png_rgba(canvas):
    rows = [bytes(v for px in line for v in px) for line in canvas.pixels]
    return png_bytes(canvas.width, canvas.height, 6, 8, rows)


def png_rgb(canvas):
    rows = [bytes(v for px in line for v in px[:3]) for line in canvas.pixels]
    return png_bytes(canvas.width, canvas.height, 2, 8, rows)


def png_indexed16(canvas, palette):
    """A 4-bit palette PNG; every pixel must be one of the palette colours."""
    index = {tuple(c): i for i, c in enumerate(palette)}
    rows = []
    for line in canvas.pixels:
        nibbles = [index[px[:3]] for px in line]
        if len(nibbles) % 2:
            nibbles.append(0)
        rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2)))
    return png_bytes(canvas.width, canvas.height, 3, 4, rows, palette)


def bmp_bytes(canvas):
    """24-bit uncompressed bottom-up BMP with a BITMAPINFOHEADER."""
    stride = (canvas.width * 3 + 3) & ~3
    pad = b"\x00" * (stride - canvas.width * 3)
    image = bytearray()
    for line in reversed(canvas.pixels):
        for r, gr, b, _a in line:
            image += bytes((b, gr, r))
        image += pad
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                       len(image), 2835, 2835, 0, 0)
    return header + info + bytes(image)


def write(relative, data):
    path = os.path.join(RESOURCES, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %-40s %7d bytes" % ("app/resources/" + relative, len(data)))
    return data


# --------------------------------------------------------------------------
# The banner.
# --------------------------------------------------------------------------

BANNER_SIZE = (259, 87)
# The splash's picture box shows the banner inside a one-pixel frame, so only
# its top 81 rows are seen; the rows below hold nothing but the texture.
BANNER_SHOWN_HEIGHT = 81
BANNER_PLAIN = (212, 208, 200)
BANNER_LIGHT = (222, 219, 212)
BANNER_DARK = (204, 200, 191)
INK = (16, 16, 24)
SHADOW = (160, 155, 146)


def banner(scale=1):
    width, height = BANNER_SIZE
    shown = BANNER_SHOWN_HEIGHT
    c = Canvas(width, height, BANNER_PLAIN + (255,), scale)

    # The texture: a sparse dither of a lighter and a darker tone.
    for y in range(height):
        for x in range(width):
            if x % 4 == 0 and y % 4 == 0:
                c.set(x, y, BANNER_LIGHT)
            elif x % 4 == 2 and y % 4 == 2:
                c.set(x, y, BANNER_DARK)

    # A raised frame, two pixels deep, around the part that is shown.
    for x in range(width):
        c.set(x, 0, (255, 255, 255))
        c.set(x, shown - 1, (96, 94, 90))
        c.set(x, 1, (236, 234, 230))
        c.set(x, shown - 2, (150, 146, 140))
    for y in range(shown):
        c.set(0, y, (255, 255, 255))
        c.set(width - 1, y, (96, 94, 90))
        if 0 < y < shown - 1:
            c.set(1, y, (236, 234, 230))
            c.set(width - 2, y, (150, 146, 140))
    c.set(width - 1, 0, (96, 94, 90))
    c.set(0, shown - 1, (96, 94, 90))

    # The quill on a little editing grid, as the editor shows it.
    cell, line = 5, 1
    grid = 8 * cell + 9 * line
    gx, gy = 14, (shown - grid) // 2
    c.rect(gx + 2, gy + 2, grid, grid, SHADOW)
    c.rect(gx, gy, grid, grid, (112, 112, 120))
    for row in range(8):
        for col in range(8):
            colour = INK if QUILL[row][col] else (244, 244, 238)
            c.rect(gx + line + col * (cell + line), gy + line + row * (cell + line),
                   cell, cell, colour)

    # The name, with a shadow.
    left = gx + grid + 14
    title_scale = 4
    tx, ty = left, 8
    c.text(tx + 2, ty + 2, "Quillox", title_scale, SHADOW)
    c.text(tx, ty, "Quillox", title_scale, INK)
    right = tx + text_width("Quillox", title_scale)

    # The version, lined up with the right end of the name.
    vx = right - text_width("1.25", 2)
    vy = ty + 8 * title_scale + 5
    c.text(vx + 1, vy + 1, "1.25", 2, SHADOW)
    c.text(vx, vy, "1.25", 2, (40, 60, 140))

    # What it is.
    c.text(left, vy + 4, "SPRITE EDITOR", 1, (70, 70, 78))
    c.text(left, vy + 14, "FOR Z80 CODERS", 1, (70, 70, 78))

    # A row of small sprites along the bottom of the shown part.
    sprites = [SHIP, GHOST, HEART]
    sx = right - len(sprites) * 16 - (len(sprites) - 1) * 5
    sy = shown - 3 - 17
    for bits in sprites:
        c.bitmap(sx + 1, sy + 1, bits, 2, SHADOW)
        c.bitmap(sx, sy, bits, 2, INK)
        sx += 16 + 5
    return c


# --------------------------------------------------------------------------
# The icon: the quill on a checkered grid of cells, with a rounded frame.
# --------------------------------------------------------------------------

CELL_LIGHT = (236, 240, 230)
CELL_SHADE = (208, 216, 202)
CELL_INK = (26, 28, 36)
CELL_CURSOR = (66, 124, 206)
FRAME = (92, 102, 122)
CURSOR_CELL = (6, 6)  # (column, row): the cell the pen is on


def icon(size):
    c = Canvas(size, size)
    s = size // 8
    for y in range(size):
        for x in range(size):
            col, row = x // s, y // s
            if QUILL[row][col]:
                colour = CELL_INK
            elif (col, row) == CURSOR_CELL:
                colour = CELL_CURSOR
            elif (col + row) % 2:
                colour = CELL_SHADE
            else:
                colour = CELL_LIGHT
            c.set(x, y, colour)
    if size >= 32:
        frame = max(1, size // 64)
        radius = size // 16
        for y in range(size):
            for x in range(size):
                # Distance from the inner corner point, for the rounded corners.
                cx = min(max(x + 0.5, radius), size - radius)
                cy = min(max(y + 0.5, radius), size - radius)
                d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                edge = min(x, y, size - 1 - x, size - 1 - y)
                if d2 > radius * radius:
                    c.set(x, y, (0, 0, 0, 0))
                elif edge < frame or d2 > (radius - frame) ** 2:
                    c.set(x, y, FRAME)
    return c


def icon_svg():
    s = 4
    parts = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">',
             '  <title>Quillox</title>',
             '  <defs>',
             '    <clipPath id="edge"><rect width="32" height="32" rx="2" ry="2"/></clipPath>',
             '  </defs>',
             '  <g clip-path="url(#edge)" shape-rendering="crispEdges">',
             '    <rect width="32" height="32" fill="#%02x%02x%02x"/>' % CELL_LIGHT]

    def cell(col, row, colour):
        parts.append('    <rect x="%d" y="%d" width="%d" height="%d" fill="#%02x%02x%02x"/>'
                     % ((col * s, row * s, s, s) + colour))

    for row in range(8):
        for col in range(8):
            if QUILL[row][col]:
                cell(col, row, CELL_INK)
            elif (col, row) == CURSOR_CELL:
                cell(col, row, CELL_CURSOR)
            elif (col + row) % 2:
                cell(col, row, CELL_SHADE)
    parts.append('  </g>')
    parts.append('  <rect x="0.5" y="0.5" width="31" height="31" rx="1.5" ry="1.5" fill="none" '
                 'stroke="#%02x%02x%02x" stroke-width="1"/>' % FRAME)
    parts.append('</svg>')
    return ("\n".join(parts) + "\n").encode("ascii")


# --------------------------------------------------------------------------
# The About window's icon: a calculator showing the quill, in VGA colours.
# --------------------------------------------------------------------------

VGA = [
    (0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
    (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
    (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
    (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255),
]
BLACK, NAVY, GREEN, TEAL, MAROON, PURPLE, BROWN, LGREY = VGA[:8]
DGREY, BLUE, LGREEN, CYAN, RED, MAGENTA, YELLOW, WHITE = VGA[8:]


def about_icon(scale=1):
    c = Canvas(32, 32, WHITE + (255,), scale)
    # The body: dark grey with a black outline and a light top edge.
    c.rect(4, 0, 24, 32, BLACK)
    c.rect(5, 1, 22, 30, DGREY)
    c.rect(5, 1, 22, 1, LGREY)
    for x, y in ((4, 0), (27, 0), (4, 31), (27, 31)):
        c.set(x, y, WHITE)
    # The screen, showing the quill at two pixels per sprite pixel.
    c.rect(7, 3, 18, 18, BLACK)
    c.rect(8, 4, 16, 16, LGREY)
    for row in range(8):
        for col in range(8):
            if QUILL[row][col]:
                c.rect(8 + col * 2, 4 + row * 2, 2, 2, BLACK)
    # Keys: three rows of four; the yellow second-function key and a blue column.
    for row in range(3):
        for col in range(4):
            colour = LGREY
            if (col, row) == (0, 0):
                colour = YELLOW
            elif col == 3:
                colour = BLUE
            c.rect(8 + col * 4 + (1 if col == 3 else 0), 23 + row * 3, 3, 2, colour)
    return c


# --------------------------------------------------------------------------
# The About window's logo: the icon on the About window's background.
# --------------------------------------------------------------------------

LOGO_BACKGROUND = (134, 125, 134)
LOGO_SHADOW = (100, 92, 100)


def logo(scale=1):
    c = Canvas(60, 60, LOGO_BACKGROUND + (255,), scale)
    picture = icon(48 * scale)
    picture.scale = scale
    shadow = Canvas(48 * scale, 48 * scale)
    shadow.scale = scale
    for y in range(picture.height):
        for x in range(picture.width):
            if picture.get(x, y)[3]:
                shadow.pixels[y][x] = LOGO_SHADOW + (255,)
    c.paste(shadow, 8, 8)
    c.paste(picture, 5, 5)
    return c


# --------------------------------------------------------------------------
# The tutorial's shape.
# --------------------------------------------------------------------------

TUTORIAL_BYTES = 6073
TUTORIAL_LINES = 185
TUTORIAL_LONGEST = 102


def check_tutorial():
    path = os.path.join(RESOURCES, "tutorial.txt")
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if len(data) != TUTORIAL_BYTES:
        problems.append("is %d bytes, not %d" % (len(data), TUTORIAL_BYTES))
    bad = sorted({b for b in data if not (0x20 <= b <= 0x7E or b in (0x0D, 0x0A))})
    if bad:
        problems.append("has bytes outside plain ASCII: %s" % ", ".join("0x%02X" % b for b in bad))
    if not data.endswith(b"\r\n"):
        problems.append("does not end with CR LF")
    lines = data.split(b"\r\n")
    if lines and lines[-1] == b"":
        lines.pop()
    for number, text in enumerate(lines, 1):
        if b"\r" in text or b"\n" in text:
            problems.append("line %d has a lone CR or LF" % number)
    if len(lines) != TUTORIAL_LINES:
        problems.append("has %d lines, not %d" % (len(lines), TUTORIAL_LINES))
    longest = max((len(text) for text in lines), default=0)
    if longest != TUTORIAL_LONGEST:
        problems.append("longest line is %d characters, not %d" % (longest, TUTORIAL_LONGEST))
    if problems:
        sys.exit("make-art: app/resources/tutorial.txt " + "; ".join(problems))
    print("checked app/resources/tutorial.txt: %d bytes, %d lines, longest %d"
          % (len(data), len(lines), longest))


def main():
    data = write("banner.bmp", bmp_bytes(banner()))
    assert len(data) == 67914, len(data)
    write("banner@2x.bmp", bmp_bytes(banner(2)))

    write("quillox-32.png", png_rgba(icon(32)))
    write("quillox-32@2x.png", png_rgba(icon(64)))
    write("about-32.png", png_indexed16(about_icon(), VGA))
    write("about-32@2x.png", png_indexed16(about_icon(2), VGA))
    write("logo-60.png", png_rgb(logo()))
    write("logo-60@2x.png", png_rgb(logo(2)))
    for size in (16, 32, 48, 64, 128, 256):
        write("icons/hicolor/%dx%d/apps/quillox.png" % (size, size), png_rgba(icon(size)))
    write("icons/hicolor/scalable/apps/quillox.svg", icon_svg())

    check_tutorial()


if __name__ == "__main__":
    main()
