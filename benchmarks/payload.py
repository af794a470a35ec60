"""The benchmark's payload: twelve real Windows DLLs (the ones Wine installs),
chosen the same way on every run, making a package whose unpacked stream has
the shipped package's size exactly.

    python3 benchmarks/payload.py OUTPUT_DIR

writes OUTPUT_DIR/package.manifest (for tools/make_package, absolute sources)
and OUTPUT_DIR/setup-x64.nsi and setup-x86.nsi (the NSIS peers with the same
files), plus the last entry's cut file. A file is rewritten only when its content changes, so the
builds that depend on them stay up to date.
"""
import re
import sys
from pathlib import Path

# The shipped stream's unpacked size: messages included (type byte, 4-byte length).
UNPACKED_SIZE = 18_169_956
ENTRIES = 12
MESSAGE_HEADER = 5
# Mid-sized libraries, like the product's own programs.
SMALLEST, LARGEST = 1 << 20, 5 << 19
DLL_FOLDERS = ["/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows"]
INSTALL_FOLDER = r"C:\Program Files\Korvane Velantrix"


def dll_folder():
    for folder in map(Path, DLL_FOLDERS):
        if folder.is_dir():
            return folder
    raise SystemExit("no Wine x86_64-windows DLL folder (Debian package wine64): " + ", ".join(DLL_FOLDERS))


def family(name):
    """d3dx9_43.dll and d3dx10_43.dll are one family: versions of one library
    share most of their bytes, which a 32 MiB dictionary would turn into
    nothing."""
    return re.sub(r"[\d_]+$", "", name.removesuffix(".dll"))


def chosen_sources():
    seen = set()
    chosen = []
    for path in sorted(dll_folder().glob("*.dll")):
        if not SMALLEST <= path.stat().st_size < LARGEST or family(path.name) in seen:
            continue
        seen.add(family(path.name))
        chosen.append(path)
        if len(chosen) == ENTRIES:
            return chosen
    raise SystemExit(f"fewer than {ENTRIES} suitable DLLs in {dll_folder()}")


def overhead(name):
    return MESSAGE_HEADER + len(name) + MESSAGE_HEADER  # name message, data message header


def cut(data, size):
    """The first `size` bytes, the file repeated from its start when short."""
    return (data * (size // len(data) + 1))[:size]


def write_if_changed(path, content):
    if not path.exists() or path.read_bytes() != content:
        path.write_bytes(content)


def main(out_dir):
    out_dir = Path(out_dir).resolve()
    out_dir.mkdir(parents=True, exist_ok=True)
    sources = chosen_sources()
    *whole, last = sources
    last_size = UNPACKED_SIZE - sum(p.stat().st_size + overhead(p.name) for p in whole) - overhead(last.name)
    if last_size <= 0:
        raise SystemExit("the first entries alone exceed the package size")
    last_copy = out_dir / "payload" / last.name
    last_copy.parent.mkdir(exist_ok=True)
    write_if_changed(last_copy, cut(last.read_bytes(), last_size))
    files = [*whole, last_copy]

    manifest = ["# Benchmark package: Wine's DLLs, made by benchmarks/payload.py."]
    manifest += [f'"{p.name}" "{p}"' for p in files]
    write_if_changed(out_dir / "package.manifest", ("\n".join(manifest) + "\n").encode())

    # The peers: NSIS's Unicode stubs, 64-bit and 32-bit (each measured against
    # our build of the same architecture), one solid LZMA block with the same
    # dictionary, the same files into the same kind of folder, nothing else.
    # With /SHORTCUTS they also make our installation's six shortcuts, which
    # shows what they cost under Wine.
    for arch, stub in (("x64", "amd64-unicode"), ("x86", "x86-unicode")):
        write_if_changed(out_dir / f"setup-{arch}.nsi", ("\n".join(nsis_script(out_dir, files, arch, stub)) + "\n").encode())
    print(f"{out_dir / 'package.manifest'}: {len(files)} entries, {UNPACKED_SIZE} bytes unpacked, "
          f"{last.name} cut to {last_size} bytes")


def nsis_script(out_dir, files, arch, stub):
    target = f"$INSTDIR\\{files[0].name}"
    return [
        "Unicode true",
        f"Target {stub}",
        "SetCompressor /SOLID /FINAL lzma",
        "SetCompressorDictSize 32",
        "!include FileFunc.nsh",
        'Name "Velantrix benchmark peer"',
        f'OutFile "{out_dir / f"nsis-setup-{arch}.exe"}"',
        f'InstallDir "{INSTALL_FOLDER}"',
        "RequestExecutionLevel admin",
        "SilentInstall silent",
        'Section "Files"',
        '  SetOutPath "$INSTDIR"',
        *[f'  File "/oname={p.name}" "{p}"' for p in files],
        "  ${GetParameters} $R0",
        "  ClearErrors",
        '  ${GetOptions} $R0 "/SHORTCUTS" $R1',
        "  IfErrors done",
        "  SetShellVarContext all",
        '  CreateDirectory "$SMPROGRAMS\\Korvane Velantrix"',
        *[f'  CreateShortcut "$SMPROGRAMS\\Korvane Velantrix\\{link}.lnk" "{target}"'
          for link in ("Velantrix", "Proxy Settings", "Host Key Manager", "Keypair Manager", "Uninstall Velantrix")],
        f'  CreateShortcut "$DESKTOP\\Velantrix.lnk" "{target}"',
        "  done:",
        "SectionEnd",
    ]


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit("usage: payload.py OUTPUT_DIR")
    main(sys.argv[1])
