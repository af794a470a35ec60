"""Removal as deployment tools do it: they run the registration's
QuietUninstallString with CreateProcess as it stands and trust the exit code
the moment the process ends (DeploymentProbe). By then the removal is done,
but for the uninstaller's own file and folder, which go once it has ended."""
import re
import shutil
import subprocess
import unittest

from registry import Registry, remove_value
from support import FAULTY, INSTALL_DIR, PROBES, UNINSTALL_KEY
from uninstalling import UninstallerCase

D = INSTALL_DIR
OWN = [D, D + "\\uninst.exe"]  # in use by the uninstaller's original until it has ended
LISTED_PATH = re.compile(r'"-(?:delFile|delMainFile|delDir)=([^"]*)"')
NOT_A_FILE = D + "\\readme.txt"


def param_string_gone(case):
    case.prefix.shutdown()
    remove_value(case.prefix, UNINSTALL_KEY, "UninstallParam")


def file_replaced_by_a_folder(case):
    case.prefix.host_path(NOT_A_FILE).unlink()
    case.make_files(NOT_A_FILE + "\\inside.txt")


def uninstaller_of_the_test_build(case):
    # Its copy can be made to fail handing over the result (VELANTRIX_FAIL_AT).
    shutil.copy(FAULTY.parent / "product" / "uninst.exe", case.prefix.host_path(D + "\\uninst.exe"))


class QuietUninstallString(UninstallerCase):
    def setUp(self):
        super().setUp()
        self.install()
        self.prefix.shutdown()
        registration = Registry(self.prefix).key(UNINSTALL_KEY)
        self.command = registration.get("QuietUninstallString")
        self.listed = LISTED_PATH.findall(registration.get("UninstallParam"))
        self.assertIn(D + "\\uninst.exe", self.listed)

    def deploy(self, env=None):
        """The exit code, and what the probe found the moment the process ended."""
        process = self.prefix.start(PROBES / "DeploymentProbe.exe", "Velantrix", *self.listed, env=env)
        run = self.prefix.finish(process)
        subprocess.run(["wineserver", "-w"], env=self.prefix.env, check=True, timeout=120)
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.lines[0], "command " + self.command, "run as it stands")
        found = {"window": [], "present": [], "gone": []}
        code = registration = None
        for line in run.lines[1:]:
            word, _, rest = line.partition(" ")
            if word == "exit":
                code = int(rest)
            elif word == "registration":
                registration = rest
            elif word in found:
                found[word].append(rest)
        self.assertEqual(found["window"], [], "no window, whatever the outcome")
        return code, registration, found["present"]

    def test_exit_code_tells_the_outcome_once_the_removal_is_done(self):
        everything = self.listed
        cases = [  # what became of the installation, environment, exit code, the registration when the process
            # ended, what was still there then (its own file and folder aside) and after every process ended
            (None, None, 0, "gone", [], [],
             "removed: all of it gone by the time the process ends"),
            (param_string_gone, None, 12, "present", everything, everything,
             "the registration cannot be loaded: nothing is removed"),
            (file_replaced_by_a_folder, None, 13, "gone", [NOT_A_FILE], [D, NOT_A_FILE],
             "what cannot be removed stays (and its folder), the rest is gone by the time the process ends"),
            (uninstaller_of_the_test_build, {"VELANTRIX_FAIL_AT": "SetEvent"}, 14, "gone", None, None,
             "the copy ended without handing over its result: a failure of its own, and no waiting for ever"),
        ]
        for change, env, code, registration, at_the_end, afterwards, why in cases:
            with self.subTest(why):
                if change is not None:
                    self.prefix.remove()
                    self.setUp()
                    change(self)
                exit_code, registered, present = self.deploy(env)
                self.assertEqual((exit_code, registered), (code, registration), why)
                if at_the_end is not None:
                    self.assertEqual([p for p in present if p not in OWN], [p for p in at_the_end if p not in OWN],
                                     why)
                if afterwards is not None:
                    self.assertEqual([p for p in self.listed if self.exists(p)], afterwards, why)

if __name__ == "__main__":
    unittest.main()
