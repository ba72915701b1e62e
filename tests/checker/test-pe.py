"""Writes a small 32-bit Windows program for the signature tests: two sections (code that
only returns, and data) and a few bytes after them, which a signature's digest covers too.
   test-pe.py OUT.exe
"""
import struct
import sys

PE, OPTIONAL, HEADERS, RAW = 0x40, 224, 0x200, 0x200
image = bytearray(HEADERS + 2 * RAW)
image[0:2] = b"MZ"
struct.pack_into("<I", image, 0x3C, PE)
image[PE:PE + 4] = b"PE\0\0"
struct.pack_into("<HHIIIHH", image, PE + 4, 0x14C, 2, 0, 0, 0, OPTIONAL, 0x0102)
o = PE + 24
struct.pack_into("<H", image, o, 0x10B)
struct.pack_into("<I", image, o + 16, 0x1000)            # entry point
struct.pack_into("<I", image, o + 28, 0x400000)          # image base
struct.pack_into("<II", image, o + 32, 0x1000, 0x200)    # section and file alignment
struct.pack_into("<H", image, o + 40, 4)                 # operating system version
struct.pack_into("<H", image, o + 48, 4)                 # subsystem version
struct.pack_into("<II", image, o + 56, 0x3000, HEADERS)  # image size, headers size
struct.pack_into("<H", image, o + 68, 2)                 # GUI subsystem
struct.pack_into("<I", image, o + 92, 16)                # data directories
sections = o + OPTIONAL
for index, (name, flags) in enumerate([(b".text", 0x60000020), (b".data", 0xC0000040)]):
    header = sections + 40 * index
    image[header:header + len(name)] = name
    raw = HEADERS + RAW * index
    struct.pack_into("<IIII", image, header + 8, RAW, 0x1000 * (index + 1), RAW, raw)
    struct.pack_into("<I", image, header + 36, flags)
image[HEADERS] = 0xC3  # ret
image[HEADERS + RAW:HEADERS + RAW + 12] = b"Kova program"
image += b"after the sections"
with open(sys.argv[1], "wb") as out:
    out.write(image)
