"""The product's uninstaller (uninst.exe): run as "Add or Remove Programs"
runs it, through the installer's result protocol, and by a second
installation; what it removes, what it leaves, its result codes and boxes."""
import re
import shutil
import subprocess
import time
import unittest

from registry import Registry, remove_value, seed
from support import (INSTALL_DIR, MACHINE_ENVIRONMENT, PROBES, UNINSTALL_KEY, BoxWatcher, IDNO, IDOK, IDYES,
                     PrefixCase)
from wine import BUILD

D = INSTALL_DIR
UNINSTALL_PARENT = UNINSTALL_KEY.rsplit("\\", 1)[0]
SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager"
PENDING = "PendingFileRenameOperations"
DISPLAY_NAME = "Korvane Velantrix 4.10 (remove only)"
TITLE = "Velantrix Uninstaller"
TOOL = "C:\\Tools\\uninst.exe"
# Wine's menu builder would write .desktop files (some of them outside the prefix)
# and its own bookkeeping for every shortcut; it is no part of what is compared.
NO_MENUS = {"WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe="}
# Wine rewrites this device's driver date on every start.
WINE_NOISE = "HKEY_LOCAL_MACHINE\\system\\currentcontrolset\\control\\class\\"
COPY = re.compile(r"^\\\?\?\\C:\\users\\[^\\]+\\Temp\\uninst-[0-9a-f]{16}\.exe$")
COPY_FILE = re.compile(r"^users/[^/]+/temp/uninst-[0-9a-f]{16}\.exe$")
SHARED = '"-shareResWith=Dravelo"'


def snapshot_key(path):
    """A key path as Registry.snapshot names it."""
    root, _, sub = path.partition("\\")
    return root.upper() + "\\" + sub.lower()


def items(*switches):
    """A parameter string as the installer writes one."""
    return " ".join([SHARED] + [f'"{s}"' for s in switches])


class UninstallerCase(PrefixCase):
    # Running -------------------------------------------------------------
    def install(self, *options, code=0):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", *options, env=NO_MENUS)
        self.assertEqual(run.returncode, code, run)
        return run

    def run_to_the_end(self, exe, *args):
        """Runs a program and waits until every process it left has ended (the
        uninstaller's temporary copy goes on after the original); returns the
        exit code and every line written to the shared standard output."""
        process = self.prefix.start(exe, *args, env=NO_MENUS)
        run = self.prefix.finish(process)
        subprocess.run(["wineserver", "-w"], env=self.prefix.env, check=True, timeout=120)
        text = process.output_paths[0].read_bytes().decode("latin-1").replace("\r\n", "\n")
        return run.returncode, text.splitlines()

    def uninstall(self, *args):
        """As "Add or Remove Programs" runs the installed uninstaller."""
        return self.run_to_the_end(self.prefix.host_path(D + "\\uninst.exe"), "Velantrix", *args)

    def through_protocol(self, command):
        """As the installer's upgrade path runs an uninstaller: the lines, and the result."""
        code, lines = self.run_to_the_end(PROBES / "UninstallRunProbe.exe", command)
        self.assertEqual(code, 0, lines)
        self.assertRegex(lines[-1], r"^result \d+$")
        return int(lines[-1].split()[1]), lines[:-1]

    def place_uninstaller(self):
        self.prefix.host_path("C:\\Tools").mkdir(exist_ok=True)
        shutil.copy(BUILD / "product" / "uninst.exe", self.prefix.host_path(TOOL))

    def register(self, name, params, display_name="Test Product"):
        values = {"DisplayName": display_name, "UninstallString": f'"{TOOL}" {name} '}
        if params is not None:
            values["UninstallParam"] = params
        seed(self.prefix, f"{UNINSTALL_PARENT}\\{name}", values)

    def make_files(self, *paths, text="x"):
        for path in paths:
            host = self.prefix.host_path(path)
            host.parent.mkdir(parents=True, exist_ok=True)
            host.write_text(text)

    def exists(self, path):
        return self.prefix.host_path(path).exists()

    # What the prefix holds -------------------------------------------------
    def state(self):
        """Every registry key and value and every file, the prefix stopped."""
        self.prefix.shutdown()
        registry = {k: v for k, v in Registry(self.prefix).snapshot().items() if not k.startswith(WINE_NOISE)}
        root = self.prefix.drive_c
        files = {str(f.relative_to(root)).lower() for f in root.rglob("*")}
        return registry, files

    def pending(self):
        self.prefix.shutdown()
        return Registry(self.prefix).value(SESSION_MANAGER, PENDING) or []

    def assertSameState(self, expected, actual, copies=0):
        """Equal, but for the temporary copies of the uninstaller that wait for
        the next restart (their files and their pending deletions)."""
        registry, files = actual
        registry = {k: dict(v) for k, v in registry.items()}
        manager = registry.get(snapshot_key(SESSION_MANAGER), {})
        pending = manager.pop(PENDING, (7, []))[1]
        self.assertEqual(len(pending), 2 * copies, pending)
        for source, target in zip(pending[::2], pending[1::2]):
            self.assertRegex(source, COPY)
            self.assertEqual(target, "")
        left = {f for f in files if COPY_FILE.match(f)}
        self.assertEqual(len(left), copies, left)
        self.assertEqual(registry, expected[0])
        self.assertEqual(files - left, expected[1])

    def with_search_path(self, state):
        """A state with the installation directory added to the search path, which nothing undoes."""
        registry, files = state
        registry = {k: dict(v) for k, v in registry.items()}
        key = registry[snapshot_key(MACHINE_ENVIRONMENT)]
        kind, path = key["PATH"]
        key["PATH"] = (kind, path + ";" + D)
        return registry, files


