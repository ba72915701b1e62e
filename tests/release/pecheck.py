#!/usr/bin/env python3
"""Reads a built Windows program (PE file) and checks what a release promises about it.

   pecheck.py PROGRAM.exe --version X.Y.Z [--string NAME=TEXT]... [--icon FILE.ico | --no-icon]
   pecheck.py PROGRAM.exe --hardened --imports TABLE [--objdump OBJDUMP]

Always checked: no time stamp in the PE header, in the resource directories or in the
version resource; a manifest with ID 1 that asks for asInvoker, names the Windows
versions from Vista to 10/11 and depends on no other assembly (which would load DLLs).
--version: the file and product versions, as numbers and as text. --string: a text of the
version resource. --icon: the program's first icon group holds exactly the file's images;
--no-icon: the program has no icon group.
--hardened: what a program on removable media must be: ASLR (high-entropy on x86-64) with
its relocations kept, DEP, a load configuration whose dependent-load flags keep the DLLs
it imports to the system folder, a valid checksum where there is one; a 32-bit image is
marked as registering no SEH handler, and, with --objdump, its code touches no SEH chain
(the head of the chain is at %fs:0). --imports: every function the program imports is
one the table names for its DLL (the functions the supported Windows versions all have).
Prints every fault found; exits 1 if any.
"""
import argparse
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IMPORT, RELOCATIONS, LOAD_CONFIG = 1, 5, 10
RELOCS_STRIPPED = 0x0001
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, NO_SEH = 0x0020, 0x0040, 0x0100, 0x0400
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x0800
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
        _, sections, self.timestamp, _, _, optional_size, self.characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.wide = self.u16(optional) == 0x20B
        self.checksum_at = optional + 64
        self.dll_characteristics = self.u16(optional + 70)
        directories = optional + (112 if self.wide else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * index) for index in range(16)]
        self.resource_rva, self.resource_size = self.directories[2]
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

    def text(self, rva):
        at = self.file_offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        """Every imported function as (DLL name in lower case, function name or #ordinal)."""
        found = []
        rva, size = self.directories[IMPORT]
        at = self.file_offset(rva) if size else 0
        while size:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if not name:
                break
            dll = self.text(name).lower()
            entry = self.file_offset(lookup or thunks)
            width, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
            while True:
                value = struct.unpack_from("<Q" if self.wide else "<I", self.data, entry)[0]
                if not value:
                    break
                found.append((dll, f"#{value & 0xFFFF}" if value & ordinal_flag else self.text(value + 2)))
                entry += width
            at += 20
        return found

    def computed_checksum(self):
        total = 0
        data = self.data + b"\0" * (len(self.data) % 2)
        for index, (word,) in enumerate(struct.iter_unpack("<H", data)):
            if self.checksum_at <= 2 * index < self.checksum_at + 4:
                continue
            total += word
            total = (total & 0xFFFF) + (total >> 16)
        return (total + len(self.data)) & 0xFFFFFFFF

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


def check_hardening(pe, faults, objdump, program):
    wanted = {"DYNAMIC_BASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT}
    if pe.wide:
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    else:
        wanted["NO_SEH"] = NO_SEH
    for name, flag in wanted.items():
        if not pe.dll_characteristics & flag:
            faults.append(f"not marked {name}")
    if pe.characteristics & RELOCS_STRIPPED or not pe.directories[RELOCATIONS][1]:
        faults.append("no relocations: the image cannot move, whatever DYNAMIC_BASE says")
    stored = struct.unpack_from("<I", pe.data, pe.checksum_at)[0]
    if stored and stored != pe.computed_checksum():
        faults.append(f"the checksum {stored:#x} is not the file's, {pe.computed_checksum():#x}")

    rva, size = pe.directories[LOAD_CONFIG]
    if not size:
        faults.append("no load configuration directory")
    else:
        at = pe.file_offset(rva)
        flags_at = 78 if pe.wide else 54
        own_size = pe.u32(at)
        if own_size != size:
            faults.append(f"the load configuration gives itself the size {own_size}, its directory {size}")
        elif size < flags_at + 2:
            faults.append(f"the load configuration ({size} bytes) ends before its dependent-load flags")
        elif pe.u16(at + flags_at) != LOAD_LIBRARY_SEARCH_SYSTEM32:
            faults.append(f"dependent-load flags {pe.u16(at + flags_at):#x}, not LOAD_LIBRARY_SEARCH_SYSTEM32")

    if objdump and not pe.wide:
        # An SEH handler is registered by linking a record into the chain whose head is
        # the first word of the thread's block, %fs:0; nothing else reads or writes it.
        listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", program],
                                 capture_output=True, text=True, check=True).stdout
        touching = re.findall(r"^.*%fs:0x0(?![0-9a-fx]).*$", listing, re.MULTILINE)
        for line in touching[:5]:
            faults.append(f"marked NO_SEH, but the code touches the SEH chain: {line.strip()}")


def read_import_table(path):
    """DLL name (lower case) to the set of functions the table allows from it; a line is
    "dll function", and text after '#' is a comment."""
    allowed = {}
    with open(path, encoding="utf-8") as file:
        for line in file:
            fields = line.split("#", 1)[0].split()
            if fields:
                dll, function = fields
                allowed.setdefault(dll.lower(), set()).add(function)
    return allowed


def check_imports(pe, faults, table_path):
    allowed = read_import_table(table_path)
    for dll, function in pe.imports():
        if function not in allowed.get(dll, ()):
            faults.append(f"imports {dll} {function}, which {table_path} does not name as on every supported Windows")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--version")
    parser.add_argument("--string", action="append", default=[], metavar="NAME=TEXT")
    icon = parser.add_mutually_exclusive_group()
    icon.add_argument("--icon")
    icon.add_argument("--no-icon", action="store_true")
    parser.add_argument("--hardened", action="store_true")
    parser.add_argument("--imports", metavar="TABLE")
    parser.add_argument("--objdump")
    arguments = parser.parse_args()

    with open(arguments.program, "rb") as file:
        pe = PEFile(file.read())
    faults = []
    if arguments.hardened or arguments.imports:
        if arguments.hardened:
            check_hardening(pe, faults, arguments.objdump, arguments.program)
        if arguments.imports:
            check_imports(pe, faults, arguments.imports)
        report(arguments.program, faults, "hardened as a program on removable media must be")
        return
    if pe.timestamp:
        faults.append(f"the PE header holds the time stamp {pe.timestamp:#x}")
    if any(pe.directory_stamps):
        faults.append("a resource directory holds a time stamp")
    check_version(pe, faults, arguments.version, [tuple(text.split("=", 1)) for text in arguments.string])
    check_manifest(pe, faults)
    if arguments.icon or arguments.no_icon:
        check_icon(pe, faults, arguments.icon)
    report(arguments.program, faults, "version, manifest and icon as expected")


def report(program, faults, success):
    for fault in faults:
        print(f"{program}: {fault}")
    if faults:
        sys.exit(1)
    print(f"{program}: {success}")


if __name__ == "__main__":
    main()
