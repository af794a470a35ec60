"""An earlier installation: its uninstaller is run through the result protocol
before anything is installed (a stand-in uninstaller shows what it is given,
the real one removes it)."""
import re
import shutil
import subprocess
import unittest

from dialog import InteractiveRun, use_wine_desktop
from registry import Registry, remove_value, seed
from support import IDNO, INSTALL_DIR, UNINSTALL_KEY, BoxWatcher, PrefixCase
from test_interactive_flows import AGREE, INSTALL, RUN_WHEN_DONE
from uninstalling import DISPLAY_NAME, PENDING, SESSION_MANAGER, UninstallerCase, snapshot_key
from wine import FAULTY, PROBES

OLD = "C:\\Old Velantrix"
STAND_IN = OLD + "\\UninstallerProbe.exe"
# The installer's temporary copy of its embedded uninstaller (the uninstaller's
# own copies are named "uninst-" and 16 digits).
INSTALLERS_COPY = re.compile(r"\\temp\\uninst[0-9a-f]*\.exe$")
INSTALLERS_COPY_FILE = re.compile(r"/temp/uninst[0-9a-f]*\.exe$")
ABORT = " (use /Force flag to override uninstallation failure); aborting"
# FAULTY: the test build, whose wait for a result (120 seconds when shipped) a case may shorten.
SHORT_WAIT = {"VELANTRIX_UNINSTALLER_WAIT_SECONDS": "3"}
NO_REPORT = "Uninstaller did not report its result within 3 seconds"