class Removal(UninstallerCase):
    """A real installation, removed: the prefix is as it was before it."""

    def setUp(self):
        super().setUp()
        self.prefix.start_session()
        self.before = self.state()

    def assertRemovedUntilTheRestart(self):
        self.assertSameState(self.with_search_path(self.before), self.state(), copies=1)
        self.prefix.start_session()  # a restart: the copy's file goes
        self.assertSameState(self.with_search_path(self.before), self.state())

    def test_as_add_or_remove_programs_runs_it(self):
        self.install()
        code, lines = self.uninstall("-unat")
        self.assertEqual(code, 1, "handed over to the temporary copy")
        self.assertEqual(lines, [f"{DISPLAY_NAME} has been removed"])
        self.assertRemovedUntilTheRestart()

    def test_through_the_result_protocol(self):
        self.install()
        result, lines = self.through_protocol(f'"{D}\\uninst.exe" Velantrix ')
        self.assertEqual(result, 0)
        self.assertEqual(lines, [f"{DISPLAY_NAME} has been removed"], "written before the result")
        self.assertRemovedUntilTheRestart()


class Reinstallation(UninstallerCase):
    def test_a_second_installation_removes_the_first(self):
        self.install()
        single = self.state()
        run = self.install()
        self.assertEqual(run.lines[:4], ["Uninstalling the existing Velantrix 4.10 installation", "",
                                         f"{DISPLAY_NAME} has been removed", ""])
        self.assertIn("Registering file association for extension '.vxp'", run.lines,
                      "the association was gone: nothing to replace")
        self.assertSameState(single, self.state(), copies=1)

    def test_a_registration_before_4_07_is_removed_by_the_embedded_uninstaller(self):
        self.install()
        single = self.state()
        remove_value(self.prefix, UNINSTALL_KEY, "Version")
        seed(self.prefix, UNINSTALL_KEY, {"Version": "4.06"})
        run = self.install()
        self.assertEqual(run.lines[:4], ["Uninstalling the existing Velantrix 4.06 installation", "",
                                         f"{DISPLAY_NAME} has been removed", ""])
        registry, files = self.state()
        # The installer's own copy (temp\\uninst.exe) waits for the restart too.
        manager = registry[snapshot_key(SESSION_MANAGER)]
        kind, pending = manager[PENDING]
        pairs = list(zip(pending[::2], pending[1::2]))
        ours = [pair for pair in pairs if not pair[0].lower().endswith("\\temp\\uninst.exe")]
        self.assertEqual(len(pairs) - len(ours), 1, pending)
        manager[PENDING] = (kind, [text for pair in ours for text in pair])
        files = {f for f in files if not f.endswith("/temp/uninst.exe")}
        self.assertSameState(single, (registry, files), copies=1)

    def test_a_failing_uninstaller_stops_the_installation_unless_forced(self):
        self.install()
        self.prefix.shutdown()
        remove_value(self.prefix, UNINSTALL_KEY, "UninstallParam")
        failure = "Uninstaller failed with error code 12: Loading uninstallation information failed"
        run = self.install(code=107)
        self.assertEqual(run.lines[:2], ["Uninstalling the existing Velantrix 4.10 installation", ""])
        self.assertTrue(run.lines[2].startswith("Loading uninstallation information failed: reading "
                                                '"UninstallParam" of HKEY_LOCAL_MACHINE\\'), run.lines)
        self.assertEqual(run.lines[3:5], ["", failure + " (use /Force flag to override uninstallation failure); "
                                                        "aborting"])
        run = self.install("-force")
        self.assertEqual(run.lines[3:5], ["", "Warning: " + failure])
        self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed")
        self.assertEqual(self.pending(), [], "the uninstaller stopped before making its copy")


