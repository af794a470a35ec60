"""Install steps, rollback and prompts, run with the real step classes
(TransactionProbe) and the real installer."""
import unittest

from registry import Registry
from support import IDNO, IDOK, IDYES, PACKAGE_FILES, UNINSTALL_KEY, BoxWatcher, PrefixCase, use_windows_98

PROBE = "TransactionProbe.exe"
SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager"
PENDING = "PendingFileRenameOperations"


class DirectoryStepWithTheInstaller(PrefixCase):
    def test_target_path_cases(self):
        self.prefix.host_path("C:\\afile").write_text("keep me")
        self.prefix.host_path("C:\\Existing").mkdir()
        self.prefix.host_path("C:\\Existing\\old.txt").write_text("old")
        # Table: directory, exit code, the line (or its start), why.
        cases = [
            ("C:\\afile", 101, "Unable to create target directory 'C:\\afile': The specified target path already "
                               "exists and is not a directory, aborting", "a file at the target path"),
            ("C:\\missing\\dir", 102, "Unable to create target directory 'C:\\missing\\dir': Windows error 3",
             "the parent does not exist"),
            ("C:\\", 102, "Unable to create target directory 'C:\\': Windows error ",
             "a drive root is not found by the search, and creating it fails"),
        ]
        for directory, code, line, why in cases:
            run = self.prefix.install(f"-installDir={directory}", "-acceptEULA")
            self.assertEqual(run.returncode, code, (why, run))
            self.assertTrue(run.stdout.startswith(line), (why, run.stdout))
            self.assertEqual(len(run.lines), 1, (why, run.stdout))
        self.assertEqual(self.prefix.host_path("C:\\afile").read_text(), "keep me")
        self.assertEqual(self.prefix.host_path("C:\\Existing\\old.txt").read_text(), "old")

    def test_an_existing_directory_is_accepted_and_a_new_one_made(self):
        # Table: directory, whether it exists with a file of its own, why.
        cases = [
            ("C:\\Existing", True, "an existing directory is used"),
            ("C:\\Fresh\\", False, "a final backslash: the directory is made"),
            ("C:\\Slashed\\", True, "a final backslash: the existing directory is found and used"),
        ]
        for directory, exists, why in cases:
            if exists:
                self.prefix.host_path(directory).mkdir()
                self.prefix.host_path(directory + "\\old.txt").write_text("old")
            run = self.prefix.install(f"-installDir={directory}", "-acceptEULA")
            self.assertEqual(run.returncode, 0, (why, run))
            folder = self.prefix.host_path(directory)
            self.assertTrue((folder / "Velantrix.exe").is_file(), why)
            if exists:
                self.assertEqual((folder / "old.txt").read_text(), "old", why)

    def test_a_final_backslash_on_an_existing_directory_through_an_upgrade(self):
        directory = "C:\\Tools\\Velantrix\\"
        folder = self.prefix.host_path(directory)
        folder.mkdir(parents=True)
        (folder / "old.txt").write_text("old")
        for number, why in ((1, "the first installation"), (2, "a second one over the first, as an upgrade")):
            run = self.prefix.install(f"-installDir={directory}", "-acceptEULA")
            self.assertEqual(run.returncode, 0, (why, run))
            self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed", why)
            self.assertEqual(sorted(p.name for p in folder.iterdir()),
                             sorted(["old.txt", "uninst.exe"] + PACKAGE_FILES), why)
            self.assertEqual((folder / "old.txt").read_text(), "old", why)
            if number == 2:
                self.assertEqual(run.lines[0], "Uninstalling the existing Velantrix 4.10 installation")
        self.prefix.shutdown()
        registration = Registry(self.prefix).key(UNINSTALL_KEY)
        self.assertEqual(registration.get("InstallDir"), directory, "recorded as given")
        self.assertIn(f'"-delDir={directory}"', registration.get("UninstallParam"))


