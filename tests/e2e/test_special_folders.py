"""Where shortcuts go when the shell is too old to be asked: the registry, then fixed fallbacks."""
import unittest

from registry import remove_value, seed
from support import INSTALL_DIR, USER_PROGRAMS, PrefixCase, read_links

BROWSER = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer"
MACHINE_FOLDERS = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
USER_FOLDERS = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
USER_SHELL_FOLDERS = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"


class OldShell(PrefixCase):
    def setUp(self):
        super().setUp()
        # Internet Explorer 3: the shell is not asked (and -force accepts the old browser).
        seed(self.prefix, BROWSER, {"Version": "4.70.1300"})

    def first_shortcut_line(self, *options):
        run = self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA", "-force", *options)
        self.assertEqual(run.returncode, 0, run)
        return next(line for line in run.lines if line.startswith("Creating shortcut "))

    def test_the_registry_values_are_used_as_they_stand(self):
        # (Wine's own desktop process rewrites the desktop values when it
        # starts, so only the start menu shows this reliably.)
        seed(self.prefix, MACHINE_FOLDERS, {"Common Programs": "C:\\Menu From Registry"})
        self.prefix.host_path("C:\\Menu From Registry").mkdir()
        run = self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA", "-force")
        menu = "C:\\Menu From Registry\\Korvane Velantrix"
        self.assertIn(f"Creating shortcut {menu}\\Velantrix.lnk", run.lines)
        self.assertEqual(read_links(self.prefix, menu + "\\Velantrix.lnk")[0][0], INSTALL_DIR + "\\velantrix.exe")

    def test_without_the_machine_value_all_users_get_the_users_folder(self):
        remove_value(self.prefix, MACHINE_FOLDERS, "Common Programs")
        self.assertEqual(self.first_shortcut_line(),
                         f"Creating shortcut {USER_PROGRAMS}\\Korvane Velantrix\\Velantrix.lnk")

    def test_user_shell_folders_are_expanded(self):
        remove_value(self.prefix, USER_FOLDERS, "Programs")
        seed(self.prefix, USER_SHELL_FOLDERS, {"Programs": ("expand", "%USERPROFILE%\\Expanded Programs")})
        self.prefix.host_path(USER_PROGRAMS.split("\\AppData")[0] + "\\Expanded Programs").mkdir()
        line = self.first_shortcut_line("-installForMeOnly")
        self.assertNotIn("%", line)
        self.assertTrue(line.endswith("\\Expanded Programs\\Korvane Velantrix\\Velantrix.lnk"), line)


if __name__ == "__main__":
    unittest.main()
