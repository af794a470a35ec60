"""One installation or removal at a time on a machine: the installer and the
uninstaller hold one machine-wide lock for their whole run. A second run waits
for the first, within a bound; then it ends with 1618, the code deployment
tools read as "another installation is in progress, retry later". Codes above
255 reach a Unix parent cut to 8 bits, so they are read as a deployment tool
reads them, through GetExitCodeProcess (WindowProbe run)."""
import shutil
import time
import unittest

from registry import Registry
from support import FAULTY, INSTALLER, PROBES, UNINSTALL_KEY, PrefixCase, copy_into_prefix, run_for_exit_code

BUSY = "Another installation or removal of Korvane Velantrix is in progress, aborting"
SHORT_WAIT = {"VELANTRIX_LOCK_WAIT_SECONDS": "2"}
PACKAGE_FILE = "\\Velantrix.exe"


class OneRunAtATime(PrefixCase):
    def hold_the_lock(self):
        """A stand-in for a running installation; holds the lock until C:\\release appears."""
        holder = self.prefix.start(PROBES / "HoldProbe.exe", "-lock", "C:\\release")
        self.addCleanup(self.prefix.finish, holder)
        self.addCleanup(lambda: self.prefix.host_path("C:\\release").write_text(""))
        deadline = time.time() + 60
        while b"holding" not in holder.output_paths[0].read_bytes():
            self.assertIsNone(holder.poll(), "the probe ended before it held the lock")
            self.assertLess(time.time(), deadline, "the probe never held the lock")
            time.sleep(0.05)
        return holder

    def run_for_exit_code(self, program, *args, env=None):
        return run_for_exit_code(self.prefix, program, *args, env=env)

    def windows_path(self, host_file):
        return copy_into_prefix(self.prefix, host_file)

    def test_two_installations_started_together_run_one_after_the_other(self):
        self.prefix.start_session()
        first = self.prefix.start(INSTALLER, "-installDir=C:\\A", "-acceptEULA")
        second = self.prefix.start(INSTALLER, "-installDir=C:\\B", "-acceptEULA")
        runs = [self.prefix.finish(first), self.prefix.finish(second)]
        self.assertEqual([run.returncode for run in runs], [0, 0], runs)
        self.prefix.shutdown()
        registered = Registry(self.prefix).value(UNINSTALL_KEY, "InstallDir")
        self.assertIn(registered, ("C:\\A", "C:\\B"))
        earlier = "C:\\A" if registered == "C:\\B" else "C:\\B"
        self.assertTrue(self.prefix.host_path(registered + PACKAGE_FILE).exists())
        self.assertFalse(self.prefix.host_path(earlier).exists(),
                         "the later run removed the earlier one's installation before its own: nothing is orphaned")
        run = self.prefix.run(self.prefix.host_path(registered + "\\uninst.exe"), "Velantrix", "-unat")
        self.assertEqual(run.returncode, 0, run)
        self.prefix.shutdown()
        self.assertFalse(self.prefix.host_path(registered + PACKAGE_FILE).exists())
        self.assertIsNone(Registry(self.prefix).key(UNINSTALL_KEY))

    def test_a_second_installation_waits_then_ends_with_1618_and_changes_nothing(self):
        self.hold_the_lock()
        lines, code = self.run_for_exit_code(self.windows_path(FAULTY), "-installDir=C:\\V", "-acceptEULA",
                                             env=SHORT_WAIT)
        self.assertEqual((lines, code), ([BUSY], 1618))
        self.assertFalse(self.prefix.host_path("C:\\V").exists())

    def test_a_removal_while_an_installation_runs_waits_then_ends_with_1618_and_removes_nothing(self):
        run = self.prefix.install("-installDir=C:\\V", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        # The test build's uninstaller, whose wait a case may shorten.
        shutil.copy(FAULTY.parent / "product" / "uninst.exe", self.prefix.host_path("C:\\V\\uninst.exe"))
        self.hold_the_lock()
        lines, code = self.run_for_exit_code("C:\\V\\uninst.exe", "Velantrix", "-unat", env=SHORT_WAIT)
        self.assertEqual((lines, code), ([BUSY], 1618))
        self.assertTrue(self.prefix.host_path("C:\\V" + PACKAGE_FILE).exists())
        self.prefix.shutdown()
        self.assertIsNotNone(Registry(self.prefix).key(UNINSTALL_KEY))

    def test_a_lock_left_by_a_run_that_died_is_taken_over(self):
        holder = self.hold_the_lock()
        holder.kill()
        holder.wait()
        run = self.prefix.install("-installDir=C:\\V", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)


if __name__ == "__main__":
    unittest.main()
