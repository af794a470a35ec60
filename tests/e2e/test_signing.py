"""An Authenticode-signed installer still passes its own integrity check, and a
tampered signed one does not: the check leaves out exactly what signing changes
(the optional header's checksum, the certificate-table entry of the data
directories, and the certificate table while that entry names a range ending at
the end of the file). Each case makes its own throwaway certificate and signs
copies with osslsigncode, as a release engineer would."""
import shutil
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

from support import INSTALL_DIR, INSTALLER, INTEGRITY_FAILURE_LINES, PACKAGE_FILES, USAGE, PrefixCase
from wine import ROOT

STAMP_TOOL = ROOT / "build" / "host" / "tools" / "StampConsistencyDigest"
SIGN_SCRIPT = ROOT / "tools" / "sign_installer.sh"
X86_INSTALLER = ROOT / "build" / "x86" / "VelantrixInstaller.exe"
PACKAGE_RESOURCE = INSTALLER.parent / "resources" / "package.lzma"
UNATTENDED = (f"-installDir={INSTALL_DIR}", "-acceptEULA")
COMPLETED = "Korvane Velantrix 4.10 installation completed"


class PeFile:
    """Where a PE file keeps what signing changes, and its sections."""

    def __init__(self, image):
        self.image = bytes(image)
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        assert image[pe:pe + 4] == b"PE\0\0"
        self.sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", image, optional)[0]
        self.checksum = optional + 64
        self.security_entry = optional + {0x10B: 96, 0x20B: 112}[self.magic] + 4 * 8
        self.section_table = optional + optional_size

    def entry(self):
        """The certificate table's file offset and size, as the entry names them."""
        return struct.unpack_from("<II", self.image, self.security_entry)

    def section_table_entries(self):
        """Each section: (name, file offset, raw size, virtual size)."""
        for i in range(self.sections):
            at = self.section_table + 40 * i
            virtual_size, _, raw_size, raw_offset = struct.unpack_from("<IIII", self.image, at + 8)
            yield self.image[at:at + 8].rstrip(b"\0").decode(), raw_offset, raw_size, virtual_size

    def padding_byte(self):
        """A byte the program never reads: the file padding behind a section's
        contents, in the first section that has some (.text first)."""
        for name, offset, raw, virtual in self.section_table_entries():
            if raw > virtual:
                return name, offset + raw - 1
        raise AssertionError("no section has padding behind its contents")


class Signer:
    """A throwaway self-signed code-signing certificate and its key."""

    def __init__(self, name):
        self.folder = Path(tempfile.mkdtemp(prefix="velantrix-signing-"))
        self.cert = self.folder / "cert.pem"
        self.key = self.folder / "key.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", f"/CN={name}", "-keyout", str(self.key), "-out", str(self.cert)],
                       check=True, capture_output=True)

    def sign(self, source, target):
        subprocess.run(["osslsigncode", "sign", "-certs", str(self.cert), "-key", str(self.key), "-h", "sha256",
                        "-n", "Korvane Velantrix 4.10 Setup", "-in", str(source), "-out", str(target)],
                       check=True, capture_output=True)

    def verify(self, path):
        """osslsigncode's verdict on the signature (the certificate is its own CA)."""
        return subprocess.run(["osslsigncode", "verify", "-CAfile", str(self.cert), "-in", str(path)],
                              capture_output=True, text=True)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def unsigned_source(installer, folder):
    """The installer as stamped: the tested build itself, or, when the build
    signed it (VELANTRIX_SIGN_CERT), a copy with the signature taken off."""
    if PeFile(installer.read_bytes()).entry() == (0, 0):
        return installer
    unsigned = folder / f"unsigned-{installer.parent.name}.exe"
    subprocess.run(["osslsigncode", "remove-signature", "-in", str(installer), "-out", str(unsigned)],
                   check=True, capture_output=True)
    return unsigned


def stamp_tool(*args):
    return subprocess.run([str(STAMP_TOOL), *args], capture_output=True, text=True)


