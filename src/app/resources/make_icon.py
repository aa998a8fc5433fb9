#!/usr/bin/env python3
"""Writes PoolDesk's icon: pooldesk.ico (16, 32, 48 and 256 px, PNG-coded images) for the
Windows executable and the installer, and icon-16.png ... icon-256.png for the window icon.

The picture: a blue SIM card with a gold chip in front of a lighter card, a pool of cards.
Plain Python, no imaging library: each pixel's colour is the share of 8 x 8 sample points each
shape covers, so the edges are smooth at every size.
Usage: make_icon.py OUTPUT_FOLDER
"""
import os
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SAMPLES = 8


def card(left, top, right, bottom, cut, radius):
    """A card: rounded rectangle with its top-right corner cut off."""

    def inside(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return False
        if (right - x) + (y - top) < cut:
            return False
        for cx, cy in ((left + radius, top + radius), (left + radius, bottom - radius),
                       (right - radius, bottom - radius)):
            near_x = x < left + radius if cx == left + radius else x > right - radius
            near_y = y < top + radius if cy == top + radius else y > bottom - radius
            if near_x and near_y and (x - cx) ** 2 + (y - cy) ** 2 > radius * radius:
                return False
        return True

    return inside


def grown(left, top, right, bottom, cut, radius, by):
    return card(left - by, top - by, right + by, bottom + by, cut + by * 0.8, radius + by)


BACK = (0.30, 0.06, 0.88, 0.76, 0.16, 0.06)
FRONT = (0.12, 0.22, 0.70, 0.94, 0.16, 0.06)
CHIP = (0.22, 0.52, 0.50, 0.82, 0.0, 0.04)
# Painted in order; later shapes cover earlier ones.
LAYERS = [
    (card(*BACK), (124, 170, 232)),
    (grown(*FRONT, 0.035), (255, 255, 255)),
    (card(*FRONT), (30, 100, 205)),
    (card(*CHIP), (236, 186, 64)),
    (lambda x, y: CHIP[0] + 0.03 < x < CHIP[2] - 0.03 and abs(y - 0.67) < 0.012,
     (170, 120, 30)),
    (lambda x, y: abs(x - 0.36) < 0.012 and CHIP[1] + 0.03 < y < CHIP[3] - 0.03,
     (170, 120, 30)),
]


def render(size):
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            red = green = blue = alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, fill in LAYERS:
                        if inside(x, y):
                            colour = fill
                    if colour:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        alpha += 1
            if alpha:
                row += bytes((round(red / alpha), round(green / alpha), round(blue / alpha),
                              round(255 * alpha / SAMPLES ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return header + entries + data


def main():
    folder = sys.argv[1]
    images = []
    for size in SIZES:
        image = png(size, render(size))
        images.append((size, image))
        with open(os.path.join(folder, f"icon-{size}.png"), "wb") as out:
            out.write(image)
    with open(os.path.join(folder, "pooldesk.ico"), "wb") as out:
        out.write(ico(images))


main()
