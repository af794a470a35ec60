"""Where shortcuts go when the shell is too old to be asked: the registry, then
fixed fallbacks; and when no one knows the folder."""
import re
import unittest

from registry import Registry, remove_value, seed
from uninstalling import UninstallerCase
from support import FAULTY, INSTALL_DIR, UNINSTALL_KEY, USER_PROGRAMS, PrefixCase, read_links

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


MENU_LINKS = ["Velantrix.lnk", "Proxy Settings.lnk", "Host Key Manager.lnk", "Keypair Manager.lnk",
              "Uninstall Velantrix.lnk"]
UNKNOWN = "the folder it belongs in is unknown"


class UnknownProgramsFolder(UninstallerCase):
    """Neither the shell nor the registry knows the user's programs folder."""

    def setUp(self):
        super().setUp()
        remove_value(self.prefix, USER_FOLDERS, "Programs")
        remove_value(self.prefix, USER_SHELL_FOLDERS, "Programs")
        # A relative path would land in the installer's current folder.
        self.current = self.prefix.host_path("C:\\current")
        self.current.mkdir()

    def test_with_force_each_menu_shortcut_is_a_warning_and_skipped(self):
        seed(self.prefix, BROWSER, {"Version": "4.70.1300"})  # the shell is not asked; -force accepts it
        run = self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA", "-force", "-installForMeOnly",
                                  cwd=self.current)
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual([line for line in run.lines if UNKNOWN in line],
                         [f"Warning: creating shortcut '{name}' failed: {UNKNOWN}" for name in MENU_LINKS])
        self.assertEqual(list(self.current.iterdir()), [])
        self.prefix.shutdown()
        items = re.findall(r'"-del(?:Dir|File|MainFile)=([^"]*)"', Registry(self.prefix).value(UNINSTALL_KEY,
                                                                                                "UninstallParam"))
        self.assertTrue(items)
        self.assertEqual([item for item in items if not re.match(r"^[A-Z]:\\", item)], [], "only absolute paths")
        code, lines = self.uninstall("-unat")
        self.assertIn(code, (0, 1), lines)  # 1: handed over to its temporary copy
        self.prefix.shutdown()
        self.assertFalse(Registry(self.prefix).exists(UNINSTALL_KEY), "the product could be uninstalled")

    def test_without_force_the_first_menu_shortcut_ends_the_run(self):
        run = self.prefix.run(FAULTY, f"-installDir={INSTALL_DIR}", "-acceptEULA", "-installForMeOnly",
                              env={"VELANTRIX_FAIL_AT": "SHGetSpecialFolderPathA#*"}, cwd=self.current)
        self.assertEqual(run.returncode, 105, run)
        aborted = run.lines.index(f"Creating shortcut 'Velantrix.lnk' failed: {UNKNOWN}, aborting")
        self.assertEqual(run.lines[aborted + 1], f"Rollback: removing previously created {INSTALL_DIR}\\uninst.exe")
        self.assertEqual(list(self.current.iterdir()), [])
        self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists())


if __name__ == "__main__":
    unittest.main()
