#!/usr/bin/env python3
"""Checks a window screenshot: PNG of the given size whose pixels show a drawn window (many
colours, and the client area's light background), not an empty or black picture."""
import struct
import sys
import zlib


def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    position, chunks, header = 8, [], None
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        position += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise SystemExit(f"{path}: unexpected PNG format {header}")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(chunks))
    stride = width * step
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append(bytes(line))
        previous = line
    return width, height, step, rows


def main():
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    got_width, got_height, step, rows = pixels(path)
    if (got_width, got_height) != (width, height):
        raise SystemExit(f"{path}: {got_width} x {got_height}, expected {width} x {height}")
    colours = {row[i:i + 3] for row in rows for i in range(0, len(row), step)}
    light = sum(1 for row in rows for i in range(0, len(row), step) if min(row[i:i + 3]) > 200)
    share = light / (width * height)
    if len(colours) < 16 or share < 0.5:
        raise SystemExit(f"{path}: {len(colours)} colours, {share:.0%} light pixels: no window drawn")
    print(f"{path}: {width} x {height}, {len(colours)} colours, {share:.0%} light: window drawn")


main()
