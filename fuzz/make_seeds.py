#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora into fuzz/corpus/<target>/seed-*: a few
small inputs of each kind, always the same bytes. The LZMA seeds are packages
written by the build's own make_package.

    fuzz/make_seeds.py [path of make_package]   (default build/host/tools/make_package)
"""
import pathlib
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent
CORPUS = ROOT / "corpus"

NAME, UNINSTALLER, PLATFORM, DATA = 1, 2, 3, 0x65

# The digest block's marker: three groups, each twice in a row.
GROUP_A = bytes.fromhex("5e5bc5b48f8e4e7fbce565f4f634e3f4")
GROUP_B = bytes.fromhex("ca82e1b66b904189bbf71d6710a8b676fb5d2055cd3e3a4b237fb3818837f760")
GROUP_C = bytes.fromhex("415333de189445c48a22bde9931bf8b6")
MARKER = GROUP_A * 2 + GROUP_B * 2 + GROUP_C * 2
SLOT = b"\xff" * 32
READ = 16384


def message(kind, payload=b""):
    return bytes([kind]) + struct.pack(">I", len(payload)) + payload


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"seed-{name}").write_bytes(data)


def package_parser_seeds():
    # The parser's input ends in a 4-byte seed for the pieces and a byte whose
    # lowest bit chooses the NT family.
    nt = b"\x05\x00\x00\x00\x01"
    win98 = b"\x09\x00\x00\x00\x00"
    shipped_like = (message(NAME, b"Velantrix.exe") + message(DATA, b"MZ main program") +
                    message(NAME, b"dravcfg.exe") + message(PLATFORM, b"\x01") + message(DATA, b"nt build") +
                    message(NAME, b"dravcfg.exe") + message(PLATFORM, b"\x02") + message(DATA, b"98 build"))
    write("package_parser", "entries-nt", shipped_like + nt)
    write("package_parser", "entries-98", shipped_like + win98)
    write("package_parser", "uninstaller", message(UNINSTALLER) + message(DATA, b"uninst") + message(DATA) + nt)
    write("package_parser", "empty-data-last", message(NAME, b"empty.txt") + message(DATA) + nt)
    write("package_parser", "longest-header", message(NAME, b"n" * 4096) + message(DATA, b"x") + nt)
    write("package_parser", "unknown-type", message(NAME, b"a") + message(4) + message(DATA, b"x") + nt)
    write("package_parser", "cut-inside", (message(NAME, b"a.exe") + message(DATA, b"abcdef"))[:-2] + nt)


def lzma_stream_seeds(make_package):
    entries = [("Velantrix.exe", b"MZ" + bytes(range(256)) * 40, ""),
               ("readme.txt", b"Korvane Velantrix\r\n" * 50, ""),
               ("dravcfg.exe", b"nt build", "platform=1"),
               ("dravcfg.exe", b"98 build", "platform=2"),
               ("uninst", b"uninstaller", "uninstaller"),
               ("empty.txt", b"", "")]
    with tempfile.TemporaryDirectory() as temp:
        folder = pathlib.Path(temp)
        lines = []
        for index, (name, data, option) in enumerate(entries):
            (folder / f"source{index}").write_bytes(data)
            lines.append(f"{name} source{index} {option}".rstrip())
        cases = {"package": lines, "one-file": lines[1:2], "empty-file": lines[-1:]}
        for case, manifest in cases.items():
            (folder / "manifest").write_text("\n".join(manifest) + "\n")
            subprocess.run([make_package, folder / "manifest", folder / "out"], check=True,
                           stdout=subprocess.DEVNULL)
            write("lzma_stream", case, (folder / "out").read_bytes())
    # Sizes that the header alone decides: no size, and nothing to decode.
    write("lzma_stream", "unknown-size", b"\x5d\x00\x00\x01\x00" + b"\xff" * 8 + b"\x00" * 5)
    write("lzma_stream", "zero-size", b"\x5d\x00\x00\x01\x00" + b"\x00" * 8)


def cmdline_seeds():
    # The last byte chooses the flags: 7 is the installer's; 16 adds wiping, 32
    # the constructor that takes the caller's buffer, 8 case-sensitive names.
    line = (b'VelantrixInstaller.exe -installDir="C:\\Program Files\\K V" -acceptEULA /Force -force=yes '
            b'extra "a \\" b" \\\\\\\\srv\\share "" """" -x= /? -h -help - /')
    for flags in (7, 7 | 16 | 32, 0, 8 | 4):
        write("cmdline", f"installer-line-{flags}", line + bytes([flags]))
    write("cmdline", "open-quote", b'p -installDir="C:\\a b\\' + bytes([7]))
    write("cmdline", "wide-letters", b"p -\xfe\x04\x10=\xfe\x04\x30 \xfe\x01\x30x" + bytes([7 | 32]))


