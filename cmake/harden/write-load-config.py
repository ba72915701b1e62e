#!/usr/bin/env python3
"""Gives a linked Windows program, in place, the load configuration it defines:

   write-load-config.py PROGRAM.exe LINKER.map

Points the image's load-configuration directory entry at the structure the program
defines as _load_config_used (GNU ld places it but leaves the entry empty), with the size
the structure gives itself. The PE checksum, when the linker wrote one, is computed anew.
The same input gives the same bytes, and a second run changes nothing.
"""
import argparse
import os
import re
import struct
import sys

LOAD_CONFIG = 10


def fail(message):
    sys.exit(f"write-load-config.py: {message}")


def symbol_address(map_path):
    """The address the link map gives _load_config_used (with the leading underscore that
    32-bit C names carry)."""
    with open(map_path, encoding="utf-8", errors="replace") as file:
        found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+_?_load_config_used\s*$", file.read(), re.MULTILINE)
    if len(set(found)) != 1:
        fail(f"{map_path}: {len(set(found))} addresses for _load_config_used, not 1")
    return int(found[0], 16)


def checksum(data, checksum_at):
    """The PE checksum: the 16-bit one's-complement sum of the file, without the checksum
    field itself, plus the file's length."""
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for index, (word,) in enumerate(struct.iter_unpack("<H", padded)):
        if checksum_at <= 2 * index < checksum_at + 4:
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("map")
    arguments = parser.parse_args()

    with open(arguments.program, "rb") as file:
        data = bytearray(file.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        fail(f"{arguments.program} is not a PE file")
    _, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
    image_base = struct.unpack_from("<Q" if wide else "<I", data, optional + (24 if wide else 28))[0]
    checksum_at = optional + 64
    directory_at = optional + (112 if wide else 96) + 8 * LOAD_CONFIG

    rva = symbol_address(arguments.map) - image_base
    for index in range(sections):
        at = optional + optional_size + 40 * index
        virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
        if address <= rva < address + min(virtual_size, raw_size):
            offset = raw_at + rva - address
            break
    else:
        fail(f"_load_config_used at {rva:#x} lies in no section's data")
    size = struct.unpack_from("<I", data, offset)[0]
    if size < 64 or offset + size > len(data):
        fail(f"_load_config_used gives itself the size {size}")

    struct.pack_into("<II", data, directory_at, rva, size)
    if struct.unpack_from("<I", data, checksum_at)[0]:
        struct.pack_into("<I", data, checksum_at, checksum(bytes(data), checksum_at))

    temporary = arguments.program + ".load-config"
    with open(temporary, "wb") as file:
        file.write(data)
    os.chmod(temporary, os.stat(arguments.program).st_mode)
    os.replace(temporary, arguments.program)


if __name__ == "__main__":
    main()