class Rollback(PrefixCase):
    def test_steps_are_undone_newest_first(self):
        run = self.prefix.probe(PROBE, "dir=C:\\T", "file=C:\\T\\a", "file=C:\\T\\b", "fail")
        self.assertEqual(run.returncode, 150)
        self.assertEqual(run.lines, [
            "Installing C:\\T\\a",
            "Installing C:\\T\\b",
            "Rollback: removing previously created C:\\T\\b",
            "Rollback: removing previously created C:\\T\\a",
            "Rollback: removing previously created C:\\T",
            "Installation error: probe failure",
        ])
        self.assertFalse(self.prefix.host_path("C:\\T").exists())

    def test_no_rollback_leaves_everything_and_says_nothing(self):
        run = self.prefix.probe(PROBE, "-noRollback", "dir=C:\\T", "file=C:\\T\\a", "fail")
        self.assertEqual(run.returncode, 150)
        self.assertEqual(run.lines, ["Installing C:\\T\\a", "Installation error: probe failure"])
        self.assertTrue(self.prefix.host_path("C:\\T\\a").exists())

    def test_what_existed_before_is_never_removed_but_is_recorded(self):
        self.prefix.host_path("C:\\E").mkdir()
        self.prefix.host_path("C:\\E\\old").write_text("old")
        run = self.prefix.probe(PROBE, "main=C:\\E\\velantrix.exe", "dir=C:\\E", "file=C:\\E\\Velantrix.exe",
                                "file=C:\\E\\x.dll")
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.lines[-1], '"-shareResWith=Dravelo" "-delDir=C:\\E" '
                                        '"-delMainFile=C:\\E\\Velantrix.exe" "-delFile=C:\\E\\x.dll"')
        run = self.prefix.probe(PROBE, "-force", "dir=C:\\E", "file=C:\\E\\x.dll", "file=C:\\E\\new", "fail")
        self.assertEqual(run.lines[:4], [
            "Warning: 'C:\\E\\x.dll' already exists, will be overwritten",
            "Installing C:\\E\\x.dll",
            "Installing C:\\E\\new",
            "Rollback: removing previously created C:\\E\\new",
        ])
        self.assertEqual(run.lines[4:], ["Installation error: probe failure"])
        self.assertEqual(sorted(p.name for p in self.prefix.host_path("C:\\E").iterdir()),
                         ["Velantrix.exe", "old", "x.dll"])

    def test_conflicts_end_unattended_runs_without_force(self):
        self.prefix.host_path("C:\\E").mkdir()
        self.prefix.host_path("C:\\E\\x").write_text("old")
        run = self.prefix.probe(PROBE, "dir=C:\\N", "file=C:\\N\\a", "file=C:\\E\\x")
        self.assertEqual(run.returncode, 104)
        self.assertEqual(run.lines, ["Installing C:\\N\\a", "Target file 'C:\\E\\x' already exists, aborting",
                                     "Rollback: removing previously created C:\\N\\a",
                                     "Rollback: removing previously created C:\\N"])
        run = self.prefix.probe(PROBE, "emptydir=C:\\E")
        self.assertEqual((run.returncode, run.lines),
                         (103, ["Target directory 'C:\\E' already exists and is not empty, aborting"]))
        run = self.prefix.probe(PROBE, "-force", "emptydir=C:\\E")
        self.assertEqual(run.returncode, 0)
        self.assertEqual(run.lines[0], "Warning: target directory 'C:\\E' already exists and is not empty")
        self.assertEqual(self.prefix.host_path("C:\\E\\x").read_text(), "old")

    def test_a_file_in_use_is_scheduled_with_its_directory_after_it(self):
        run = self.prefix.probe(PROBE, "dir=C:\\T", "file=C:\\T\\a", "hold=C:\\T\\a", "fail")
        self.assertEqual(run.returncode, 150)
        lines = run.lines
        self.assertEqual(lines[1], "Rollback: removing previously created C:\\T\\a")
        self.assertTrue(lines[2].startswith("File deletion failed: Windows error 32"), lines)
        self.assertEqual(lines[3], "Scheduling file deletion on reboot")
        self.assertEqual(lines[4], "Rollback: removing previously created C:\\T")
        self.assertTrue(lines[5].startswith("Rollback: error removing directory: Windows error 145"), lines)
        self.assertEqual(lines[6:], ["Scheduling removing directory on reboot", "Installation error: probe failure"])
        self.prefix.shutdown()
        pending = Registry(self.prefix).value(SESSION_MANAGER, PENDING)
        self.assertEqual([p.lower() for p in pending], ["\\??\\c:\\t\\a", "", "\\??\\c:\\t", ""])

    def test_interactive_rollback_failures_show_boxes_and_go_on(self):
        file_box = BoxWatcher(self.prefix, "File Deletion Failed", IDOK)
        directory_box = BoxWatcher(self.prefix, "Directory Deletion Failed", IDOK)
        error_box = BoxWatcher(self.prefix, "Installation Error", IDOK)
        run = self.prefix.probe(PROBE, "-i", "dir=C:\\T", "file=C:\\T\\a", "hold=C:\\T\\a", "dir=C:\\T\\sub", "fail")
        self.assertIn("Installation error: probe failure", error_box.texts())
        self.assertTrue(any(t.startswith("Unable to remove previously created 'C:\\T'.\\nReason: Windows error 145")
                            and t.endswith("\\nThe directory will be scheduled for removal on reboot.")
                            for t in directory_box.texts()), directory_box.texts())
        texts = file_box.texts()
        self.assertTrue(any(t.startswith("Unable to remove previously created 'C:\\T\\a'.\\nReason: Windows error 32")
                            and t.endswith("\\nThe file will be scheduled for deletion on reboot.") for t in texts),
                        texts)
        self.assertEqual(run.returncode, 150)
        self.assertIn("Scheduling removing directory on reboot", run.lines)

    def test_interactive_questions(self):
        self.prefix.host_path("C:\\E").mkdir()
        self.prefix.host_path("C:\\E\\x").write_text("old")
        box = BoxWatcher(self.prefix, "Target File Exists", IDNO)
        run = self.prefix.probe(PROBE, "-i", "dir=C:\\N", "file=C:\\E\\x")
        self.assertIn("Warning: 'C:\\E\\x' already exists.\\nDo you want it to be overwritten?\\nClicking 'Yes' will "
                      "overwrite the file, clicking 'No' will abort the installation.", box.texts())
        self.assertEqual(run.returncode, 104)
        self.assertEqual(run.lines, ["Installation canceled by user (file already exists)",
                                     "Rollback: removing previously created C:\\N"])
        box = BoxWatcher(self.prefix, "Target File Exists", IDYES)
        run = self.prefix.probe(PROBE, "-i", "file=C:\\E\\x")
        box.texts()
        self.assertEqual(run.returncode, 0)
        self.assertEqual(self.prefix.host_path("C:\\E\\x").read_text(), "probe")

    def test_interactive_directory_failures_use_their_own_codes(self):
        self.prefix.host_path("C:\\afile").write_text("x")
        cases = [("C:\\afile", "Invalid Target Directory", 103,
                  "Unable to create target directory 'C:\\afile': The specified target path already exists and is "
                  "not a directory."),
                 ("C:\\no\\dir", "Directory Creation Failed", 101,
                  "Unable to create target directory 'C:\\no\\dir': Windows error 3")]
        for directory, title, code, text in cases:
            box = BoxWatcher(self.prefix, title, IDOK)
            run = self.prefix.probe(PROBE, "-i", f"dir={directory}")
            self.assertEqual((run.returncode, run.stdout), (code, ""))
            self.assertTrue(any(t.startswith(text) for t in box.texts()), box.texts())
        box = BoxWatcher(self.prefix, "Target Directory Already Exists", IDNO)
        self.prefix.host_path("C:\\full").mkdir()
        self.prefix.host_path("C:\\full\\f").write_text("x")
        run = self.prefix.probe(PROBE, "-i", "emptydir=C:\\full")
        self.assertIn("Warning: 'C:\\full' directory already exists and is not empty.\\nContinuing installation is "
                      "not recommended. Do you want to continue anyway?", box.texts())
        self.assertEqual((run.returncode, run.lines), (103, ["Installation canceled by user (directory not empty)"]))


