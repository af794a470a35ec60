"""-log=FILE, for the installer and the uninstaller: a header, every console
line and message box (with its answer), each line timestamped to the
millisecond, and a closing line with the exit code and its name. Appended,
written through at once (a killed run's log ends at its last step), and a log
that cannot be opened ends the run with the command-line error before
anything changes."""
import re
import time
import unittest

from dialog import InteractiveRun, use_wine_desktop
from support import FAULTY, IDNO, INSTALL_DIR, PROBES, BoxWatcher, PrefixCase

D = INSTALL_DIR
LOG = "C:\\Logs\\velantrix.log"
STAMP = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*)$")
OPEN_FAILED = f"Cannot open the log file '{LOG}': "


class Log(PrefixCase):
    def setUp(self):
        super().setUp()
        self.prefix.host_path("C:\\Logs").mkdir()

    def log_lines(self):
        """The log's lines without their timestamps, each of which must be there."""
        lines = []
        for line in self.prefix.host_path(LOG).read_bytes().decode("cp1252").split("\r\n")[:-1]:
            stamped = STAMP.match(line)
            self.assertIsNotNone(stamped, line)
            lines.append(stamped.group(1))
        return lines

    def check_header(self, lines, program, mode):
        self.assertEqual(lines[0], f"Korvane Velantrix 4.10 {program}")
        self.assertTrue(lines[1].startswith("Command line: ") and "-log=" in lines[1], lines[1])
        self.assertRegex(lines[2], r"^System: Windows \d+\.\d+, (NT|95) family")
        self.assertEqual(lines[3:5], [f"Mode: {mode}", "Administrator: yes"])

    def test_a_silent_installation_and_removal_log_what_the_console_showed(self):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", f"-log={LOG}")
        self.assertEqual(run.returncode, 0, run)
        lines = self.log_lines()
        self.check_header(lines, "installer", "unattended")
        self.assertEqual(lines[5:], run.lines + ["Exit code 0 (kInstalled)"])

        uninstaller = self.prefix.host_path(D + "\\uninst.exe")
        refused = self.prefix.run(uninstaller, "Velantrix", "-unat", "-log=C:\\Missing\\velantrix.log")
        self.assertEqual(refused.returncode, 2, "the uninstaller's own command-line error")
        self.assertTrue(refused.lines[0].startswith("Invalid command line: cannot open the log file "), refused)
        self.assertTrue(uninstaller.exists(), "nothing removed")
        removal = self.prefix.run(uninstaller, "Velantrix", "-unat", f"-log={LOG}")
        self.assertEqual(removal.returncode, 0, removal)
        self.prefix.shutdown()
        appended = self.log_lines()[len(lines):]
        self.check_header(appended, "uninstaller", "unattended")
        self.assertIn("Korvane Velantrix 4.10 (remove only) has been removed", appended)
        self.assertEqual(appended[-1], "Exit code 0 (kSuccess)", "the original ends last, with the copy's result")
        self.assertEqual(sum(line == "Korvane Velantrix 4.10 uninstaller" for line in appended), 2,
                         "the temporary copy writes into the same log")

    def test_a_killed_run_leaves_its_log_up_to_its_last_step(self):
        run = self.prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", f"-log={LOG}",
                              env={"VELANTRIX_KILL_AT": "IPersistFile::Save#3"})
        self.assertEqual(run.returncode, 99, run)
        lines = self.log_lines()
        self.assertEqual(lines[5:], run.lines)
        self.assertTrue(lines[-1].startswith("Creating shortcut ") and lines[-1].endswith("Host Key Manager.lnk"),
                        lines[-1])

    def test_a_failed_run_logs_its_rollback_and_exit_code(self):
        run = self.prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", f"-log={LOG}",
                              env={"VELANTRIX_FAIL_AT": "IPersistFile::Save#3"})
        self.assertEqual(run.returncode, 105, run)
        lines = self.log_lines()
        logged = lines[5:]
        self.assertEqual([line for line in logged if not line.startswith("Rollback: removed ")],
                         run.lines + ["Exit code 105 (kShortcutFailed)"], "the console's lines, and each undo's outcome")
        undo = logged.index(f"Rollback: removing previously created {D}")
        self.assertEqual(logged[undo + 1], f"Rollback: removed {D}")

    def test_a_log_that_cannot_be_opened_gives_201_and_changes_nothing(self):
        # A read-only file stands in for any file that cannot be written: Wine
        # lets root write those, so it is kept open by another program instead.
        held = self.prefix.host_path(LOG)
        held.write_text("kept")
        holder = self.prefix.start(PROBES / "HoldProbe.exe", LOG, "C:\\release")
        self.addCleanup(self.prefix.finish, holder)
        self.addCleanup(lambda: self.prefix.host_path("C:\\release").write_text(""))
        while b"holding" not in holder.output_paths[0].read_bytes():
            self.assertIsNone(holder.poll(), "the probe could not hold the log")
            time.sleep(0.05)
        cases = [  # the path, how it is wrong
            ("C:\\Missing\\velantrix.log", "a folder that is not there"),
            (LOG, "a file that cannot be written"),
            ("C:\\Logs", "a directory"),
        ]
        for path, why in cases:
            with self.subTest(why):
                run = self.prefix.install(f"-installDir={D}", "-acceptEULA", f"-log={path}")
                self.assertEqual(run.returncode, 201, run)
                self.assertTrue(run.lines[0].startswith(f"Cannot open the log file '{path}': "), run.lines)
                self.assertFalse(self.prefix.host_path(D).exists())
        self.assertEqual(held.read_text(), "kept")

    def test_each_run_appends(self):
        for _ in range(2):
            self.assertEqual(self.prefix.install("-?", f"-log={LOG}").returncode, 200)
        lines = self.log_lines()
        self.assertEqual(lines.count("Exit code 200 (kHelp)"), 2, "appended, never truncated")
        self.assertIn("Usage (unattended mode only):", lines, "the usage text, line by line")

    def test_interactive_keeps_the_dialog_and_logs_the_boxes(self):
        use_wine_desktop(self.prefix)
        dialog = InteractiveRun(self.prefix, f"-log={LOG}")
        dialog.look()  # the dialog, not the unattended mode
        dialog.key("Escape")
        run = dialog.finish()
        self.assertEqual(run.returncode, 202, run)
        lines = self.log_lines()
        self.check_header(lines, "installer", "interactive")
        self.assertEqual(lines[-1], "Exit code 202 (kDialogCancelled)")

        self.assertEqual(self.prefix.install(f"-installDir={D}", "-acceptEULA").returncode, 0)
        box = BoxWatcher(self.prefix, "Velantrix Uninstaller", IDNO)
        removal = self.prefix.run(self.prefix.host_path(D + "\\uninst.exe"), "Velantrix", f"-log={LOG}")
        self.assertEqual(removal.returncode, 3, removal)
        self.assertTrue(box.texts())
        self.assertIn('Message box "Velantrix Uninstaller": Are you sure you want to remove Korvane Velantrix 4.10 '
                      '(remove only) and all of its components? -> No', self.log_lines())


if __name__ == "__main__":
    unittest.main()