class BadInput(UninstallerCase):
    """Each registration lists a file; none of them may go, and no copy is made."""

    KEEP = "C:\\Keep\\a.txt"

    def setUp(self):
        super().setUp()
        self.place_uninstaller()
        self.make_files(self.KEEP)

    def assertNothingRemoved(self, *names):
        self.assertTrue(self.exists(self.KEEP))
        self.assertEqual(self.pending(), [])
        registry = Registry(self.prefix)
        for name in names:
            self.assertTrue(registry.exists(f"{UNINSTALL_PARENT}\\{name}"), name)

    def test_registrations_that_cannot_be_loaded_give_12(self):
        keep = f'"-delFile={self.KEEP}"'
        cases = [  # key name, UninstallParam (None: no value), the reason's start
            ("Missing", ..., 'reading "UninstallParam" of HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\'
                             'CurrentVersion\\Uninstall\\Missing failed: RegOpenKeyExA() failed: Windows error: 2'),
            ("NoParam", None, 'reading "UninstallParam" of HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\'
                              'CurrentVersion\\Uninstall\\NoParam failed: RegQueryValueExA() failed: Windows error: 2'),
            ("Empty", "", '"UninstallParam" of HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\'
                          'Uninstall\\Empty: the uninstall parameters are empty'),
            ("Unknown", f'{SHARED} {keep} "-delTree=C:\\Keep"', "unknown switch -delTree= at position"),
            ("OpenQuote", f'{SHARED} {keep} "-delDir=C:\\Keep', "quote left open at position 50"),
            ("Relative", f'{SHARED} {keep} "-delFile=a.txt"', "not a full path: 'a.txt' in -delFile="),
            ("RootKey", f'{SHARED} {keep} "-delRegKey=HKEY_LOCAL_MACHINE"', "not a registry key path"),
            ("NoQuotes", f"-delFile={self.KEEP}", "text outside quotes at position 1"),
        ]
        for name, params, _ in cases:
            if params is not ...:
                self.register(name, params)
        seed(self.prefix, f"{UNINSTALL_PARENT}\\Dword", {"UninstallParam": 1})
        cases.append(("Dword", ..., "RegQueryValueExA() failed: Windows error: 1804"))
        for name, _, reason in cases:
            with self.subTest(name=name):
                result, lines = self.through_protocol(f'"{TOOL}" {name} ')
                self.assertEqual(result, 12)
                self.assertEqual(len(lines), 1, lines)
                self.assertTrue(lines[0].startswith("Loading uninstallation information failed: "), lines)
                self.assertIn(reason, lines[0])
        self.assertNothingRemoved(*[name for name, params, _ in cases if params is not ...])

    def test_command_lines_not_made_by_the_installer_give_2(self):
        self.register("Good", items(f"-delFile={self.KEEP}"))
        cases = [  # arguments, the reason
            (["Good", "-unat", "-result=zz", "-done=1c"], "-result=zz is not a handle value"),
            (["Good", "-unat", "-result=7ffc", "-done=7ff8"], "-result=7ffc is not a section of this process: "
                                                              "MapViewOfFile() failed: Windows error 6"),
            (["Good", "-unat", "-result=0", "-done=4"], "-result=0 is not a handle value"),
            (["Good", "-unat", "-result=1c"], "-result and -done go together."),
            (["Good", "-unat", "-waitFor=ffffffffffffffff"], "-waitFor=ffffffffffffffff is not a process handle."),
            (["Good", "-unat", "-bogus"], "Invalid command parameter: -bogus."),
            (["Good", "-unat", "Other"], "Invalid command option: Other."),
            (["-unat"], "Missing registration key name."),
            (["Good\\..\\Good", "-unat"], "Invalid registration key name: Good\\..\\Good."),
        ]
        for args, reason in cases:
            with self.subTest(args=args):
                code, lines = self.run_to_the_end(self.prefix.host_path(TOOL), *args)
                self.assertEqual((code, len(lines)), (2, 1), lines)
                self.assertTrue(lines[0].startswith("Invalid command line: " + reason), lines)
        self.assertNothingRemoved("Good")