class RestartTimeRemovalNT(PrefixCase):
    def test_schedule_and_cancel(self):
        self.prefix.host_path("C:\\a").write_text("a")
        self.prefix.host_path("C:\\b").write_text("b")
        self.prefix.host_path("C:\\old").write_text("o")
        run = self.prefix.probe(PROBE, "rename=C:\\old,C:\\new", "schedule=C:\\a", "schedule=C:\\b",
                                "schedule=C:\\a", "cancel=C:\\a", "cancel=C:\\a", "cancel=C:\\nonexistent")
        self.assertEqual([" ".join(line.split()[:2]) for line in run.lines[:6]],
                         ["schedule true", "schedule true", "schedule true", "cancel true", "cancel false",
                          "cancel false"])
        self.prefix.shutdown()
        pending = Registry(self.prefix).value(SESSION_MANAGER, PENDING)
        self.assertEqual([p.lower() for p in pending], ["\\??\\c:\\old", "\\??\\c:\\new", "\\??\\c:\\b", ""],
                         "renames and other deletions stay, in their order")

    def test_cancelling_the_last_deletion_removes_the_value(self):
        self.prefix.host_path("C:\\b").write_text("b")
        run = self.prefix.probe(PROBE, "schedule=C:\\b", "cancel=C:\\b")
        self.assertEqual(run.lines[1], "cancel true")
        self.prefix.shutdown()
        self.assertIsNone(Registry(self.prefix).value(SESSION_MANAGER, PENDING),
                          "an empty list would shift every pair appended after it")

    def test_after_an_installation_empties_the_list_another_programs_entry_is_the_first_pair(self):
        folder = self.prefix.host_path("C:\\X")
        folder.mkdir()
        self.prefix.host_path("C:\\other").write_text("o")
        self.prefix.start_session()  # one session throughout: a new one carries the list out
        self.assertTrue(self.prefix.probe(PROBE, "schedule=C:\\X").lines[0].startswith("schedule true"))
        folder.rmdir()
        run = self.prefix.install("-installDir=C:\\X", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        self.assertTrue(self.prefix.probe(PROBE, "schedule=C:\\other").lines[0].startswith("schedule true"))
        self.prefix.shutdown()
        pending = Registry(self.prefix).value(SESSION_MANAGER, PENDING)
        self.assertEqual([p.lower() for p in pending], ["\\??\\c:\\other", ""])
        self.assertTrue(folder.is_dir())

    def test_cancel_without_pending_operations_creates_nothing(self):
        self.prefix.host_path("C:\\a").write_text("a")
        run = self.prefix.probe(PROBE, "cancel=C:\\a")
        self.assertEqual(run.lines[0], "cancel false")
        self.prefix.shutdown()
        self.assertIsNone(Registry(self.prefix).value(SESSION_MANAGER, PENDING))


class RestartTimeRemoval98(PrefixCase):
    def setUp(self):
        super().setUp()
        use_windows_98(self.prefix)
        # Wine creates the profile with the name as the program spells it.
        self.wininit = self.prefix.host_path("C:\\windows\\WININIT.INI")

    def entries(self):
        text = self.wininit.read_text(encoding="latin-1") if self.wininit.exists() else ""
        return [line.strip() for line in text.splitlines() if line.strip().upper().startswith("NUL=")]

    def test_schedule_twice_gives_one_entry_and_cancel_drops_it(self):
        self.prefix.host_path("C:\\Program Files\\A long name").mkdir(parents=True)
        self.prefix.host_path("C:\\other").write_text("x")
        run = self.prefix.probe(PROBE, "schedule=C:\\Program Files\\A long name", "schedule=C:\\Program Files\\A long name",
                                "schedule=C:\\other", "schedule=C:\\nonexistent")
        self.assertEqual([line.split()[1] for line in run.lines[:4]], ["true", "true", "true", "false"])
        entries = self.entries()
        self.assertEqual(len(entries), 2, entries)
        self.assertRegex(entries[0], r"^NUL=C:\\[^\\ ]{1,8}\\[^\\ ]{1,8}$", "the short form")
        self.assertEqual(entries[1].upper(), "NUL=C:\\OTHER")
        run = self.prefix.probe(PROBE, "cancel=C:\\Program Files\\A long name", "cancel=C:\\Program Files\\A long name")
        self.assertEqual(run.lines[:2], ["cancel true", "cancel false"])
        self.assertEqual([e.upper() for e in self.entries()], ["NUL=C:\\OTHER"])

    def test_a_full_section_refuses_with_error_111(self):
        self.prefix.host_path("C:\\a").write_text("a")
        self.prefix.start_session()  # so the seeded section is not carried out first
        filler = "".join(f"NUL=C:\\{i:05d}{'x' * 40}\r\n" for i in range(700))
        self.wininit.write_text("[Rename]\r\n" + filler, encoding="latin-1")
        before = self.wininit.read_bytes()
        run = self.prefix.probe(PROBE, "schedule=C:\\a")
        self.assertEqual(run.lines[0], "schedule false 111")
        self.assertEqual(self.wininit.read_bytes(), before)

    def test_a_file_in_use_during_rollback_goes_to_wininit(self):
        run = self.prefix.probe(PROBE, "dir=C:\\T", "file=C:\\T\\a", "hold=C:\\T\\a", "fail")
        self.assertEqual(run.returncode, 150)
        self.assertEqual([e.upper() for e in self.entries()], ["NUL=C:\\T\\A", "NUL=C:\\T"])

    def test_a_section_longer_than_the_old_buffer_keeps_every_other_entry(self):
        self.prefix.start_session()  # so the seeded section is not carried out first
        others = [f"NUL=C:\\OTHER\\FILE{i:04d}.TXT" for i in range(1500)]  # about 40,000 bytes
        section = others[:1000] + ["NUL=C:\\X"] + others[1000:]
        self.wininit.write_text("[Rename]\r\n" + "".join(e + "\r\n" for e in section), encoding="latin-1")
        run = self.prefix.install("-installDir=C:\\X", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual([e.upper() for e in self.entries()], others, "only the installer's own entry goes")


if __name__ == "__main__":
    unittest.main()
