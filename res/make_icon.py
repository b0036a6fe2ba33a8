#!/usr/bin/env python3
"""Draws the console's icon (a console window with a title bar and coloured
log lines: trace, warn, fail) and writes it as tovacon.ico: one 32 x 32 image,
256 colours (8 bits per pixel), with a transparency mask.

Usage: python3 make_icon.py [output.ico] [--preview preview.png]
The preview is the image enlarged eight times, for looking at it.
"""
import struct
import sys
import zlib

SIZE = 32

# Palette entries the picture uses; index 0 is the (masked) background.
COLOURS = {
    ".": (0, 0, 0),          # transparent
    "k": (28, 32, 40),       # frame outline
    "f": (70, 78, 92),       # frame
    "t": (36, 92, 170),      # title bar, dark
    "T": (64, 128, 210),     # title bar, light
    "w": (236, 240, 246),    # title bar buttons
    "s": (16, 22, 30),       # screen
    "S": (26, 34, 46),       # screen, every second row
    "g": (96, 200, 110),     # trace line
    "y": (240, 196, 64),     # warn line
    "r": (232, 80, 72),      # fail line
    "l": (170, 182, 196),    # plain text line
    "c": (255, 255, 255),    # cursor
    "h": (44, 52, 64),       # frame highlight
}


def draw():
    px = [["." for _ in range(SIZE)] for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    # Window body with rounded outline.
    rect(1, 2, 30, 29, "k")
    rect(2, 3, 29, 28, "f")
    for x, y in ((1, 2), (30, 2), (1, 29), (30, 29)):
        px[y][x] = "."
    # Title bar: a two-tone gradient.
    rect(2, 3, 29, 8, "t")
    rect(2, 3, 29, 5, "T")
    # Title bar buttons.
    for x0 in (20, 23, 26):
        rect(x0, 5, x0 + 1, 6, "w")
    # Screen.
    rect(3, 10, 28, 27, "s")
    for y in range(10, 28, 2):
        rect(3, y, 28, y, "S")
    rect(3, 9, 28, 9, "h")
    # Log lines: a short coloured tag, then text of varying length.
    lines = [
        (11, "g", 17),
        (14, "l", 19),
        (17, "y", 14),
        (20, "g", 20),
        (23, "r", 11),
    ]
    for y, tag, length in lines:
        rect(5, y, 6, y + 1, tag)
        rect(8, y, 8 + length - 1, y, "l")
        rect(8, y + 1, 8 + length // 2, y + 1, tag)
    # Prompt and cursor on the last line.
    px[26][5] = "c"
    px[25][4] = "c"
    px[27][4] = "c"
    rect(7, 26, 9, 26, "c")
    return px


def palette_and_indices(px):
    names = list(COLOURS)
    palette = [COLOURS[n] for n in names] + [(0, 0, 0)] * (256 - len(names))
    index = {n: i for i, n in enumerate(names)}
    return palette, [[index[c] for c in row] for row in px]


def write_ico(path, px):
    palette, idx = palette_and_indices(px)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor = b"".join(bytes(idx[y]) for y in range(SIZE - 1, -1, -1))
    mask_rows = []
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            if px[y][x] == ".":
                bits |= 1 << (31 - x)
        mask_rows.append(struct.pack(">I", bits))
    image = header + pal + xor + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


def write_preview(path, px, scale=8):
    rows = []
    for y in range(SIZE):
        row = bytearray([0])
        for x in range(SIZE):
            c = px[y][x]
            rgb = (200, 200, 200) if c == "." and (x + y) % 2 else (255, 255, 255) if c == "." else COLOURS[c]
            row += bytes(rgb) * scale
        rows.extend([bytes(row)] * scale)
    raw = b"".join(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    side = SIZE * scale
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main(argv):
    out = "tovacon.ico"
    preview = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--preview":
            preview = args.pop(0)
        else:
            out = a
    px = draw()
    write_ico(out, px)
    if preview:
        write_preview(preview, px)


if __name__ == "__main__":
    main(sys.argv[1:])
