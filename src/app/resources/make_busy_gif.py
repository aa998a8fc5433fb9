#!/usr/bin/env python3
"""Writes busy.gif: the 64 x 64 busy animation, 24 frames of 40 ms, looping.

Twelve dots on a circle; the bright dot goes round once every 12 frames and leaves a fading
tail. Plain Python, no imaging library: the frames are drawn into palette indexes and
LZW-coded here.
Usage: make_busy_gif.py OUTPUT
"""
import math
import struct
import sys

SIZE = 64
FRAMES = 24
DELAY_CS = 4  # 40 ms
DOTS = 12
PALETTE = [(255, 255, 255)] + [
    (int(255 - (255 - 30) * t), int(255 - (255 - 110) * t), int(255 - (255 - 220) * t))
    for t in (i / 14 for i in range(1, 16))
]  # index 0 background, 1..15 light to dark blue


def draw(frame):
    pixels = bytearray(SIZE * SIZE)
    head = frame % DOTS
    for dot in range(DOTS):
        angle = 2 * math.pi * dot / DOTS - math.pi / 2
        cx = SIZE / 2 + 22 * math.cos(angle)
        cy = SIZE / 2 + 22 * math.sin(angle)
        age = (head - dot) % DOTS
        shade = max(2, 15 - age * 2)
        radius = 5.5 if age == 0 else 4.5
        for y in range(SIZE):
            for x in range(SIZE):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                    pixels[y * SIZE + x] = shade
    # A second, slower cue so the 24 frames all differ: a bar that grows under the ring centre.
    width = 2 + frame
    for y in range(30, 34):
        for x in range(32 - width // 2, 32 - width // 2 + width):
            pixels[y * SIZE + x] = 8
    return bytes(pixels)


def lzw(indexes, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = b""
    for value in indexes:
        candidate = prefix + bytes([value])
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = bytes([value])
    if prefix:
        emit(table[prefix], width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def main():
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", SIZE, SIZE, 0xF3, 0, 0)  # global table of 16 colours
    for r, g, b in PALETTE:
        gif += bytes((r, g, b))
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for frame in range(FRAMES):
        gif += b"\x21\xF9\x04" + struct.pack("<BHBB", 0x04, DELAY_CS, 0, 0)
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0)
        gif += bytes((4,)) + sub_blocks(lzw(draw(frame), 4))
    gif += b"\x3B"
    with open(sys.argv[1], "wb") as handle:
        handle.write(gif)


if __name__ == "__main__":
    main()
