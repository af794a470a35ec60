"""After the dialog: every question comes as a message box from its owner, a
Yes goes on, a No rolls back and ends with the owner's code, without the
"Installation Error" box."""
import shutil
import unittest

from dialog import InteractiveRun, use_wine_desktop
from registry import Registry, seed
from support import (COMMON_PROGRAMS, IDNO, IDOK, IDYES, INSTALL_DIR, PROBES, UNINSTALL_KEY, BoxWatcher,
                     PrefixCase)

INSTALL, AGREE, RUN_WHEN_DONE = 1, 1006, 1013


class InteractiveFlows(PrefixCase):
    def setUp(self):
        super().setUp()
        use_wine_desktop(self.prefix)

    def install_from_the_dialog(self):
        """Starts the installer, accepts the agreement, leaves out the launch and presses Install."""
        run = InteractiveRun(self.prefix)
        self.addCleanup(self.prefix.kill)
        state = run.look()
        run.click(state[AGREE])
        run.click(state[RUN_WHEN_DONE])
        run.click(run.look()[INSTALL])
        return run

    def test_target_file_exists(self):
        for answer, code in ((IDNO, 104), (IDYES, 0)):
            with self.subTest(answer=answer):
                self.prefix.remove()
                self.setUp()
                self.prefix.host_path(INSTALL_DIR).mkdir(parents=True)
                self.prefix.host_path(INSTALL_DIR + "\\uninst.exe").write_text("an earlier copy")
                question = BoxWatcher(self.prefix, "Target File Exists", answer)
                done = BoxWatcher(self.prefix, "Installation Completed", IDOK) if code == 0 else None
                result = self.install_from_the_dialog().finish()
                self.assertIn(f"Warning: '{INSTALL_DIR}\\uninst.exe' already exists.\\nDo you want it to be "
                              "overwritten?\\nClicking 'Yes' will overwrite the file, clicking 'No' will abort the "
                              "installation.", question.texts())
                self.assertEqual(result.returncode, code, result)
                if code:
                    self.assertIn("Installation canceled by user (file already exists)", result.lines)
                    self.assertNotIn("Installation error", result.stdout)
                    self.assertEqual(result.lines[-1], f"Rollback: removing previously created {INSTALL_DIR}\\"
                                                       "Velantrix.exe", "the package files went, last first")
                    self.assertEqual([p.name for p in self.prefix.host_path(INSTALL_DIR).iterdir()], ["uninst.exe"])
                else:
                    done.texts()
                    self.assertNotEqual(self.prefix.host_path(INSTALL_DIR + "\\uninst.exe").read_text(
                        errors="replace"), "an earlier copy")

    def test_creating_a_shortcut_failed(self):
        menu = COMMON_PROGRAMS + "\\Korvane Velantrix"
        for answer, code in ((IDNO, 105), (IDYES, 0)):
            with self.subTest(answer=answer):
                self.prefix.remove()
                self.setUp()
                self.prefix.host_path(menu + "\\Keypair Manager.lnk").mkdir(parents=True)
                question = BoxWatcher(self.prefix, "Creating Shortcut Failed", answer)
                done = BoxWatcher(self.prefix, "Installation Completed", IDOK) if code == 0 else None
                result = self.install_from_the_dialog().finish()
                self.assertIn(f"Warning: creating shortcut '{menu}\\Keypair Manager.lnk' failed.\\nReason: "
                              "IPersistFile::Save() failed.\\nDo you want to continue with the installation anyway?",
                              question.texts())
                self.assertEqual(result.returncode, code, result)
                if code:
                    self.assertIn("Installation canceled by user (creating shortcut failed)", result.lines)
                    self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists())
                else:
                    done.texts()
                    self.prefix.shutdown()
                    self.assertIsNotNone(Registry(self.prefix).key(UNINSTALL_KEY))

    def test_the_earlier_installation_could_not_be_removed(self):
        old = "C:\\Old Velantrix"
        for answer, code in ((IDNO, 107), (IDYES, 0)):
            with self.subTest(answer=answer):
                self.prefix.remove()
                self.setUp()
                self.prefix.host_path(old).mkdir()
                shutil.copy(PROBES / "UninstallerProbe.exe", self.prefix.host_path(old + "\\UninstallerProbe.exe"))
                seed(self.prefix, UNINSTALL_KEY, {"Version": "4.10", "InstallDir": INSTALL_DIR,
                                                  "UninstallString": f'"{old}\\UninstallerProbe.exe" Velantrix exit=13 '})
                question = BoxWatcher(self.prefix, "Uninstallation failure", answer)
                done = BoxWatcher(self.prefix, "Installation Completed", IDOK) if code == 0 else None
                run = InteractiveRun(self.prefix)
                self.addCleanup(self.prefix.kill)
                state = run.look()
                self.assertEqual(state[INSTALL].text, "Replace", "the same version is there already")
                run.click(state[AGREE])
                run.click(state[RUN_WHEN_DONE])
                run.click(run.look()[INSTALL])
                result = run.finish()
                failure = "Uninstaller failed with error code 13: Uninstallation failed partally or completely"
                self.assertIn(failure + ".\\nDo you want to continue with the installation anyway?", question.texts())
                self.assertEqual(question.default_button(), IDNO, "asked before anything is installed")
                self.assertEqual(result.returncode, code, result)
                self.assertIn("Warning: " + failure, result.lines)
                if code:
                    self.assertEqual(result.lines[-1], "Installation canceled by user (uninstallation failure)")
                else:
                    done.texts()


if __name__ == "__main__":
    unittest.main()
