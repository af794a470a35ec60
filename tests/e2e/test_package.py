"""The program files and the uninstaller that the real installer writes, and
what its rollback leaves of them."""
import struct
import time
import unittest

from registry import Registry
from support import COMMON_PROGRAMS, INSTALL_DIR, PACKAGE_FILES, PrefixCase, use_windows_98
from wine import BUILD, ROOT

D = INSTALL_DIR
MENU = COMMON_PROGRAMS + "\\Korvane Velantrix"
SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager"
INSTALLED = PACKAGE_FILES + ["uninst.exe"]


def built_files(platform):
    """Each installed name and the bytes the build put into the package for it,
    read from product/package.manifest; platform 1 is the NT family, 2 98/Me."""
    files = {}
    for line in (ROOT / "product" / "package.manifest").read_text().splitlines():
        fields = line.split()
        if not fields or fields[0].startswith("#"):
            continue
        name, source, options = fields[0], fields[1], fields[2:]
        if f"platform={3 - platform}" in options:
            continue
        path = BUILD / "product" / source
        files[name] = (path if path.exists() else ROOT / "product" / source).read_bytes()
    files["uninst.exe"] = (BUILD / "product" / "uninst.exe").read_bytes()
    return files


def at(*names):
    return [f"{D}\\{name}" for name in names]


class PackageFiles(PrefixCase):
    def install(self, *options):
        return self.prefix.install(f"-installDir={D}", "-acceptEULA", *options)

    def installed(self):
        folder = self.prefix.host_path(D)
        return {file.name: file.read_bytes() for file in folder.iterdir()} if folder.exists() else None

    def block_start_menu(self):
        """A file where the start-menu folder goes: the step after the files fails."""
        self.prefix.host_path(MENU).write_text("in the way")

    def test_writes_the_built_files_in_package_order(self):
        run = self.install()
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual([line for line in run.lines if line.startswith("Installing ")],
                         ["Installing " + path for path in at(*INSTALLED)])
        self.assertTrue(run.lines[len(INSTALLED)].startswith("Creating shortcut "), run.lines)
        self.assertEqual(self.installed(), built_files(1))

    def test_windows_98_gets_its_own_dravcfg(self):
        use_windows_98(self.prefix)
        run = self.install()
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(self.installed(), built_files(2))
        self.assertNotEqual(built_files(2)["dravcfg.exe"], built_files(1)["dravcfg.exe"])

    def test_a_later_failure_removes_the_files_last_first(self):
        self.block_start_menu()
        run = self.install()
        self.assertEqual(run.returncode, 101, run)
        rollback = [line for line in run.lines if line.startswith("Rollback: ")]
        self.assertEqual(rollback, ["Rollback: removing previously created " + path
                                    for path in at(*reversed(INSTALLED)) + [D]])
        self.assertIsNone(self.installed())

    def test_existing_files_are_overwritten_with_force_and_kept_by_the_rollback(self):
        self.prefix.host_path(D).mkdir(parents=True)
        for name in ("readme.txt", "uninst.exe"):
            self.prefix.host_path(f"{D}\\{name}").write_text("from before")
        self.block_start_menu()
        run = self.install("-force")
        self.assertEqual(run.returncode, 101, run)
        for path in at("readme.txt", "uninst.exe"):
            self.assertIn(f"Warning: '{path}' already exists, will be overwritten", run.lines)
        rollback = [line for line in run.lines if line.startswith("Rollback: ")]
        created = [name for name in reversed(PACKAGE_FILES) if name != "readme.txt"]
        self.assertEqual(rollback, ["Rollback: removing previously created " + path for path in at(*created)])
        built = built_files(1)
        self.assertEqual(self.installed(), {"readme.txt": built["readme.txt"], "uninst.exe": built["uninst.exe"]})

    def test_an_existing_uninstaller_without_force_ends_with_104(self):
        self.prefix.host_path(D).mkdir(parents=True)
        self.prefix.host_path(f"{D}\\uninst.exe").write_text("from before")
        run = self.install()
        self.assertEqual(run.returncode, 104, run)
        self.assertEqual(run.lines[len(PACKAGE_FILES)], f"Target file '{D}\\uninst.exe' already exists, aborting")
        self.assertNotIn(f"Installing {D}\\uninst.exe", run.lines)
        self.assertEqual(self.installed(), {"uninst.exe": b"from before"})

    def test_no_rollback_leaves_every_file(self):
        self.block_start_menu()
        run = self.install("-noRollback")
        self.assertEqual(run.returncode, 101, run)
        self.assertFalse([line for line in run.lines if line.startswith("Rollback")], run.lines)
        self.assertEqual(self.installed(), built_files(1))

    def test_restart_time_deletions_of_the_files_are_dropped(self):
        """Left by an earlier uninstallation, they would delete the new files."""
        self.prefix.host_path("C:\\other").write_text("other")
        self.prefix.start_session()  # the session's start would carry them out
        run = self.prefix.probe("TransactionProbe.exe", f"schedule={D}\\Velantrix.exe",
                                f"schedule={D}\\uninst.exe", "schedule=C:\\other")
        self.assertEqual([line.split()[:2] for line in run.lines[:3]], [["schedule", "true"]] * 3, run)
        run = self.install()
        self.assertEqual(run.returncode, 0, run)
        self.prefix.shutdown()
        pending = Registry(self.prefix).value(SESSION_MANAGER, "PendingFileRenameOperations")
        self.assertEqual([path.lower() for path in pending], ["\\??\\c:\\other", ""])


