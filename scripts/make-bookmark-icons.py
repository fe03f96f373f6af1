#!/usr/bin/env python3
"""Draws the hex editor's bookmark strip "BOOKMARKICONS": 20 icons of 10 x 10
pixels side by side (0-9 bookmarks set in the hex field, blue; 10-19 in the
character field, green), each a square with a shadow and its digit in a 3 x 5
pixel font. The magenta of the top-left pixel is the transparent colour.
Writes a 24-bit bitmap file (default: hexeditor/win32/bookmark_icons.bmp)."""
import struct
import sys

ICON = 10
COUNT = 20
TRANSPARENT = (255, 0, 255)
WHITE = (255, 255, 255)
# (fill, shadow) as RGB, per field.
HEX_FIELD = ((0, 0, 192), (0, 0, 96))
CHAR_FIELD = ((0, 128, 0), (0, 64, 0))

# Rows of three pixels, top to bottom.
DIGITS = {
    0: ["###", "#.#", "#.#", "#.#", "###"],
    1: [".#.", "##.", ".#.", ".#.", "###"],
    2: ["###", "..#", "###", "#..", "###"],
    3: ["###", "..#", "###", "..#", "###"],
    4: ["#.#", "#.#", "###", "..#", "..#"],
    5: ["###", "#..", "###", "..#", "###"],
    6: ["###", "#..", "###", "#.#", "###"],
    7: ["###", "..#", ".#.", ".#.", ".#."],
    8: ["###", "#.#", "###", "#.#", "###"],
    9: ["###", "#.#", "###", "..#", "###"],
}


def draw():
    pixels = [[TRANSPARENT] * (ICON * COUNT) for _ in range(ICON)]
    for icon in range(COUNT):
        fill, shadow = HEX_FIELD if icon < 10 else CHAR_FIELD
        left = icon * ICON
        for y in range(1, 9):
            for x in range(1, 9):
                pixels[y][left + x] = shadow if x == 8 or y == 8 else fill
        for dy, row in enumerate(DIGITS[icon % 10]):
            for dx, on in enumerate(row):
                if on == "#":
                    pixels[2 + dy][left + 3 + dx] = WHITE
    return pixels


def bitmap_file(pixels):
    width, height = len(pixels[0]), len(pixels)
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        body += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "hexeditor/win32/bookmark_icons.bmp"
    with open(target, "wb") as out:
        out.write(bitmap_file(draw()))


if __name__ == "__main__":
    main()
