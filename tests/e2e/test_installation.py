"""Complete unattended installations: what the real installer leaves behind."""
import unittest

from registry import INSTALLER_VIEW, REG_DWORD, REG_EXPAND_SZ, VIEW_NATIVE, Registry, seed
from support import (CLASSES, COMMON_DESKTOP, COMMON_PROGRAMS, INSTALL_DIR, MACHINE_ENVIRONMENT, UNINSTALL_KEY,
                     USER_DESKTOP, USER_ENVIRONMENT, USER_PROGRAMS, WOW64, PrefixCase, package_switches, read_links,
                     use_windows_98)

D = INSTALL_DIR
SEMICOLON = "C:\\semi;colon"
SEMICOLON_WARNING = ("Warning: directory 'C:\\semi;colon' was not added to the search path because its name contains a "
                     "semicolon")
DESCRIPTION = ("Korvane Velantrix 4.10 - a general-purpose SSH client: supports tunneling (manual and via integrated "
               "proxy), SFTP file transfer, bridging of FTP clients to SFTP, remote console access and remote "
               "administration of Dravelo.")
SHORTCUTS = [  # link name, target, arguments, description, icon index
    ("Velantrix.lnk", D + "\\velantrix.exe", "", DESCRIPTION, 0),
    ("Proxy Settings.lnk", D + "\\pelmocfg.exe", "-proxy",
     "Korvane Global Proxy Settings - manages your SOCKS or HTTP proxy settings for establishing outgoing SSH "
     "connections.", 0),
    ("Host Key Manager.lnk", D + "\\pelmocfg.exe", "-hostkeys",
     "Korvane Global Host Key Management - manages the list of SSH server host keys that you trust.", 1),
    ("Keypair Manager.lnk", D + "\\pelmocfg.exe", "-keypairs",
     "Korvane Global Keypair Management - manages your SSH user authentication keypairs.", 2),
    ("Uninstall Velantrix.lnk", D + "\\uninst.exe", "Velantrix", "Uninstall Korvane Velantrix 4.10.", 0),
]
# The machine's environment key as the installer names it in the uninstall record.
MACHINE_ENVIRONMENT_AS_WRITTEN = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"
PROFILE = CLASSES + "\\Korvane.Velantrix.4.10.Profile"
SETTINGS = CLASSES + "\\Korvane.Velantrix.4.10.Settings"


def expected_uninstall_params(directory, menu, desktop, search_path=None):
    """search_path: the environment key the directory was added to (recorded last, once made)."""
    items = ['"-shareResWith=Dravelo"', f'"-delDir={directory}"']
    items += package_switches(directory)
    items += [f'"-delDir={menu}"']
    items += [f'"-delFile={menu}\\{link[0]}"' for link in SHORTCUTS]
    if desktop:
        items.append(f'"-delFile={desktop}\\Velantrix.lnk"')
    for key in [CLASSES + "\\.vxp", PROFILE + "\\DefaultIcon", PROFILE + "\\Shell\\Open\\command",
                PROFILE + "\\Shell\\Open", PROFILE + "\\Shell\\Connect\\command", PROFILE + "\\Shell\\Connect",
                PROFILE + "\\Shell", PROFILE, CLASSES + "\\.dvs", SETTINGS + "\\DefaultIcon",
                SETTINGS + "\\Shell\\Manage\\command", SETTINGS + "\\Shell\\Manage", SETTINGS + "\\Shell", SETTINGS]:
        items.append(f'"-delRegKey={key}"')
    items.append('"-rstFileAssoc=.dvs:Korvane.Velantrix.4.10.Settings"')
    items.append('"-delRegKey=HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velantrix"')
    if search_path:
        items.append(f'"-delPathEntry={search_path}:{directory}"')
    return " ".join(items)


