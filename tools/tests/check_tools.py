#!/usr/bin/env python3
"""The build tools' output as other decoders read it: the package through xz's
LZMA decoder, the uninstaller stream through Python's zlib.

    check_tools.py MAKE_PACKAGE ZLIB_COMPRESS
"""
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

MAKE_PACKAGE, ZLIB_COMPRESS = sys.argv[1], sys.argv[2]


def message(kind, payload):
    return bytes([kind]) + struct.pack(">I", len(payload)) + payload


class Tools(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.dir)

    def make_package(self, manifest, *args):
        (self.dir / "package.manifest").write_text(manifest)
        return subprocess.run([MAKE_PACKAGE, *args, str(self.dir / "package.manifest"), str(self.dir / "out.lzma")],
                              capture_output=True, text=True)

    def test_package_decodes_with_xz(self):
        (self.dir / "docs").mkdir()
        (self.dir / "docs" / "readme.txt").write_bytes(b"read me\n")
        (self.dir / "build").mkdir()
        program = bytes(range(256)) * 600
        (self.dir / "build" / "main.exe").write_bytes(program)
        (self.dir / "empty").write_bytes(b"")
        run = self.make_package(
            "# comment\n"
            "Velantrix.exe main.exe\n"
            '"Read Me.txt"  docs/readme.txt\n'
            "dravcfg.exe empty platform=1\n"
            "x.exe empty uninstaller platform=2\n",
            "--search", str(self.dir / "build"))
        self.assertEqual(run.returncode, 0, run.stderr)
        expected = (message(1, b"Velantrix.exe") + message(0x65, program) +
                    message(1, b"Read Me.txt") + message(0x65, b"read me\n") +
                    message(1, b"dravcfg.exe") + message(3, b"\x01") + message(0x65, b"") +
                    message(1, b"x.exe") + message(2, b"") + message(3, b"\x02") + message(0x65, b""))
        stream = (self.dir / "out.lzma").read_bytes()
        self.assertEqual(stream[0], 0x5D)
        self.assertEqual(struct.unpack("<I", stream[1:5])[0], 32 << 20)
        self.assertEqual(struct.unpack("<Q", stream[5:13])[0], len(expected))
        decoded = subprocess.run(["xz", "--format=lzma", "-dc", str(self.dir / "out.lzma")], capture_output=True)
        self.assertEqual(decoded.returncode, 0, decoded.stderr)
        self.assertEqual(decoded.stdout, expected)
        self.assertIn(f"4 entries, {len(expected)} bytes unpacked, {len(stream)} bytes compressed", run.stdout)

    def test_manifest_errors(self):
        cases = [  # manifest, part of the error
            ("a.exe missing.exe\n", "source file not found: missing.exe"),
            ("a.exe package.manifest platform=4\n", "platform must be 1 (NT), 2 (98/Me) or 3 (both)"),
            ("a.exe package.manifest compress\n", "unknown option compress"),
            ("a.exe\n", "expected NAME SOURCE"),
            ('"a.exe package.manifest\n', "unterminated quote"),
            ("# nothing\n", "no entries"),
        ]
        for manifest, error in cases:
            run = self.make_package(manifest)
            self.assertEqual(run.returncode, 1, manifest)
            self.assertIn(error, run.stderr, manifest)

    def test_zlib_at_maximum_level(self):
        data = b"uninstaller " * 5000
        (self.dir / "in").write_bytes(data)
        run = subprocess.run([ZLIB_COMPRESS, str(self.dir / "in"), str(self.dir / "out.z")], capture_output=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        stream = (self.dir / "out.z").read_bytes()
        self.assertEqual(stream[:2], b"\x78\xda")
        self.assertEqual(zlib.decompress(stream), data)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
