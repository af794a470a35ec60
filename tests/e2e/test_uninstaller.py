"""The product's uninstaller (uninst.exe): run as "Add or Remove Programs"
runs it and through the installer's result protocol; what it removes, what it
leaves, its result codes and boxes."""
import subprocess
import time
import unittest

from registry import Registry, seed
from support import (MACHINE_ENVIRONMENT, PROBES, USER_ENVIRONMENT, BoxWatcher, IDNO, IDOK, IDYES,
                     use_windows_98)
from uninstalling import (COPY, D, DISPLAY_NAME, SHARED, TITLE, TOOL, UNINSTALL_PARENT, UninstallerCase, items)


class SearchPathRemoval(UninstallerCase):
    """The search path entry the installation added goes with it, and nothing else."""

    def paths(self):
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        return registry.value(MACHINE_ENVIRONMENT, "PATH"), registry.value(USER_ENVIRONMENT, "PATH")

    def test_the_entry_the_installation_added_goes_and_nothing_else(self):
        def add_later(case):
            case.prefix.shutdown()
            machine, _ = case.paths()
            seed(case.prefix, MACHINE_ENVIRONMENT, {"PATH": ("expand", machine + ";C:\\later")})

        cases = [  # machine PATH, user PATH before, options, after the installation, machine and user PATH after
            ("C:\\a", None, [], None, ("C:\\a", None), "the machine's entry goes"),
            ("C:\\a;" + D, None, [], None, ("C:\\a;" + D, None),
             "an entry that was there before was never the installation's: it stays"),
            ("C:\\a", None, [], add_later, ("C:\\a;C:\\later", None),
             "what another program appended after it stays"),
            ("C:\\a", "C:\\u", ["-installForMeOnly"], None, ("C:\\a", "C:\\u"), "the user's entry goes"),
            ("C:\\a", None, ["-installForMeOnly"], None, ("C:\\a", None),
             "a value the installation made for its entry goes with it"),
        ]
        for machine, user, options, after_installing, expected, why in cases:
            with self.subTest(why):
                self.prefix.remove()
                self.setUp()
                seed(self.prefix, MACHINE_ENVIRONMENT, {"PATH": ("expand", machine)})
                if user is not None:
                    seed(self.prefix, USER_ENVIRONMENT, {"PATH": user})
                self.install(*options)
                if after_installing:
                    after_installing(self)
                code, lines = self.uninstall("-unat")
                self.assertEqual((code, lines), (0, [f"{DISPLAY_NAME} has been removed"]), why)
                self.assertEqual(self.paths(), expected, why)

    def test_windows_98_the_autoexec_line_goes_and_the_rest_of_the_file_stays(self):
        use_windows_98(self.prefix)
        autoexec = self.prefix.host_path("C:\\AUTOEXEC.BAT")
        autoexec.write_bytes(b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n")
        self.install()
        with open(autoexec, "ab") as file:
            file.write(b"SET LATER=1\r\n")  # another program's line
        code, lines = self.uninstall("-unat")
        self.assertEqual((code, lines), (0, [f"{DISPLAY_NAME} has been removed"]))
        self.assertEqual(autoexec.read_bytes(), b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\nSET LATER=1\r\n",
                         "what the installation added, and only that, is gone")


class Removal(UninstallerCase):
    """A real installation, removed: the prefix is as it was before it."""

    def setUp(self):
        super().setUp()
        self.prefix.start_session()
        self.before = self.state()

    def assertRemovedUntilTheRestart(self):
        """Everything as it was, the search path too, but for the copy waiting for the restart."""
        self.assertSameState(self.before, self.state(), copies=1)
        self.prefix.start_session()  # a restart: the copy's file goes
        self.assertSameState(self.before, self.state())

    def test_as_add_or_remove_programs_runs_it(self):
        self.install()
        code, lines = self.uninstall("-unat")
        self.assertEqual(code, 0, "the copy's result, once it was there")
        self.assertEqual(lines, [f"{DISPLAY_NAME} has been removed"])
        self.assertRemovedUntilTheRestart()

    def test_through_the_result_protocol(self):
        self.install()
        result, lines = self.through_protocol(f'"{D}\\uninst.exe" Velantrix ')
        self.assertEqual(result, 0)
        self.assertEqual(lines, [f"{DISPLAY_NAME} has been removed"], "written before the result")
        self.assertRemovedUntilTheRestart()


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
            # only the original gives it to its copy, with both
            (["Good", "-unat", f"-originalFile={TOOL}"], "-originalFile goes with -waitFor and -result."),
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
        deadline = time.time() + 60
        while b"holding" not in holder.output_paths[0].read_bytes():
            self.assertIsNone(holder.poll(), "the probe ended before holding the file")
            self.assertLess(time.time(), deadline, "the probe never held the file")
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


    def test_without_a_temporary_copy_it_works_in_place(self):
        self.make_files("C:\\App\\a.txt")
        self.register("InPlace", items("-delDir=C:\\App", "-delFile=C:\\App\\a.txt", f"-delFile={TOOL}",
                                       f"-delRegKey={UNINSTALL_PARENT}\\InPlace"))
        seed(self.prefix, "HKEY_CURRENT_USER\\Environment", {"TEMP": "C:\\nowhere", "TMP": "C:\\nowhere"})
        code, lines = self.run_to_the_end(self.prefix.host_path(TOOL), "InPlace", "-unat")
        self.assertEqual(code, 0, lines)
        self.assertTrue(lines[0].startswith("Starting a temporary copy of the uninstaller failed: CopyFile() failed: "
                                            "Windows error 3"), lines)
        self.assertTrue(lines[0].endswith("; uninstalling in place"), lines)
        self.assertEqual(lines[-1], "Test Product has been removed")
        self.assertFalse(self.exists("C:\\App"))
        # Its own file goes now or, where a running program's file cannot, at the restart.
        pending = [p.lower() for p in self.pending()]
        self.assertTrue(not self.exists(TOOL) or pending == ["\\??\\" + TOOL.lower(), ""], pending)


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
        self.assertEqual(self.prefix.finish(process).returncode, 0, "the copy's result")
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