class Installation(PrefixCase):
    def install(self, *options):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", *options)
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed")
        return run

    def check_shortcuts(self, menu, desktop):
        paths = [f"{menu}\\{link[0]}" for link in SHORTCUTS] + ([f"{desktop}\\Velantrix.lnk"] if desktop else [])
        links = read_links(self.prefix, *paths)
        expected = [(target, args, D, description, target, index) for _, target, args, description, index in SHORTCUTS]
        if desktop:
            expected.append((D + "\\velantrix.exe", "", D, DESCRIPTION, D + "\\velantrix.exe", 0))
        self.assertEqual(links, expected)

    def test_for_all_users(self):
        run = self.install()
        menu = COMMON_PROGRAMS + "\\Korvane Velantrix"
        self.assertEqual([line for line in run.lines if line.startswith("Creating shortcut")],
                         [f"Creating shortcut {menu}\\{link[0]}" for link in SHORTCUTS] +
                         [f"Creating shortcut {COMMON_DESKTOP}\\Velantrix.lnk"])
        self.assertEqual(run.lines[-4:], ["Registering file association for extension '.vxp'",
                                          "Registering file association for extension '.dvs'",
                                          "Registering uninstaller",
                                          "Korvane Velantrix 4.10 installation completed"])
        self.check_shortcuts(menu, COMMON_DESKTOP)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        key = registry.key(UNINSTALL_KEY)
        self.assertEqual(key.names(), ["DisplayIcon", "DisplayName", "DisplayVersion", "EstimatedSize", "InstallDir",
                                       "InstallLocation", "NoModify", "NoRepair", "Publisher", "QuietUninstallString", "UninstallParam",
                                       "UninstallString", "Version"])
        self.assertEqual(key.get("DisplayName"), "Korvane Velantrix 4.10 (remove only)")
        self.assertEqual(key.get("DisplayIcon"), D + "\\uninst.exe")
        self.assertEqual(key.get("UninstallString"), f'"{D}\\uninst.exe" Velantrix ')
        self.assertEqual(key.get("InstallDir"), D)
        self.assertEqual(key.get("InstallLocation"), D)
        self.assertEqual(key.get("Version"), "4.10")
        # What deployment tools read: strings, and numbers as REG_DWORD.
        self.assertEqual(key.get("DisplayVersion"), "4.10")
        self.assertEqual(key.get("Publisher"), "Korvane")
        self.assertEqual(key.get("QuietUninstallString"), f'"{D}\\uninst.exe" Velantrix  -unat',
                         "the UninstallString as it stands, and -unat")
        installed = sum(f.stat().st_size for f in self.prefix.host_path(D).iterdir())
        self.assertEqual([f.name for f in self.prefix.host_path(D).iterdir() if not f.is_file()], [])
        self.assertEqual(key.get("EstimatedSize"), -(-installed // 1024), "the files' KiB, rounded up")
        for name in ("EstimatedSize", "NoModify", "NoRepair"):
            self.assertEqual(key.type_of(name), REG_DWORD, name)
        self.assertEqual((key.get("NoModify"), key.get("NoRepair")), (1, 1))
        self.assertEqual(key.get("UninstallParam"),
                         expected_uninstall_params(D, menu, COMMON_DESKTOP, MACHINE_ENVIRONMENT_AS_WRITTEN))
        # The associations, every value the default one.
        self.assertEqual(registry.value(CLASSES + "\\.vxp", ""), "Korvane.Velantrix.4.10.Profile")
        self.assertEqual(registry.value(PROFILE, ""), "Korvane Velantrix profile file")
        self.assertEqual(registry.value(PROFILE + "\\DefaultIcon", ""), D + "\\velantrix.exe,68")
        self.assertEqual(registry.value(PROFILE + "\\Shell", ""), "Open")
        self.assertEqual(registry.value(PROFILE + "\\Shell\\Open", ""), "Open")
        self.assertEqual(registry.value(PROFILE + "\\Shell\\Open\\command", ""), f'"{D}\\Velantrix.exe" -profile="%1"')
        self.assertEqual(registry.value(PROFILE + "\\Shell\\Connect\\command", ""),
                         f'"{D}\\Velantrix.exe" -profile="%1" -connectOnStartup')
        self.assertEqual(registry.value(CLASSES + "\\.dvs", ""), "Korvane.Velantrix.4.10.Settings")
        self.assertEqual(registry.value(SETTINGS + "\\DefaultIcon", ""), D + "\\dravcfg.exe,3")
        self.assertEqual(registry.value(SETTINGS + "\\Shell", ""), "Manage")
        self.assertEqual(registry.value(SETTINGS + "\\Shell\\Manage\\command", ""), f'"{D}\\Dravcfg.exe" "%1"')
        # The search path: the machine's, as REG_EXPAND_SZ, the directory appended once.
        environment = registry.key(MACHINE_ENVIRONMENT)
        self.assertEqual(environment.type_of("PATH"), REG_EXPAND_SZ)
        self.assertTrue(environment.get("PATH").endswith(";" + D), environment.get("PATH"))
        self.assertIsNone(registry.value(USER_ENVIRONMENT, "PATH"))

    def test_the_registration_is_in_the_installers_registry_view(self):
        """The shipped 32-bit build on 64-bit Windows writes HKEY_LOCAL_MACHINE\\Software
        in the 32-bit view, which 64-bit programs see under Wow6432Node; the
        environment is one key for both views."""
        self.install()
        self.prefix.shutdown()
        ours, native = Registry(self.prefix), Registry(self.prefix, VIEW_NATIVE)
        self.assertEqual(ours.value(UNINSTALL_KEY, "InstallDir"), D, INSTALLER_VIEW)
        wow64_key = UNINSTALL_KEY.replace("\\Software\\", "\\Software\\Wow6432Node\\", 1)
        if WOW64:
            self.assertEqual(native.value(wow64_key, "InstallDir"), D, "64-bit programs see it under Wow6432Node")
            self.assertIsNone(native.key(UNINSTALL_KEY), "the 64-bit view has no registration of a 32-bit build")
        else:
            self.assertFalse(native.exists(wow64_key), "nothing in a 32-bit program's view")
        self.assertTrue(native.value(MACHINE_ENVIRONMENT, "PATH").endswith(";" + D), "the environment is shared")

    def test_for_me_only_without_desktop_icon(self):
        run = self.install("-installForMeOnly", "/NODESKTOPICON")
        menu = USER_PROGRAMS + "\\Korvane Velantrix"
        self.assertNotIn(f"Creating shortcut {USER_DESKTOP}\\Velantrix.lnk", run.lines)
        self.check_shortcuts(menu, None)
        self.assertFalse(self.prefix.host_path(USER_DESKTOP + "\\Velantrix.lnk").exists())
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertEqual(registry.value(UNINSTALL_KEY, "UninstallParam"),
                         expected_uninstall_params(D, menu, None, USER_ENVIRONMENT),
                         "the registration is the machine's even for one user; the search path the user's")
        self.assertEqual(registry.value(USER_ENVIRONMENT, "PATH"), D, "created holding the directory alone")
        self.assertFalse(registry.value(MACHINE_ENVIRONMENT, "PATH").endswith(D))

    def test_for_me_only_with_desktop_icon(self):
        self.install("-installForMeOnly")
        self.check_shortcuts(USER_PROGRAMS + "\\Korvane Velantrix", USER_DESKTOP)

    def test_installing_twice_does_not_repeat_the_search_path(self):
        self.install()
        self.install("-force")
        self.prefix.shutdown()
        path = Registry(self.prefix).value(MACHINE_ENVIRONMENT, "PATH")
        self.assertEqual(path.lower().count(D.lower()), 1, path)


class ShortcutFailure(PrefixCase):
    """The fourth shortcut cannot be saved: a folder stands where its file would go."""

    def setUp(self):
        super().setUp()
        self.menu = COMMON_PROGRAMS + "\\Korvane Velantrix"
        self.prefix.host_path(self.menu + "\\Keypair Manager.lnk").mkdir(parents=True)

    def test_without_force_the_run_ends_with_105_after_the_rollback(self):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 105)
        failed = run.lines.index(f"Creating shortcut '{self.menu}\\Keypair Manager.lnk' failed: "
                                 "IPersistFile::Save() failed, aborting")
        rollback = run.lines[failed + 1:]
        self.assertEqual(rollback[:3], [
            f"Rollback: removing previously created shortcut {self.menu}\\Host Key Manager.lnk",
            f"Rollback: removing previously created shortcut {self.menu}\\Proxy Settings.lnk",
            f"Rollback: removing previously created shortcut {self.menu}\\Velantrix.lnk",
        ])
        self.assertEqual(rollback[-1], f"Rollback: removing previously created {D}",
                         "the start-menu folder existed before and stays; the directory goes last")
        self.assertFalse(self.prefix.host_path(D).exists())
        self.assertEqual([p.name for p in self.prefix.host_path(self.menu).iterdir()], ["Keypair Manager.lnk"])

    def test_with_force_it_warns_and_goes_on_without_the_shortcut(self):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", "-force")
        self.assertEqual(run.returncode, 0, run)
        self.assertIn(f"Warning: creating shortcut '{self.menu}\\Keypair Manager.lnk' failed: IPersistFile::Save() "
                      "failed", run.lines)
        self.prefix.shutdown()
        params = Registry(self.prefix).value(UNINSTALL_KEY, "UninstallParam")
        self.assertNotIn("Keypair Manager.lnk", params, "a shortcut that was not made is not recorded")
        self.assertIn(f'"-delFile={self.menu}\\Uninstall Velantrix.lnk"', params)


class SearchPath(PrefixCase):
    def run_with_paths(self, machine, user, *options, directory=D):
        values = {"PATH": ("expand", machine)} if machine is not None else {}
        seed(self.prefix, MACHINE_ENVIRONMENT, values)
        if user is not None:
            seed(self.prefix, USER_ENVIRONMENT, {"PATH": user})
        run = self.prefix.install(f"-installDir={directory}", "-acceptEULA", *options)
        self.assertEqual(run.returncode, 0, run)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        return registry.value(MACHINE_ENVIRONMENT, "PATH"), registry.value(USER_ENVIRONMENT, "PATH")

    def test_all_users_appends_to_a_machine_path_of_two_items(self):
        self.assertEqual(self.run_with_paths("C:\\a;C:\\b", None), ("C:\\a;C:\\b;" + D, None))

    def test_present_in_other_letter_case_is_left_alone(self):
        self.assertEqual(self.run_with_paths("C:\\a;" + D.upper(), "x", "-installForMeOnly"),
                         ("C:\\a;" + D.upper(), "x"), "the machine's entry serves the user too")

    def test_per_user_appends_to_the_users_path(self):
        self.assertEqual(self.run_with_paths("C:\\a", "C:\\u", "-installForMeOnly"), ("C:\\a", "C:\\u;" + D))

    def test_a_trailing_backslash_makes_a_second_entry(self):
        machine, _ = self.run_with_paths("C:\\a;" + D, None, directory=D + "\\")
        self.assertEqual(machine, "C:\\a;" + D + ";" + D + "\\")

    def test_a_plain_string_path_is_read_and_written_back_expandable(self):
        seed(self.prefix, MACHINE_ENVIRONMENT, {"PATH": "C:\\plain"})
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        self.prefix.shutdown()
        key = Registry(self.prefix).key(MACHINE_ENVIRONMENT)
        self.assertEqual((key.get("PATH"), key.type_of("PATH")), ("C:\\plain;" + D, REG_EXPAND_SZ))

    def test_windows_98_appends_to_autoexec(self):
        use_windows_98(self.prefix)
        autoexec = self.prefix.host_path("C:\\AUTOEXEC.BAT")
        autoexec.write_bytes(b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n")
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        text = autoexec.read_bytes().decode("latin-1")
        self.assertTrue(text.startswith("@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n\r\nPATH=%PATH%;C:\\"), text)
        self.assertTrue(text.endswith("\r\n"))
        added = text.split("PATH=%PATH%;")[1].strip()
        self.assertNotIn(" ", added, "the short form of the directory")
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", "-force")
        self.assertEqual(run.returncode, 0, run)
        self.assertEqual(autoexec.read_bytes().decode("latin-1"), text, "present now: nothing appended")

    def test_a_folder_with_a_semicolon_is_left_out_of_the_search_path(self):
        # The entry would split into a stray "C:\\semi" and a relative "colon".
        # Table: options, why. Each case installs twice: a reinstall adds nothing either.
        cases = [
            ([], "all users: the machine's path"),
            (["-installForMeOnly"], "per user: the user's path"),
        ]
        for options, why in cases:
            with self.subTest(options=options):
                self.prefix.remove()
                self.setUp()
                seed(self.prefix, MACHINE_ENVIRONMENT, {"PATH": ("expand", "C:\\a;C:\\b")})
                seed(self.prefix, USER_ENVIRONMENT, {"PATH": "C:\\u"})
                for _ in range(2):
                    run = self.prefix.install(f"-installDir={SEMICOLON}", "-acceptEULA", *options)
                    self.assertEqual(run.returncode, 0, (why, run))
                    self.assertIn(SEMICOLON_WARNING, run.lines, why)
                    self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed", why)
                self.prefix.shutdown()
                registry = Registry(self.prefix)
                paths = registry.value(MACHINE_ENVIRONMENT, "PATH"), registry.value(USER_ENVIRONMENT, "PATH")
                self.assertEqual(paths, ("C:\\a;C:\\b", "C:\\u"), why)

    def test_windows_98_adds_the_short_form_of_a_folder_with_a_semicolon(self):
        # AUTOEXEC.BAT gets the short form, and a short name holds no semicolon:
        # a sound entry, added once and without a warning.
        use_windows_98(self.prefix)
        autoexec = self.prefix.host_path("C:\\AUTOEXEC.BAT")
        autoexec.write_bytes(b"@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n")
        for _ in range(2):
            run = self.prefix.install(f"-installDir={SEMICOLON}", "-acceptEULA")
            self.assertEqual(run.returncode, 0, run)
            self.assertNotIn(SEMICOLON_WARNING, run.lines)
        text = autoexec.read_bytes().decode("latin-1")
        self.assertTrue(text.startswith("@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n\r\nPATH=%PATH%;C:\\"), text)
        self.assertEqual(text.count("PATH=%PATH%;"), 1, text)
        added = text.split("PATH=%PATH%;")[1].strip()
        self.assertNotIn(";", added, "the short form")


if __name__ == "__main__":
    unittest.main()