class SignedInstaller(PrefixCase):
    def setUp(self):
        super().setUp()
        self.signer = Signer(self.id().split(".")[-1])
        self.addCleanup(self.signer.remove)
        self.unsigned = unsigned_source(INSTALLER, self.signer.folder)

    def signed_copy(self, name="signed"):
        """A signed copy of the installer, in the prefix; osslsigncode accepts it."""
        path = self.prefix.host_path(f"C:\\{name}.exe")
        self.signer.sign(self.unsigned, path)
        verdict = self.signer.verify(path)
        self.assertEqual(verdict.returncode, 0, verdict.stdout + verdict.stderr)
        self.assertIn("Signature verification: ok", verdict.stdout)
        return path

    def copy(self, image, name):
        path = self.prefix.host_path(f"C:\\{name}.exe")
        path.write_bytes(image)
        return path

    def assert_installed(self, run):
        self.assertEqual((run.returncode, run.stderr), (0, ""), run)
        self.assertEqual(run.lines[-1], COMPLETED)
        for name in PACKAGE_FILES + ["uninst.exe"]:
            self.assertTrue(self.prefix.host_path(f"{INSTALL_DIR}\\{name}").is_file(), name)

    def assert_refused(self, run, why):
        self.assertEqual((run.returncode, run.stdout, run.stderr), (90, INTEGRITY_FAILURE_LINES, ""), why)
        self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists(), why)

    def test_the_unsigned_installer_installs(self):
        self.assert_installed(self.prefix.run(self.unsigned, *UNATTENDED))

    def test_the_signed_installer_installs(self):
        signed = self.signed_copy()
        image = signed.read_bytes()
        original = self.unsigned.read_bytes()
        pe = PeFile(image)
        table_offset, table_size = pe.entry()
        # Signing changed the three places, and nothing else.
        self.assertEqual((table_offset, table_offset + table_size), (len(original), len(image)))
        self.assertNotEqual(image[pe.checksum:pe.checksum + 4], original[pe.checksum:pe.checksum + 4])
        unchanged = bytearray(image[:len(original)])
        unchanged[pe.checksum:pe.checksum + 4] = original[pe.checksum:pe.checksum + 4]
        unchanged[pe.security_entry:pe.security_entry + 8] = original[pe.security_entry:pe.security_entry + 8]
        self.assertEqual(bytes(unchanged), original)

        self.assert_installed(self.prefix.run(signed, *UNATTENDED))

    def test_tampered_signed_copies_end_with_90(self):
        signed = self.signed_copy().read_bytes()
        pe = PeFile(signed)
        table_offset, table_size = pe.entry()
        section, padding = pe.padding_byte()
        package = PACKAGE_RESOURCE.read_bytes()
        package_offset = signed.find(package[:4096])
        self.assertGreater(package_offset, 0, "the package resource (148) lies in the file")

        def changed(offset):
            image = bytearray(signed)
            image[offset] ^= 0x5A
            return image

        def with_entry(offset, size):
            image = bytearray(signed)
            struct.pack_into("<II", image, pe.security_entry, offset, size)
            return image

        cases = [
            (changed(padding), f"a covered byte in {section} (behind its contents, never read)"),
            (changed(package_offset + len(package) // 2), "a covered byte in the package resource (148)"),
            (changed(table_offset - 1), "the last covered byte, right before the certificate table"),
            (signed + b"\0" * 8, "eight zero bytes appended after the signature"),
            (signed + b"x", "one byte appended after the signature"),
            (with_entry(table_offset + 8, table_size), "the entry's offset moved: the range ends past the file"),
            (with_entry(table_offset + 8, table_size - 8), "the entry's offset moved, its size shortened to match"),
            (with_entry(table_offset - 8, table_size + 8), "the entry's range reaching into the covered bytes"),
            (with_entry(table_offset, table_size - 8), "the entry's size shortened"),
            (with_entry(0, 0), "the entry emptied, the table left"),
        ]
        for number, (image, why) in enumerate(cases):
            self.assert_refused(self.prefix.run(self.copy(image, f"tampered-{number}"), *UNATTENDED), why)

    def test_what_signing_changes_is_all_that_is_left_out(self):
        signed = self.signed_copy().read_bytes()
        pe = PeFile(signed)
        table_offset, _ = pe.entry()
        image = bytearray(signed)
        struct.pack_into("<I", image, pe.checksum, 0x12345678)
        image[table_offset + 100] ^= 0x5A
        # osslsigncode sees the damaged signature; the installer's own check does not look at it.
        path = self.copy(image, "left-out")
        self.assertNotEqual(self.signer.verify(path).returncode, 0)
        run = self.prefix.run(path, "-?")
        self.assertEqual((run.returncode, run.stdout), (200, USAGE))

    def test_the_signature_taken_off_again_installs(self):
        signed = self.signed_copy()
        unsigned = self.prefix.host_path("C:\\unsigned-again.exe")
        subprocess.run(["osslsigncode", "remove-signature", "-in", str(signed), "-out", str(unsigned)],
                       check=True, capture_output=True)
        self.assertEqual(PeFile(unsigned.read_bytes()).entry(), (0, 0))
        self.assert_installed(self.prefix.run(unsigned, *UNATTENDED))


class SigningStep(unittest.TestCase):
    """The build's signing step (tools/sign_installer.sh, which CMake runs after
    stamping when given VELANTRIX_SIGN_CERT and VELANTRIX_SIGN_KEY) and the
    stamping tool's part in it; the 32-bit installer (PE32) too."""

    def setUp(self):
        self.signer = Signer("SigningStep")
        self.addCleanup(self.signer.remove)
        self.folder = self.signer.folder
        self.unsigned = unsigned_source(INSTALLER, self.folder)

    def script(self, *files):
        return subprocess.run(["sh", str(SIGN_SCRIPT), "--cert", str(self.signer.cert), "--key", str(self.signer.key),
                               "--stamp-tool", str(STAMP_TOOL), *map(str, files)], capture_output=True, text=True)

    def test_the_script_signs_stamped_installers_and_checks_them(self):
        installers = [self.unsigned]
        if X86_INSTALLER.exists():
            installers.append(unsigned_source(X86_INSTALLER, self.folder))
        copies = []
        for number, installer in enumerate(installers):
            copies.append(self.folder / f"installer-{number}.exe")
            shutil.copyfile(installer, copies[-1])
        run = self.script(*copies)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        for copy, installer in zip(copies, installers):
            self.assertEqual(self.signer.verify(copy).returncode, 0, copy)
            self.assertIn("verifies", run.stdout)
            image = copy.read_bytes()
            self.assertEqual(PeFile(image).entry()[0], installer.stat().st_size)
            self.assertEqual(stamp_tool("--verify", str(copy)).returncode, 0)
            # Bytes appended after the signature: the check fails.
            copy.write_bytes(image + b"\0" * 8)
            self.assertEqual(stamp_tool("--verify", str(copy)).returncode, 1)

    @unittest.skipUnless(X86_INSTALLER.exists(), "the 32-bit installer is not built")
    def test_the_32_bit_installer_signed_passes_its_check(self):
        copy = self.folder / "x86.exe"
        self.signer.sign(unsigned_source(X86_INSTALLER, self.folder), copy)
        self.assertEqual(self.signer.verify(copy).returncode, 0)
        image = copy.read_bytes()
        self.assertEqual(PeFile(image).magic, 0x10B, "PE32")
        verified = stamp_tool("--verify", str(copy))
        self.assertEqual(verified.returncode, 0, verified.stderr)
        self.assertIn("certificate table at", verified.stdout)
        pe = PeFile(image)
        table_offset, table_size = pe.entry()
        for why, offset, size in (("moved", table_offset + 8, table_size), ("shortened", table_offset, table_size - 8)):
            damaged = bytearray(image)
            struct.pack_into("<II", damaged, pe.security_entry, offset, size)
            copy.write_bytes(damaged)
            self.assertEqual(stamp_tool("--verify", str(copy)).returncode, 1, why)

    def test_a_signed_file_is_neither_stamped_nor_signed_again(self):
        signed = self.folder / "signed.exe"
        self.signer.sign(self.unsigned, signed)
        image = signed.read_bytes()
        stamped = stamp_tool(str(signed))
        self.assertEqual(stamped.returncode, 1)
        self.assertIn("already signed: stamp it before signing", stamped.stderr)
        run = self.script(signed)
        self.assertEqual(run.returncode, 1)
        self.assertIn("already signed", run.stderr)
        self.assertEqual(signed.read_bytes(), image)

    def test_a_file_that_signing_would_pad_is_refused(self):
        # osslsigncode pads to a multiple of 8 before the table; the padding
        # would be covered, so the signed file would fail its own check.
        odd = self.folder / "odd.exe"
        odd.write_bytes(self.unsigned.read_bytes() + b"abc")
        run = self.script(odd)
        self.assertEqual(run.returncode, 1)
        self.assertIn("not a multiple of 8", run.stderr)


if __name__ == "__main__":
    unittest.main()
