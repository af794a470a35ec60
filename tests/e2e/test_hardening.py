"""Libraries planted beside the installer, or where the uninstaller's copy
runs, are never loaded: neither those the installer loads by name nor those
the system's own libraries pull in. Every planted library leaves a file beside
itself once loaded, and Wine is told to prefer a native copy wherever the
search finds one, as Windows prefers a planted one."""
import shutil
import unittest

from support import PROBES, SYSTEM_LIBRARIES, USER_TEMP, PrefixCase, prefer_native
from uninstalling import D, DISPLAY_NAME, UninstallerCase
from wine import INSTALLER

DOWNLOADS = "C:\\Downloads"
LOADED = "planted-dll-loaded.txt"


def plant(folder, *names):
    folder.mkdir(parents=True, exist_ok=True)
    for name in names:
        shutil.copy(PROBES / "riched20.dll", folder / f"{name}.dll")


class PlantedLibraries(PrefixCase):
    def test_the_restriction_keeps_loads_by_name_in_the_system_directory(self):
        folder = self.prefix.host_path(DOWNLOADS)
        plant(folder, "riched20")
        shutil.copy(PROBES / "LibraryLoadProbe.exe", folder / "LibraryLoadProbe.exe")
        probe = folder / "LibraryLoadProbe.exe"
        env = {"WINEDLLOVERRIDES": prefer_native("riched20")}
        unrestricted = self.prefix.run(probe, "riched20.dll", env=env)
        self.assertEqual(unrestricted.stdout.strip().lower(), (DOWNLOADS + "\\riched20.dll").lower(),
                         "without the restriction the planted library is loaded")
        restricted = self.prefix.run(probe, "-restricted", "riched20.dll", env=env)
        self.assertEqual(restricted.stdout.strip().lower(), "c:\\windows\\system32\\riched20.dll",
                         "the program's own view of the system directory")

    def test_an_unattended_installation_from_a_downloads_folder_loads_nothing_planted(self):
        # Each alone, so that one loaded cannot hide another (a planted
        # version.dll that is loaded ends the run).
        for name in ("riched20",) + SYSTEM_LIBRARIES:
            with self.subTest(name):
                self.prefix.remove()
                self.setUp()
                folder = self.prefix.host_path(DOWNLOADS)
                plant(folder, name)
                shutil.copy(INSTALLER, folder / "VelantrixInstaller.exe")
                run = self.prefix.run(folder / "VelantrixInstaller.exe", "-installDir=C:\\V", "-acceptEULA",
                                      env={"WINEDLLOVERRIDES": prefer_native(name)}, cwd=folder)
                self.assertEqual(run.returncode, 0, run)
                self.assertFalse((folder / LOADED).exists(), f"the planted {name}.dll was loaded")


class PlantedLibrariesForTheUninstaller(UninstallerCase):
    def test_none_planted_where_the_uninstallers_copy_runs_is_loaded(self):
        self.install()
        temp = self.prefix.host_path(USER_TEMP)
        plant(temp, *SYSTEM_LIBRARIES)
        self.prefix.env["WINEDLLOVERRIDES"] = prefer_native(*SYSTEM_LIBRARIES)
        code, lines = self.uninstall("-unat")
        self.assertEqual((code, lines), (0, [f"{DISPLAY_NAME} has been removed"]))
        self.assertFalse((temp / LOADED).exists(), "a library planted in the temporary folder was loaded")
        self.assertFalse(self.exists(D + "\\Velantrix.exe"))


if __name__ == "__main__":
    unittest.main()