class EarlierInstallation(PrefixCase):
    def register(self, behaviour, version="4.10"):
        self.prefix.host_path(OLD).mkdir()
        shutil.copy(PROBES / "UninstallerProbe.exe", self.prefix.host_path(STAND_IN))
        values = {"InstallDir": OLD, "UninstallString": f'"{STAND_IN}" Velantrix {behaviour} '}
        if version is not None:
            values["Version"] = version
        seed(self.prefix, UNINSTALL_KEY, values)

    def install(self, *options):
        return self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA", *options)

    def given_command_lines(self):
        log = self.prefix.host_path(OLD + "\\UninstallerProbe.log")
        return log.read_text().splitlines() if log.exists() else []

    def test_a_successful_removal_goes_on_quietly(self):
        self.register("exit=0")
        run = self.install()
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.lines[:3], ["Uninstalling the existing Velantrix 4.10 installation", "", ""])
        [command] = self.given_command_lines()
        self.assertRegex(command, r'^"C:\\Old Velantrix\\UninstallerProbe\.exe" Velantrix exit=0  -unat '
                                  r'-result=[0-9a-f]+ -done=[0-9a-f]+$',
                         "appended to the registered command as it stands: two spaces before -unat")

    def test_failures_by_result_code(self):
        cases = [  # behaviour, options, exit code, the failure line
            ("exit=13", [], 107, "Uninstaller failed with error code 13: Uninstallation failed partally or "
                                 "completely" + ABORT),
            ("exit=12", [], 107, "Uninstaller failed with error code 12: Loading uninstallation information failed"
                                 + ABORT),
            ("exit=7", [], 107, "Uninstaller failed with error code 7" + ABORT),
            ("handoff=13", [], 107, "Uninstaller failed with error code 13: Uninstallation failed partally or "
                                    "completely" + ABORT),
            ("exit=12", ["-force"], 0, "Warning: Uninstaller failed with error code 12: Loading uninstallation "
                                       "information failed"),
        ]
        for behaviour, options, code, line in cases:
            with self.subTest(behaviour=behaviour, options=options):
                self.prefix.remove()
                self.setUp()
                self.register(behaviour)
                run = self.install(*options)
                self.assertEqual(run.returncode, code, run)
                self.assertEqual(run.lines[:4], ["Uninstalling the existing Velantrix 4.10 installation", "", "",
                                                 line])
                if code == 107:
                    self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists(), "nothing installed")

    def test_a_copy_that_never_reports_is_an_uninstaller_failure(self):
        cases = [  # options, exit code, the failure line, why
            ([], 107, NO_REPORT + ABORT, "unattended: the installation stops before anything is installed"),
            (["-force"], 0, "Warning: " + NO_REPORT, "-force accepts it as any other uninstaller failure"),
        ]
        for options, code, line, why in cases:
            with self.subTest(options=options):
                self.prefix.remove()
                self.setUp()
                self.register("silent")
                run = self.prefix.run(FAULTY, f"-installDir={INSTALL_DIR}", "-acceptEULA", *options, env=SHORT_WAIT)
                self.assertEqual(run.returncode, code, (why, run))
                self.assertEqual(run.lines[:3], ["Uninstalling the existing Velantrix 4.10 installation", "", line],
                                 why)
                self.assertEqual(len(self.given_command_lines()), 1, "run once, then given up on")
                if code == 107:
                    self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists(), why)
                else:
                    self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed")
                # Nothing of the run is left waiting: the prefix's Wine session ends by itself.
                subprocess.run(["wineserver", "-w"], env=self.prefix.env, check=True, timeout=60)

    def test_interactive_a_copy_that_never_reports_asks_as_other_uninstaller_failures(self):
        use_wine_desktop(self.prefix)
        self.register("silent")
        question = BoxWatcher(self.prefix, "Uninstallation failure", IDNO)
        dialog = InteractiveRun(self.prefix, exe=FAULTY, env=SHORT_WAIT)
        self.addCleanup(self.prefix.kill)
        state = dialog.look()
        dialog.click(state[AGREE])
        dialog.click(state[RUN_WHEN_DONE])
        dialog.click(dialog.look()[INSTALL])
        run = dialog.finish()
        self.assertIn(NO_REPORT + ".\\nDo you want to continue with the installation anyway?", question.texts())
        self.assertEqual(question.default_button(), IDNO)
        self.assertEqual(run.returncode, 107, run)
        self.assertIn("Warning: " + NO_REPORT, run.lines)
        self.assertEqual(run.lines[-1], "Installation canceled by user (uninstallation failure)")
        self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists(), "nothing installed")

    def test_a_handed_on_success_is_success(self):
        self.register("handoff=0")
        run = self.install()
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.lines[:3], ["Uninstalling the existing Velantrix 4.10 installation", "", ""])

    def test_an_uninstaller_that_cannot_start(self):
        seed(self.prefix, UNINSTALL_KEY, {"Version": "4.10", "UninstallString": '"C:\\nowhere\\uninst.exe" Velantrix '})
        run = self.install()
        self.assertEqual(run.returncode, 107)
        self.assertEqual(run.lines[:2], ["Uninstalling the existing Velantrix 4.10 installation", ""])
        self.assertTrue(run.lines[2].startswith("Launching uninstaller failed: CreateProcess() failed: Windows error "),
                        run.lines)
        self.assertTrue(run.lines[2].endswith(ABORT))
        self.assertFalse(run.lines[2].endswith("." + ABORT), "the failure's own full stop is dropped")

    def test_an_incomplete_registration_is_not_removed(self):
        for version, command in ((None, "x"), ("4.10", None)):
            self.prefix.remove()
            self.setUp()
            values = {"InstallDir": OLD}
            if version:
                values["Version"] = version
            if command:
                values["UninstallString"] = command
            seed(self.prefix, UNINSTALL_KEY, values)
            run = self.install()
            self.assertEqual(run.returncode, 0, run)
            self.assertNotIn("Uninstalling", run.stdout)

    def test_releases_before_4_07_run_the_embedded_uninstaller_from_a_temporary_copy(self):
        self.register("exit=0", version="4.06")
        run = self.install("-force")
        self.assertEqual(run.lines[0], "Uninstalling the existing Velantrix 4.06 installation")
        self.assertEqual(self.given_command_lines(), [], "the registered command is not run")
        self.prefix.shutdown()
        pending = Registry(self.prefix).value(
            "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager",
            "PendingFileRenameOperations") or []
        copies = [p for p in pending if re.search(r"\\temp\\uninst[0-9a-f]{16}\.exe$", p.lower())]
        self.assertEqual(len(copies), 1, pending)


class RealUninstaller(UninstallerCase):
    """The installation's own uninstaller, run by a second installation."""

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
        # The installer's own copy of its embedded uninstaller waits for the restart too.
        manager = registry[snapshot_key(SESSION_MANAGER)]
        kind, pending = manager[PENDING]
        pairs = list(zip(pending[::2], pending[1::2]))
        ours = [pair for pair in pairs if not INSTALLERS_COPY.search(pair[0].lower())]
        self.assertEqual(len(pairs) - len(ours), 1, pending)
        manager[PENDING] = (kind, [text for pair in ours for text in pair])
        files = {f for f in files if not INSTALLERS_COPY_FILE.search(f)}
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


if __name__ == "__main__":
    unittest.main()
