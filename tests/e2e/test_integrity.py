"""The installer checks the digest stamped into its own file before anything else."""
import shutil
import struct
import unittest

from support import IDOK, INSTALLER, INTEGRITY_FAILURE_LINES as DAMAGED_LINES, USAGE, BoxWatcher, PrefixCase

# The marker: three groups, each twice in a row.
_A = bytes.fromhex("5e5bc5b48f8e4e7fbce565f4f634e3f4")
_B = bytes.fromhex("ca82e1b66b904189bbf71d6710a8b676fb5d2055cd3e3a4b237fb3818837f760")
_C = bytes.fromhex("415333de189445c48a22bde9931bf8b6")
MARKER = _A * 2 + _B * 2 + _C * 2
DIGEST_SIZE, SLOT_SIZE = 20, 32

DAMAGED_BOX = ("This distributable appears to have been damaged during\\n"
               "transmission or in the process of being stored to your hard drive.\\n"
               "Please try again with a freshly downloaded copy.")


def digest_offset(image):
    """Where the stamped digest lies: behind the block's two marker copies and its 0xFF."""
    block = image.find(MARKER * 2 + b"\xff")
    assert block > 0 and image.find(MARKER * 2 + b"\xff", block + 1) < 0, "exactly one digest block"
    return block + 2 * len(MARKER) + 1


def covered_end(image):
    """The end of the bytes the digest covers: the file's end, or where a
    certificate table begins when the build signed the installer."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    entry = pe + 24 + (96 if image[pe + 24:pe + 26] == b"\x0b\x01" else 112) + 4 * 8
    offset, size = struct.unpack_from("<II", image, entry)
    return offset if size and offset + size == len(image) else len(image)


class IntegrityCheck(PrefixCase):
    def setUp(self):
        super().setUp()
        self.image = INSTALLER.read_bytes()
        self.digest = digest_offset(self.image)

    def header_time_stamp(self):
        """A byte the loader ignores: changing code instead could crash before the check."""
        return int.from_bytes(self.image[0x3C:0x40], "little") + 8

    def copy_with(self, name, changes):
        """A copy of the installer in the prefix with the bytes at some offsets changed."""
        image = bytearray(self.image)
        for offset in changes:
            image[offset] ^= 0x5A
        path = self.prefix.host_path(f"C:\\{name}.exe")
        path.write_bytes(image)
        return path

    def test_the_stamped_installer_runs(self):
        run = self.prefix.install("-?")
        self.assertEqual((run.returncode, run.stdout, run.stderr), (200, USAGE, ""))

    def test_a_changed_byte_outside_the_slot_ends_the_run_with_90(self):
        cases = [
            (self.header_time_stamp(), "the header's time stamp, which nothing reads"),
            (self.digest - 257, "the first byte of the first marker copy"),
            (self.digest - 100, "a byte of the second marker copy"),
            (self.digest - 1, "the 0xFF before the slot"),
            (self.digest, "the first digest byte: inside the slot, but not filler"),
            (self.digest + DIGEST_SIZE - 1, "the last digest byte"),
            (self.digest + SLOT_SIZE, "the first byte behind the slot"),
            (covered_end(self.image) - 1, "the last byte of the file (before a signature's table)"),
        ]
        for offset, why in cases:
            run = self.prefix.run(self.copy_with(f"damaged-{offset:x}", [offset]), "-?")
            self.assertEqual((run.returncode, run.stdout, run.stderr), (90, DAMAGED_LINES, ""), why)

    def test_interactive_a_damaged_copy_also_shows_the_box(self):
        damaged = self.copy_with("damaged", [self.header_time_stamp()])
        box = BoxWatcher(self.prefix, "Installer integrity check failed", IDOK)
        run = self.prefix.run(damaged)
        self.assertEqual((run.returncode, run.stdout), (90, DAMAGED_LINES))
        self.assertIn(DAMAGED_BOX, box.texts())

    def test_the_filler_behind_the_digest_is_not_checked(self):
        filler = range(self.digest + DIGEST_SIZE, self.digest + SLOT_SIZE)
        for name, changes in (("one-filler-byte", [filler[5]]), ("all-filler-bytes", list(filler))):
            run = self.prefix.run(self.copy_with(name, changes), "-?")
            self.assertEqual((run.returncode, run.stdout), (200, USAGE), name)

    def test_an_unchanged_copy_elsewhere_verifies_too(self):
        copy = self.prefix.host_path("C:\\Downloads\\Velantrix Setup.exe")
        copy.parent.mkdir()
        shutil.copyfile(INSTALLER, copy)
        run = self.prefix.run(copy, "-?")
        self.assertEqual((run.returncode, run.stdout), (200, USAGE))

    def test_an_own_file_that_cannot_be_opened_is_an_exception_exit_150(self):
        # The check reads at most 1,023 characters of its own file name; a longer
        # one names no file, and the failed open reaches the top level.
        folder = "C:\\" + "\\".join(["d" * 120] * 9)
        self.prefix.host_path(folder).mkdir(parents=True)
        copy = self.prefix.host_path(folder + "\\VelantrixInstaller.exe")
        shutil.copyfile(INSTALLER, copy)
        run = self.prefix.run(copy, "-?")
        self.assertEqual((run.returncode, run.stdout),
                         (150, "std::exception caught: VerifyModuleFileConsistency() - CreateFile() failed\n"))


if __name__ == "__main__":
    unittest.main()
