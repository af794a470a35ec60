"""Libraries planted beside the installer are never loaded."""
import shutil
import unittest

from support import PrefixCase
from wine import DLL_OVERRIDES, PROBES

DOWNLOADS = "C:\\Downloads"
# Wine prefers a native rich edit library wherever the search finds one.
PREFER_NATIVE = {"WINEDLLOVERRIDES": DLL_OVERRIDES + ";riched20=n,b"}


class PlantedLibraries(PrefixCase):
    def plant(self, program):
        folder = self.prefix.host_path(DOWNLOADS)
        folder.mkdir(exist_ok=True)
        shutil.copy(PROBES / "riched20.dll", folder / "riched20.dll")
        shutil.copy(PROBES / program, folder / program)
        return folder

    def test_the_restriction_keeps_loads_by_name_in_the_system_directory(self):
        self.plant("LibraryLoadProbe.exe")
        probe = DOWNLOADS + "\\LibraryLoadProbe.exe"
        unrestricted = self.prefix.run(self.prefix.host_path(probe), "riched20.dll", env=PREFER_NATIVE)
        self.assertEqual(unrestricted.stdout.strip().lower(), (DOWNLOADS + "\\riched20.dll").lower(),
                         "without the restriction the planted library is loaded")
        restricted = self.prefix.run(self.prefix.host_path(probe), "-restricted", "riched20.dll", env=PREFER_NATIVE)
        self.assertEqual(restricted.stdout.strip().lower(), "c:\\windows\\system32\\riched20.dll")

    def test_an_unattended_installation_from_a_downloads_folder_loads_nothing_planted(self):
        folder = self.plant("LibraryLoadProbe.exe")
        shutil.copy(__import__("wine").INSTALLER, folder / "VelantrixInstaller.exe")
        run = self.prefix.run(folder / "VelantrixInstaller.exe", "-installDir=C:\\V", "-acceptEULA",
                              env=PREFER_NATIVE, cwd=folder)
        self.assertEqual(run.returncode, 0, run)
        self.assertFalse((folder / "planted-dll-loaded.txt").exists())


if __name__ == "__main__":
    unittest.main()
