"""Reinstalling or upgrading while the product runs: the installer finds out
that a program holds a file of the earlier installation before anything is
removed, and ends with 108 (interactive: Retry or Cancel), so the user keeps
what they had. Once the program has ended the same command installs."""
import time
import unittest

from dialog import InteractiveRun, use_wine_desktop
from registry import Registry
from state import capture, differences
from support import (FAULTY, IDCANCEL, UNINSTALL_KEY, BoxWatcher, PrefixCase, copy_into_prefix,
                     run_for_exit_code)
from test_interactive_flows import AGREE, INSTALL, RUN_WHEN_DONE

D = "C:\\Run"
PROGRAM = D + "\\Velantrix.exe"
IN_USE = f"File '{PROGRAM}' of the installed Velantrix 4.10 is in use"


class RunningProgram(PrefixCase):
    def setUp(self):
        super().setUp()
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)

    def start_the_program(self):
        program = self.prefix.start(self.prefix.host_path(PROGRAM))
        self.addCleanup(program.wait)
        self.addCleanup(self.prefix.kill)
        for _ in range(120):
            if "Korvane Velantrix 4.10" in self.prefix.probe("WindowProbe.exe", "list").lines:
                return program
            time.sleep(0.5)
        self.fail("the installed program showed no window")

    def state(self):
        self.prefix.shutdown()
        return capture(self.prefix)

    def test_unattended_ends_at_once_with_108_and_changes_nothing(self):
        before = self.state()
        program = self.start_the_program()
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 108, run)
        self.assertEqual(len(run.lines), 1, run)
        self.assertTrue(run.lines[0].startswith(IN_USE), run.lines)
        self.assertTrue(run.lines[0].endswith("; close the program that uses it and run the installation again, "
                                              "aborting"), run.lines)
        program.kill()
        self.assertEqual(differences(before, self.state()), [], "nothing removed, nothing scheduled")
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, "once the program has ended the same command installs")
        self.prefix.shutdown()
        self.assertEqual(Registry(self.prefix).value(UNINSTALL_KEY, "InstallDir"), D)

    def test_a_file_taken_after_the_check_is_replaced_when_windows_restarts(self):
        # Marked, so that the restart shows which file it left.
        with open(self.prefix.host_path(PROGRAM), "ab") as program_file:
            program_file.write(b"earlier")
        program = self.start_the_program()
        lines, code = run_for_exit_code(self.prefix, copy_into_prefix(self.prefix, FAULTY), f"-installDir={D}",
                                        "-acceptEULA", env={"VELANTRIX_FAIL_AT": "FilesInUse"})
        self.assertEqual(code, 3010, lines)
        self.assertIn(f"Warning: '{PROGRAM}' is in use; the new file replaces it when Windows restarts", lines)
        self.assertEqual(lines[-2:], ["Korvane Velantrix 4.10 installation completed",
                                      "Restart Windows to finish the installation: the files in use are replaced then"])
        program.kill()
        self.prefix.shutdown()
        self.assertEqual(Registry(self.prefix).value(UNINSTALL_KEY, "InstallDir"), D, "installed")
        self.assertTrue(self.prefix.host_path(PROGRAM).read_bytes().endswith(b"earlier"),
                        "the earlier program stays usable until the restart")
        self.prefix.start_session()  # the restart
        self.prefix.shutdown()
        self.assertFalse(self.prefix.host_path(PROGRAM + ".new").exists())
        self.assertFalse(self.prefix.host_path(PROGRAM).read_bytes().endswith(b"earlier"), "replaced")
        self.assertEqual(self.prefix.run(self.prefix.host_path(D + "\\uninst.exe"), "Velantrix", "-unat").returncode,
                         0)
        self.prefix.shutdown()
        self.assertFalse(self.prefix.host_path(D).exists(), "the quiet uninstallation removes it all")

    def test_a_rollback_gives_the_file_in_use_back_to_the_restart(self):
        program = self.start_the_program()
        run = self.prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA",
                              env={"VELANTRIX_FAIL_AT": "FilesInUse,SHChangeNotify"})
        self.assertEqual(run.returncode, 150, run)
        program.kill()
        self.prefix.shutdown()
        self.assertFalse(self.prefix.host_path(PROGRAM + ".new").exists())
        self.assertIsNone(Registry(self.prefix).key(UNINSTALL_KEY))
        self.prefix.start_session()  # the restart
        self.prefix.shutdown()
        self.assertFalse(self.prefix.host_path(PROGRAM).exists(),
                         "the earlier installation's file goes at the restart, as its removal had it")

    def test_interactive_names_the_file_and_cancel_ends_with_108(self):
        use_wine_desktop(self.prefix)
        self.start_the_program()
        box = BoxWatcher(self.prefix, "File In Use", IDCANCEL)
        dialog = InteractiveRun(self.prefix)
        state = dialog.look()
        dialog.click(state[AGREE])
        dialog.click(state[RUN_WHEN_DONE])
        dialog.click(dialog.look()[INSTALL])
        run = dialog.finish()
        self.assertTrue(any(text.startswith(IN_USE) and text.endswith(
            "Close the program that uses it, then press Retry, or press Cancel to stop.") for text in box.texts()),
            box.texts())
        self.assertEqual(run.returncode, 108, run)
        self.assertEqual(run.lines[-1], "Installation canceled by user (file in use)")
        self.assertTrue(self.prefix.host_path(PROGRAM).exists())


if __name__ == "__main__":
    unittest.main()
