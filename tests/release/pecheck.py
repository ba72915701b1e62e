#!/usr/bin/env python3
"""Reads a built Windows program (PE file) and checks what a release promises about it.

   pecheck.py PROGRAM.exe --version X.Y.Z [--string NAME=TEXT]... [--icon FILE.ico | --no-icon]

Always checked: no time stamp in the PE header, in the resource directories or in the
version resource; a manifest with ID 1 that asks for asInvoker, names the Windows
versions from Vista to 10/11 and depends on no other assembly (which would load DLLs).
--version: the file and product versions, as numbers and as text. --string: a text of the
version resource. --icon: the program's first icon group holds exactly the file's images;
--no-icon: the program has no icon group. Prints every fault found; exits 1 if any.
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}


class PEFile:
    """The parts of a PE file this check needs: header time stamp and resources."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a PE file (no MZ header)")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file (no PE signature)")
        _, sections, self.timestamp, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        directories = optional + (96 if self.u16(optional) == 0x10B else 112)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
        self.sections = []
        for index in range(sections):
            at = optional + optional_size + 40 * index
            virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_at))
        self.directory_stamps = []
        self.resources = self.read_resources() if self.resource_size else []

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def file_offset(self, rva):
        for address, size, raw_at in self.sections:
            if address <= rva < address + size:
                return raw_at + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def read_directory(self, base, at):
        _, stamp, _, _, named, ids = struct.unpack_from("<IIHHHH", self.data, base + at)
        self.directory_stamps.append(stamp)
        entries = []
        for index in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, base + at + 16 + 8 * index)
            if name & 0x80000000:
                text_at = base + (name & 0x7FFFFFFF)
                length = self.u16(text_at)
                name = self.data[text_at + 2:text_at + 2 + 2 * length].decode("utf-16-le")
            entries.append((name, target & 0x7FFFFFFF))
        return entries

    def read_resources(self):
        """Every resource as (type, name, language, bytes), in the directories' order."""
        base = self.file_offset(self.resource_rva)
        found = []
        for kind, names in self.read_directory(base, 0):
            for name, languages in self.read_directory(base, names):
                for language, entry in self.read_directory(base, languages):
                    rva, size = struct.unpack_from("<II", self.data, base + entry)
                    at = self.file_offset(rva)
                    found.append((kind, name, language, self.data[at:at + size]))
        return found

    def of_type(self, kind):
        return [(name, data) for k, name, _, data in self.resources if k == kind]


def version_block(data, at):
    """One node of a version resource: (key, value, children, end)."""
    length, value_length, text = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    here = (key_end + 2 + 3) & ~3
    if text:
        value = data[here:here + 2 * value_length].decode("utf-16-le").rstrip("\0")
        here += 2 * value_length
    else:
        value = data[here:here + value_length]
        here += value_length
    children = []
    while True:
        here = (here + 3) & ~3
        if here >= at + length:
            break
        child = version_block(data, here)
        children.append(child)
        here = child[3]
    return key, value, children, at + length


def check_version(pe, faults, version, strings):
    resources = pe.of_type(RT_VERSION)
    if len(resources) != 1:
        faults.append(f"{len(resources)} version resources, not 1")
        return
    key, fixed, children, _ = version_block(resources[0][1], 0)
    if key != "VS_VERSION_INFO" or len(fixed) != 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        faults.append("the version resource has no fixed file information")
        return
    words = struct.unpack_from("<13I", fixed)
    if words[11] or words[12]:
        faults.append("the version resource holds a file date")
    texts = {}
    for child in children:
        if child[0] == "StringFileInfo":
            for table in child[2]:
                texts.update({name: value for name, value, _, _ in table[2]})
    if version:
        numbers = [int(part) for part in version.split(".")] + [0]
        expected = ((numbers[0] << 16) | numbers[1], (numbers[2] << 16) | numbers[3])
        if words[2:4] != expected:
            faults.append(f"file version {words[2] >> 16}.{words[2] & 0xFFFF}.{words[3] >> 16}.{words[3] & 0xFFFF}, not {version}.0")
        if words[4:6] != expected:
            faults.append(f"product version {words[4] >> 16}.{words[4] & 0xFFFF}.{words[5] >> 16}.{words[5] & 0xFFFF}, not {version}.0")
        strings = [("FileVersion", version), ("ProductVersion", version)] + strings
    for name, text in strings:
        if texts.get(name) != text:
            faults.append(f"version text {name} is {texts.get(name)!r}, not {text!r}")


def check_manifest(pe, faults):
    manifests = pe.of_type(RT_MANIFEST)
    if [name for name, _ in manifests] != [1]:
        faults.append(f"manifests {[name for name, _ in manifests]}, not one with ID 1")
        return
    root = ElementTree.fromstring(manifests[0][1])
    tags = {element.tag.split("}")[-1]: element for element in root.iter()}
    levels = [element.get("level") for element in root.iter() if element.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        faults.append(f"execution levels {levels}, not ['asInvoker']")
    if "dependency" in tags or "dependentAssembly" in tags:
        faults.append("the manifest depends on another assembly, which loads its DLLs")
    named = {element.get("Id").lower() for element in root.iter() if element.tag.endswith("}supportedOS")}
    for guid, windows in SUPPORTED_OS.items():
        if guid not in named:
            faults.append(f"the manifest does not name Windows {windows} as supported")


def check_icon(pe, faults, icon_path):
    groups = pe.of_type(RT_GROUP_ICON)
    if icon_path is None:
        if groups:
            faults.append(f"{len(groups)} icon groups, where none was asked for")
        return
    if not groups:
        faults.append("no icon group")
        return
    with open(icon_path, "rb") as file:
        icon = file.read()
    count = struct.unpack_from("<H", icon, 4)[0]
    group = groups[0][1]
    if struct.unpack_from("<HHH", group) != (0, 1, count):
        faults.append(f"the first icon group's header is {struct.unpack_from('<HHH', group)}, not (0, 1, {count})")
        return
    images = dict(pe.of_type(RT_ICON))
    for index in range(count):
        looks = icon[6 + 16 * index:6 + 16 * index + 12]
        size, at = struct.unpack_from("<II", icon, 6 + 16 * index + 8)
        entry = group[6 + 14 * index:6 + 14 * index + 14]
        image_id = struct.unpack_from("<H", entry, 12)[0]
        if entry[:12] != looks:
            faults.append(f"icon image {index + 1}: the group describes it otherwise than the file")
        if images.get(image_id) != icon[at:at + size]:
            faults.append(f"icon image {index + 1}: its bytes differ from the file's")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--version")
    parser.add_argument("--string", action="append", default=[], metavar="NAME=TEXT")
    icon = parser.add_mutually_exclusive_group()
    icon.add_argument("--icon")
    icon.add_argument("--no-icon", action="store_true")
    arguments = parser.parse_args()

    with open(arguments.program, "rb") as file:
        pe = PEFile(file.read())
    faults = []
    if pe.timestamp:
        faults.append(f"the PE header holds the time stamp {pe.timestamp:#x}")
    if any(pe.directory_stamps):
        faults.append("a resource directory holds a time stamp")
    check_version(pe, faults, arguments.version, [tuple(text.split("=", 1)) for text in arguments.string])
    check_manifest(pe, faults)
    if arguments.icon or arguments.no_icon:
        check_icon(pe, faults, arguments.icon)
    for fault in faults:
        print(f"{arguments.program}: {fault}")
    if faults:
        sys.exit(1)
    print(f"{arguments.program}: version, manifest and icon as expected")


if __name__ == "__main__":
    main()
