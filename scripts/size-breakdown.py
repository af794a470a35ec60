#!/usr/bin/env python3
"""What the Windows executables are made of.

    scripts/size-breakdown.py [BUILD_DIR] [--top N] [--program-part]

BUILD_DIR defaults to build/x86 (the shipped installer). For
VelantrixInstaller.exe and product/uninst.exe it prints the file size, the
installer's program part (the file size less resources 148 and 149, read from
the PE resource directory), the sections of the file, and from the link map the
linker writes beside each executable (<exe>.map) the bytes each static library
and each object contributes, per output section. The map's figures are the
sizes of the input sections before the file alignment of each section, so
they add up to a little less than the file size. With --program-part only the
installer's program-part figure is printed (for scripts).
"""

import argparse
import collections
import re
import struct
import sys
from pathlib import Path

PAYLOAD_TYPE = "BINARY"  # resources/package.rc
PAYLOAD_RESOURCES = (148, 149)


class PeFile:
    def __init__(self, path):
        self.data = Path(path).read_bytes()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError(f"{path}: not an MZ file")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE header")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", d, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        count = struct.unpack_from("<I", d, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), vsize, rva, raw_size, raw_offset))

    def offset(self, rva):
        for _, vsize, start, raw_size, raw_offset in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                return raw_offset + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def resources(self):
        """{(type, id): size} of every resource with a numeric identifier; a type
        is its number or its name."""
        if len(self.directories) <= 2 or self.directories[2][0] == 0:
            return {}
        base = self.offset(self.directories[2][0])
        d = self.data

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", d, base + offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", d, base + offset + 16 + 8 * i)
                yield name, target

        def name(value):
            if not value & 0x80000000:
                return value
            offset = base + (value & 0x7FFFFFFF)
            length = struct.unpack_from("<H", d, offset)[0]
            return d[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")

        found = {}
        for type_name, type_target in entries(0):
            if not type_target & 0x80000000:
                continue
            type_name = name(type_name)
            for res_name, res_target in entries(type_target & 0x7FFFFFFF):
                if res_name & 0x80000000 or not res_target & 0x80000000:
                    continue
                for _, leaf in entries(res_target & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        continue
                    _, size = struct.unpack_from("<II", d, base + leaf)
                    found[(type_name, res_name)] = found.get((type_name, res_name), 0) + size
        return found


def program_part(pe):
    resources = pe.resources()
    payload = {rid: resources.get((PAYLOAD_TYPE, rid), 0) for rid in PAYLOAD_RESOURCES}
    return len(pe.data) - sum(payload.values()), payload


def read_map(path):
    """[(output section, library, object, size)] of every input section with bytes."""
    text = Path(path).read_text(errors="replace").split("\n")
    try:
        start = text.index("Linker script and memory map")
    except ValueError:
        raise ValueError(f"{path}: not a GNU ld map")
    contributions = []
    output = None
    pending = None
    section_line = re.compile(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    continuation = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    for line in text[start + 1:]:
        if line and not line.startswith(" "):
            output = line.split()[0]
            pending = None
            continue
        match = section_line.match(line)
        if match:
            _, _, size, origin = match.groups()
        else:
            alone = re.match(r"^ (\S+)$", line)
            if alone:
                pending = alone.group(1)
                continue
            match = continuation.match(line)
            if not (match and pending):
                pending = None
                continue
            _, size, origin = match.groups()
            pending = None
        size = int(size, 16)
        if size == 0 or output is None or output.startswith(".debug") or origin.startswith("0x"):
            continue
        member = re.match(r"^(?:.*/)?([^/(]+)\((.*)\)$", origin)
        own = re.match(r"^(?:.*/)?CMakeFiles/([^/]+)\.dir/objects\.a\((.*)\)$", origin)
        if own:
            # CMake hands an executable's own objects to the linker as an archive.
            library, obj = f"({own.group(1)}'s own objects)", own.group(2)
        elif member:
            library, obj = member.group(1), member.group(2)
        elif origin == "dll stuff":
            library, obj = "(linker)", "base relocations"
        else:
            library, obj = "(start-up objects)", origin.split("/")[-1]
        contributions.append((output, library, obj, size))
    return contributions


CXX_RUNTIME = {"libstdc++.a", "libsupc++.a", "libgcc.a", "libgcc_eh.a"}
C_RUNTIME = {"libmingw32.a", "libmingwex.a", "libmsvcrt.a", "libmoldname.a", "(start-up objects)"}


def origin(output, library, obj):
    """The group a contribution belongs to, for the summary."""
    if obj == "package.rc.res":
        return "payload (package.rc: resources 148, 149)"
    if output == ".rsrc":
        return "resources (dialog, icons, documents, manifest)"
    if library in CXX_RUNTIME:
        return "C++ runtime and unwinder (libstdc++, libgcc)"
    if library in C_RUNTIME:
        return "MinGW C runtime and start-up"
    if library == "libz.a":
        return "zlib (libz)"
    if library == "(linker)":
        return "base relocations (.reloc)"
    if output == ".idata" or library == "libuuid.a":
        return "system imports and GUIDs"
    return "the project's own code and data"


def table(title, rows, sections, top):
    """rows: {name: Counter(section -> bytes)}; the largest first."""
    shown = [s for s in sections if any(r.get(s) for r in rows.values())]
    ordered = sorted(rows.items(), key=lambda item: -sum(item[1].values()))
    width = max([len(title)] + [len(name) for name, _ in ordered[:top]])
    print(f"  {title:<{width}} {'total':>8} " + " ".join(f"{s[:9]:>9}" for s in shown))
    for name, counter in ordered[:top]:
        print(f"  {name:<{width}} {sum(counter.values()):>8} " + " ".join(f"{counter.get(s, 0) or '':>9}" for s in shown))
    rest = ordered[top:]
    if rest:
        total = sum(sum(c.values()) for _, c in rest)
        print(f"  {'(' + str(len(rest)) + ' more)':<{width}} {total:>8}")


def breakdown(exe, top, is_installer):
    pe = PeFile(exe)
    print(f"{exe}: {len(pe.data):,} bytes")
    if is_installer:
        part, payload = program_part(pe)
        print("  program part (file less resources " + " and ".join(
            f"{rid}: {size:,}" for rid, size in payload.items()) + f"): {part:,} bytes")
    print("  sections (raw size in the file): " + ", ".join(
        f"{name} {raw_size:,}" for name, _, _, raw_size, _ in pe.sections))
    map_path = Path(str(exe) + ".map")
    if not map_path.exists():
        print(f"  no link map ({map_path}): per-library figures need the build's map")
        return
    contributions = read_map(map_path)
    sections = []
    for output, *_ in contributions:
        if output not in sections:
            sections.append(output)
    libraries = collections.defaultdict(collections.Counter)
    objects = collections.defaultdict(collections.Counter)
    groups = collections.defaultdict(collections.Counter)
    for output, library, obj, size in contributions:
        groups[origin(output, library, obj)][output] += size
        libraries[library][output] += size
        objects[f"{library}({obj})" if not library.startswith("(") else obj][output] += size
    print()
    table("origin", groups, sections, len(groups))
    print()
    table("library", libraries, sections, top)
    print()
    table("object", objects, sections, top)
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build/x86")
    parser.add_argument("--top", type=int, default=25, help="rows per table (default 25)")
    parser.add_argument("--program-part", action="store_true", help="print only the installer's program part")
    args = parser.parse_args()
    build = Path(args.build)
    installer = build / "VelantrixInstaller.exe"
    if args.program_part:
        print(program_part(PeFile(installer))[0])
        return 0
    for exe, is_installer in ((installer, True), (build / "product" / "uninst.exe", False)):
        if exe.exists():
            breakdown(exe, args.top, is_installer)
        else:
            print(f"{exe}: missing (build the preset first)", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
