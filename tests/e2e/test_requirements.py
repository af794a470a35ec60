"""The system requirements gate, on systems Wine pretends to be."""
import unittest

from registry import remove_value, seed
from support import IDCANCEL, IDNO, IDYES, BoxWatcher, PrefixCase
from wine import Prefix

REQUIREMENT = "Velantrix requires Windows 98 or Windows NT 4.0 SP3 and Internet Explorer 4.0, or higher"
BROWSER = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer"
MISSING_AGREEMENT = "Missing -acceptEULA parameter to indicate your acceptance of the Velantrix\n"


def windows_version(name):
    return lambda prefix: seed(prefix, "HKEY_CURRENT_USER\\Software\\Wine", {"Version": name})


def nt4_service_pack(number):
    """Windows NT 4.0 with a service pack, described in the registry as the system does."""
    def setup(prefix):
        seed(prefix, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion",
             {"CurrentVersion": "4.0", "CurrentBuild": "1381", "CurrentBuildNumber": "1381",
              "CSDVersion": f"Service Pack {number}"})
        seed(prefix, "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Windows", {"CSDVersion": number << 8})
    return setup


def browser(values, removed=("Version",)):
    def setup(prefix):
        for name in removed:
            remove_value(prefix, BROWSER, name)
        seed(prefix, BROWSER, values)
    return setup


CASES = [  # setup, passes, why
    (windows_version("win95"), False, "Windows 95 (1, 4, 0)"),
    (windows_version("win98"), True, "Windows 98 (1, 4, 10)"),
    (windows_version("winme"), True, "Windows Me (1, 4, 90)"),
    (windows_version("nt351"), False, "Windows NT 3.51"),
    (nt4_service_pack(2), False, "Windows NT 4.0 with service pack 2"),
    (nt4_service_pack(3), True, "Windows NT 4.0 with service pack 3"),
    (windows_version("win2k"), True, "Windows 2000"),
    (browser({"Version": "4.71.1712"}), True, "Internet Explorer 4.0"),
    (browser({"Version": "4.70.1300"}), False, "Internet Explorer 3"),
    (browser({"IVer": "103", "Build": "1712"}, ("Version", "Build")), False, "IVer 103 with build 1712: 4.70.1712"),
    (browser({"IVer": "101"}), False, "IVer 101"),
    (browser({}), False, "no browser version at all"),
    (browser({"Version": 4}), False, "a REG_DWORD version is no version"),
]


class Requirements(PrefixCase):
    def test_the_requirement_table(self):
        for setup, passes, why in CASES:
            with self.subTest(why):
                prefix = self.fresh_prefix()
                setup(prefix)
                # Without -acceptEULA the run ends right after the check.
                run = prefix.install("-installDir=C:\\V")
                if passes:
                    self.assertEqual((run.returncode, run.stdout), (140, ""), why)
                else:
                    self.assertEqual((run.returncode, run.stdout, run.stderr),
                                     (130, REQUIREMENT + " (use /Force flag to override version checking); aborting\n",
                                      ""), why)
                    run = prefix.install("-installDir=C:\\V", "-force")
                    self.assertEqual((run.returncode, run.stdout), (140, "Warning: " + REQUIREMENT + "\n"), why)
                    self.assertTrue(run.stderr.startswith(MISSING_AGREEMENT))
                prefix.remove()

    def fresh_prefix(self):
        return Prefix("requirement")

    def test_interactive_question_defaults_to_no(self):
        windows_version("win95")(self.prefix)
        box = BoxWatcher(self.prefix, "Unsupported OS Version Detected", IDNO)
        run = self.prefix.install()
        self.assertEqual(box.default_button(), IDNO, "Enter answers No")
        self.assertEqual((run.returncode, run.stdout), (130, ""), "a No ends silently")

    def test_interactive_yes_goes_on(self):
        windows_version("win95")(self.prefix)
        box = BoxWatcher(self.prefix, "Unsupported OS Version Detected", IDYES)
        dialog = BoxWatcher(self.prefix, "Korvane Velantrix 4.10 Installer", IDCANCEL)
        run = self.prefix.install()
        dialog.texts()
        self.assertIn("The minimum requirements for installing Velantrix are:\\n- Windows 98 or Windows NT 4.0 SP3,\\n"
                      "- Internet Explorer 4.0.\\n\\nDoes your system meet Velantrix minimum requirements?",
                      box.texts())
        self.assertEqual(run.returncode, 202, "the dialog came next, and was cancelled")



if __name__ == "__main__":
    unittest.main()
