#!/usr/bin/env python3
"""Writes a small icon file (.ico) for the tests: a 16x16 and a 32x32 image, 32 bits a pixel.

   make-test-icon.py OUT.ico
"""
import struct
import sys


def image(size, colour):
    """One icon image: a BMP header of twice the height (colour rows, then the mask's),
    the pixels (bottom-up, BGRA) and an all-zero mask, 32 bits a row."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytes(colour) * (size * size)
    mask = bytes(((size + 31) // 32) * 4 * size)
    return header + pixels + mask


def main():
    images = [image(16, (0x20, 0x60, 0xC0, 0xFF)), image(32, (0x40, 0xA0, 0x20, 0xFF))]
    sizes = [16, 32]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