class RemovalRules(UninstallerCase):
    """Registrations made for the case, removed through the result protocol."""

    def setUp(self):
        super().setUp()
        self.place_uninstaller()

    def remove(self, name, *switches, display_name="Test Product"):
        self.register(name, items(*switches, f"-delRegKey={UNINSTALL_PARENT}\\{name}"), display_name)
        return self.through_protocol(f'"{TOOL}" {name} ')

    def test_what_is_in_use_waits_for_the_restart(self):
        self.make_files("C:\\App\\held.txt", "C:\\App\\free.txt", "C:\\Later.txt")
        self.register("InUse", items("-delDir=C:\\App", "-delFile=C:\\App\\held.txt", "-delFile=C:\\App\\free.txt",
                                     "-schdlDelFile=C:\\Later.txt", f"-delRegKey={UNINSTALL_PARENT}\\InUse"))
        # The session up before two programs start side by side; it stays up,
        # so the copy's end is known from the result alone.
        self.prefix.start_session()
        holder = self.prefix.start(PROBES / "HoldProbe.exe", "C:\\App\\held.txt", "C:\\release")
        while b"holding" not in holder.output_paths[0].read_bytes():
            self.assertIsNone(holder.poll(), "the probe ended before holding the file")
            time.sleep(0.05)
        process = self.prefix.start(PROBES / "UninstallRunProbe.exe", f'"{TOOL}" InUse ')
        self.prefix.finish(process)
        self.prefix.host_path("C:\\release").write_text("")
        self.prefix.finish(holder)
        lines = process.output_paths[0].read_bytes().decode("latin-1").replace("\r\n", "\n").splitlines()
        self.assertEqual(lines[0], "C:\\Later.txt will be removed at the next restart")
        self.assertTrue(lines[1].startswith("Deleting file C:\\App\\held.txt failed: Windows error 32"), lines)
        self.assertTrue(lines[1].endswith("; it will be removed at the next restart"), lines)
        self.assertEqual(lines[2:], ["Directory C:\\App is not empty yet; it will be removed at the next restart",
                                     "Test Product has been removed", "result 0"])
        self.assertFalse(self.exists("C:\\App\\free.txt"))
        pending = self.pending()
        self.assertRegex(pending[0], COPY)
        self.assertEqual([p.lower() for p in pending[1:]],
                         ["", "\\??\\c:\\later.txt", "", "\\??\\c:\\app\\held.txt", "", "\\??\\c:\\app", ""],
                         "the directory after its file")
        self.prefix.start_session()
        self.assertFalse(self.exists("C:\\App"))
        self.assertFalse(self.exists("C:\\Later.txt"))

    def test_what_others_added_stays(self):
        self.make_files("C:\\App\\ours.txt", "C:\\App\\theirs.txt")
        ours = "HKEY_LOCAL_MACHINE\\Software\\Test\\Ours"
        shared = "HKEY_LOCAL_MACHINE\\Software\\Test\\Shared"
        values = "HKEY_LOCAL_MACHINE\\Software\\Test\\Values"
        seed(self.prefix, ours, {"": "ours"})
        seed(self.prefix, ours + "\\Shell\\command", {"": "ours"})
        seed(self.prefix, shared, {"": "ours", "Other": "ours"})
        seed(self.prefix, shared + "\\Theirs", {"": "theirs"})
        seed(self.prefix, values, {"One": "ours", "Two": "theirs"})
        result, lines = self.remove(
            "Others", "-delDir=C:\\App", "-delFile=C:\\App\\ours.txt",
            # children before their parent, as the installer lists a ProgID's keys
            f"-delRegKey={ours}\\Shell\\command", f"-delRegKey={ours}\\Shell", f"-delRegKey={ours}",
            f"-delRegKey={shared}", f"-delRegValue={values}:One",
            "-delRegKey=HKEY_LOCAL_MACHINE\\Software\\Test\\NeverThere", "-delFile=C:\\App\\never.txt")
        self.assertEqual(result, 0)
        self.assertEqual(lines, [
            f"Registry key {shared} has subkeys that were not installed with it; only its values were deleted",
            "Directory C:\\App is not empty; it was left in place",
            "Test Product has been removed"])
        self.assertEqual(self.exists("C:\\App\\ours.txt"), False)
        self.assertEqual(self.exists("C:\\App\\theirs.txt"), True)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertFalse(registry.exists(ours), "its listed subkeys went first, wherever they were listed")
        self.assertEqual(registry.value_names(shared), [])
        self.assertEqual(registry.value(shared + "\\Theirs", ""), "theirs")
        self.assertEqual(registry.value_names(values), ["Two"])
        self.assertFalse(registry.exists(f"{UNINSTALL_PARENT}\\Others"))

    def test_an_extension_is_given_back_only_while_it_is_ours(self):
        classes = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
        seed(self.prefix, classes + "\\.aa", {"": "Ours.A"})
        seed(self.prefix, classes + "\\.bb", {"": "Dravelo.Settings"})  # taken over since
        seed(self.prefix, classes + "\\.cc", {"": "Ours.C"})
        seed(self.prefix, classes + "\\.cc\\ShellNew", {"NullFile": ""})  # added by another program
        seed(self.prefix, classes + "\\.dd", {"": "ours.d"})  # ProgIDs are names in any case
        switches = []
        for ext, prog_id in ((".aa", "Ours.A"), (".bb", "Ours.B"), (".cc", "Ours.C"), (".dd", "Ours.D")):
            switches += [f"-delRegKey={classes}\\{ext}", f"-rstFileAssoc={ext}:{prog_id}"]
        result, lines = self.remove("Associations", *switches)
        self.assertEqual(result, 0)
        self.assertEqual(lines, ["Extension .bb is no longer associated with Ours.B; its association was left as it is",
                                 "Test Product has been removed"])
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertFalse(registry.exists(classes + "\\.aa"))
        self.assertEqual(registry.value(classes + "\\.bb", ""), "Dravelo.Settings", "its -delRegKey is not used")
        self.assertEqual(registry.value_names(classes + "\\.cc"), [])
        self.assertTrue(registry.exists(classes + "\\.cc\\ShellNew"))
        self.assertFalse(registry.exists(classes + "\\.dd"))

    def test_what_cannot_be_removed_gives_13_and_the_rest_goes(self):
        self.make_files("C:\\Dir\\inside.txt", "C:\\Other.txt")
        result, lines = self.remove("Fails", "-delFile=C:\\Other.txt", "-delFile=C:\\Dir", "-delDir=C:\\Other.txt")
        self.assertEqual(result, 13)
        self.assertEqual(lines, ["Removing directory C:\\Other.txt failed: it is not a directory",
                                 "Deleting file C:\\Dir failed: it is a directory",
                                 "Uninstallation failed partially or completely"])
        self.assertFalse(self.exists("C:\\Other.txt"))
        self.assertTrue(self.exists("C:\\Dir\\inside.txt"))
        self.prefix.shutdown()
        self.assertFalse(Registry(self.prefix).exists(f"{UNINSTALL_PARENT}\\Fails"))