def digest_scanner_seeds():
    # The scanned file is optional handmade PE headers, a run of zeros, then the
    # input's bytes. The choices are read from the input's end: the zeros'
    # count (2 bytes), the layout byte (1 PE32 headers, 2 PE32+; 4 a header
    # field replaced; 8 the security entry naming a table that ends at the
    # file's end; 16 any security entry), then what the layout asks for: the
    # headers' offset (0x40 + 4 * byte), the field (1 byte) and its value (4),
    # the table's size (2) or the entry's offset and size (4 and 4). Each value
    # lies low byte first, the first read last.
    def seed(name, body, zeros=0, layout=0, choices=()):
        tail = b""
        for value, size in reversed(list(choices)):
            tail += value.to_bytes(size, "little")
        write("digest_scanner", name, body + tail + bytes([layout, zeros & 0xFF, zeros >> 8]))

    block = MARKER * 2 + b"\xff" + SLOT
    seed("block", b"MZ" + bytes(100) + block + b"tail")
    seed("one-copy", MARKER + b"\xff" + SLOT)
    seed("three-copies", MARKER * 3 + b"\xff" + SLOT + b"after")
    seed("not-lead", MARKER + b"\x00" + SLOT + block)
    seed("cut-short", MARKER * 2 + b"\xff" + SLOT[:31])
    seed("marker-after-block", block + MARKER + b"\xff" + SLOT)
    seed("ends-at-read", block, READ - 2 * len(MARKER))
    seed("straddles-read", block + block, READ - 100)
    seed("slot-across-read", block, READ - 2 * len(MARKER) - 10)

    # PE headers at 0x80 (offset byte 16).
    pe32, pe32plus, replace, table_to_end, any_entry = 1, 2, 4, 8, 16
    at_0x80 = (16, 1)
    signature = bytes(range(64)) * 8
    seed("pe32-block", block + b"sections", 100, pe32, [at_0x80])
    seed("pe32plus-block", block + b"sections", 100, pe32plus, [at_0x80])
    seed("pe32-signed", block + b"sections" + signature, 0, pe32 | table_to_end, [at_0x80, (len(signature), 2)])
    seed("pe32plus-signed", block + b"sections" + signature, READ, pe32plus | table_to_end,
         [at_0x80, (len(signature), 2)])
    seed("pe32plus-table-with-block", block + b"sections" + block, 0, pe32plus | table_to_end,
         [at_0x80, (len(block), 2)])
    seed("pe32-entry-elsewhere", block + signature, 0, pe32 | any_entry, [at_0x80, (0x400, 4), (len(signature), 4)])
    seed("pe32-lfanew-outside", block, 0, pe32 | replace, [at_0x80, (0, 1), (0xFFFFFF00, 4)])
    seed("pe32plus-pe32-magic", block + signature, 0, pe32plus | replace | table_to_end,
         [at_0x80, (3, 1), (0x10B, 4), (len(signature), 2)])
    seed("pe32-four-directories", block, 0, pe32 | replace, [at_0x80, (4, 1), (4, 4)])


def multi_string_seeds():
    for name, data in {"two": b"a\0b\0\0", "one-empty": b"\0\0", "single-zero": b"\0", "empty": b"",
                       "unterminated": b"abc", "empty-last": b"a\0\0\0", "no-list-end": b"a\0b\0"}.items():
        write("multi_string", name, data)


def main():
    make_package = sys.argv[1] if len(sys.argv) > 1 else ROOT.parent / "build/host/tools/make_package"
    for old in CORPUS.glob("*/seed-*"):
        old.unlink()
    package_parser_seeds()
    lzma_stream_seeds(make_package)
    cmdline_seeds()
    digest_scanner_seeds()
    multi_string_seeds()


if __name__ == "__main__":
    main()
