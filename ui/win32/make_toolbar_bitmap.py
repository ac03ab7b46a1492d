#!/usr/bin/env python3
"""Draws the configuration toolbar's button images: add, remove, configure,
move up, move down.

Writes a bitmap of 24-bit colour with the 16 x 15 images side by side.
Each image is a filled shape with a one-pixel darker outline on the light grey
that the toolbar maps to the button face.
Usage: make_toolbar_bitmap.py OUTPUT.bmp
"""

import math
import struct
import sys

IMAGE_WIDTH, HEIGHT = 16, 15
FACE = (192, 192, 192)


def plus(x, y):
    return (5 <= x <= 9 and 1 <= y <= 13) or (1 <= x <= 13 and 5 <= y <= 9)


def cross(x, y):
    dx, dy = x - 7, y - 7
    return max(abs(dx), abs(dy)) <= 5 and min(abs(dx - dy), abs(dx + dy)) <= 2


def gear(x, y):
    dx, dy = x - 7, y - 7
    r = math.hypot(dx, dy)
    # Eight teeth, one on each axis and diagonal, around a holed wheel.
    tooth = min(abs(dx), abs(dy)) <= 1 or abs(abs(dx) - abs(dy)) <= 1
    return 2.0 <= r and (r <= 4.5 or (tooth and r <= 6.5))


def up_arrow(x, y):
    # A head narrowing to a point at the top, over a stem.
    head = 1 <= y <= 7 and abs(x - 7) <= y - 1
    stem = 8 <= y <= 13 and 5 <= x <= 9
    return head or stem


def down_arrow(x, y):
    return up_arrow(x, HEIGHT - 1 - y)


# (shape, fill, outline)
IMAGES = [
    (plus, (40, 170, 40), (0, 96, 0)),
    (cross, (220, 40, 40), (128, 0, 0)),
    (gear, (110, 128, 160), (40, 48, 72)),
    (up_arrow, (60, 120, 210), (20, 50, 120)),
    (down_arrow, (60, 120, 210), (20, 50, 120)),
]

WIDTH = IMAGE_WIDTH * len(IMAGES)


def pixel(x, y):
    image, local = divmod(x, IMAGE_WIDTH)
    inside, fill, outline = IMAGES[image]
    if local >= 15 or not inside(local, y):
        return FACE
    neighbours = ((local - 1, y), (local + 1, y), (local, y - 1), (local, y + 1))
    if any(not inside(nx, ny) for nx, ny in neighbours):
        return outline
    return fill


def bitmap():
    row_size = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):  # bottom-up rows
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        pixels += row + bytes(row_size - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + bytes(pixels)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_toolbar_bitmap.py OUTPUT.bmp")
    with open(sys.argv[1], "wb") as out:
        out.write(bitmap())