class Interactive(UninstallerCase):
    def setUp(self):
        super().setUp()
        self.place_uninstaller()
        self.make_files("C:\\App\\a.txt")
        self.register("Boxes", items("-delDir=C:\\App", "-delFile=C:\\App\\a.txt",
                                     f"-delRegKey={UNINSTALL_PARENT}\\Boxes"))

    def test_yes_removes_and_tells_so(self):
        confirmation = BoxWatcher(self.prefix, TITLE, IDYES)
        process = self.prefix.start(self.prefix.host_path(TOOL), "Boxes")
        self.assertIn("Are you sure you want to remove Test Product and all of its components?", confirmation.texts())
        self.assertEqual(confirmation.default_button(), IDNO)
        self.assertEqual(self.prefix.finish(process).returncode, 1)
        result = BoxWatcher(self.prefix, TITLE, IDOK)
        self.assertIn("Test Product has been removed from your computer.", result.texts())
        subprocess.run(["wineserver", "-w"], env=self.prefix.env, check=True, timeout=120)
        self.assertFalse(self.exists("C:\\App"))

    def test_no_removes_nothing(self):
        confirmation = BoxWatcher(self.prefix, TITLE, IDNO)
        run = self.prefix.run(self.prefix.host_path(TOOL), "Boxes")
        confirmation.texts()
        self.assertEqual((run.returncode, run.lines), (3, ["Uninstallation canceled by user"]))
        self.assertTrue(self.exists("C:\\App\\a.txt"))
        self.assertEqual(self.pending(), [], "no copy was made")

    def test_a_failure_is_shown(self):
        box = BoxWatcher(self.prefix, TITLE, IDOK)
        run = self.prefix.run(self.prefix.host_path(TOOL), "Missing")
        self.assertEqual(run.returncode, 12)
        texts = box.texts()
        self.assertTrue(any(t.startswith("Loading uninstallation information failed: reading \"UninstallParam\"")
                            for t in texts), texts)


if __name__ == "__main__":
    unittest.main()