class PeFile:
    """The parts of a PE file these cases read: its data directories, by RVA."""

    def __init__(self, path):
        self.data = data = path.read_bytes()
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        self.directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == 0x20B else 96)
        self.sections = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * index)[1:]
                         for index in range(sections)]

    def offset(self, rva):
        for virtual_address, raw_size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + raw_size:
                return raw_pointer + rva - virtual_address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def directory(self, index):
        """The file offset of data directory index, or None when it is empty."""
        rva = struct.unpack_from("<I", self.data, self.directories + index * 8)[0]
        return self.offset(rva) if rva else None

    def export_names(self):
        root = self.directory(0)
        if root is None:
            return []
        count, _, names = struct.unpack_from("<III", self.data, root + 24)
        result = []
        for index in range(count):
            name = self.offset(struct.unpack_from("<I", self.data, self.offset(names) + 4 * index)[0])
            result.append(self.data[name:self.data.index(b"\0", name)].decode("ascii"))
        return result


def group_icon_count(program):
    """The number of icons (RT_GROUP_ICON resources) in a PE file: the icon
    indexes a shortcut or an association can name are 0 to this less one."""
    pe = PeFile(program)
    root, data = pe.directory(2), pe.data
    named, numbered = struct.unpack_from("<HH", data, root + 12)
    for entry in range(named + numbered):
        kind, offset = struct.unpack_from("<II", data, root + 16 + 8 * entry)
        if kind == 14:  # RT_GROUP_ICON
            return sum(struct.unpack_from("<HH", data, root + (offset & 0x7FFFFFFF) + 12))
    return 0


class ProductIcons(unittest.TestCase):
    def test_every_icon_index_that_is_named_exists(self):
        # "velantrix.exe,68" and "dravcfg.exe,3" for the associations, 0 to 2 of
        # pelmocfg.exe for the settings shortcuts.
        for program, needed in [("velantrix.exe", 69), ("pelmocfg.exe", 3), ("dravcfg-nt.exe", 4),
                                ("dravcfg-9x.exe", 4), ("uninst.exe", 1)]:
            self.assertGreaterEqual(group_icon_count(BUILD / "product" / program), needed, program)


class ProductExports(unittest.TestCase):
    def test_the_core_library_exports_what_the_program_asks_for_in_both_builds(self):
        # The program looks VxCoreDescription up by that name; a 32-bit build
        # that kept the __stdcall decoration exported VxCoreDescription@0.
        # Read from the files, so a machine that cannot run 32-bit programs
        # checks the shipped build too.
        for arch in ("x86", "x64"):
            with self.subTest(arch=arch):
                self.assertEqual(PeFile(ROOT / "build" / arch / "product" / "vxcore.dll").export_names(),
                                 ["VxCoreDescription"])


class InstalledPrograms(PrefixCase):
    def test_the_main_program_shows_its_window(self):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        program = self.prefix.start(self.prefix.host_path(f"{D}\\Velantrix.exe"))
        self.addCleanup(program.wait)
        self.addCleanup(self.prefix.kill)
        titles = []
        for _ in range(60):
            titles = self.prefix.probe("WindowProbe.exe", "list").lines
            if "Korvane Velantrix 4.10" in titles:
                break
            time.sleep(0.5)
        self.assertIn("Korvane Velantrix 4.10", titles)


if __name__ == "__main__":
    unittest.main()
