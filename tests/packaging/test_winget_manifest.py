"""The winget manifest of the shipped installer: valid against winget's
schemas, true to the installer file, a response for every exit code.

The installer is build/x86/VelantrixInstaller.exe, or the file that
VELANTRIX_X86_INSTALLER names."""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import yaml

ROOT = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "scripts" / "winget_manifest.py"
INSTALLER = pathlib.Path(os.environ.get("VELANTRIX_X86_INSTALLER", ROOT / "build" / "x86" / "VelantrixInstaller.exe"))
sys.path.insert(0, str(SCRIPT.parent))
import winget_manifest  # noqa: E402


def run_script(*args):
    return subprocess.run([sys.executable, str(SCRIPT), *map(str, args)], capture_output=True, text=True)


class WingetManifest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not INSTALLER.is_file():
            raise AssertionError(f"{INSTALLER} is missing: build the x86 preset or set VELANTRIX_X86_INSTALLER")
        cls.temp = tempfile.TemporaryDirectory()
        cls.manifest_dir = pathlib.Path(cls.temp.name) / "manifest"
        written = run_script("--installer", INSTALLER, "--out", cls.manifest_dir)
        if written.returncode != 0:
            raise AssertionError(f"the generator failed: {written.stderr}")
        cls.installer_manifest = yaml.safe_load(
            (cls.manifest_dir / "Korvane.Velantrix.installer.yaml").read_text(encoding="utf-8"))

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def copy_of_manifest(self):
        copy = pathlib.Path(tempfile.mkdtemp(dir=self.temp.name))
        shutil.copytree(self.manifest_dir, copy, dirs_exist_ok=True)
        return copy

    def test_the_manifest_of_the_built_installer_passes_the_check(self):
        self.assertEqual(sorted(path.name for path in self.manifest_dir.iterdir()),
                         ["Korvane.Velantrix.installer.yaml", "Korvane.Velantrix.locale.en-US.yaml",
                          "Korvane.Velantrix.yaml"])
        checked = run_script("--check", self.manifest_dir, "--installer", INSTALLER)
        self.assertEqual((checked.returncode, checked.stderr), (0, ""))

    def test_the_check_fails_for_another_installer_or_a_manifest_off_the_schema(self):
        def changed_installer(manifest_dir, installer):
            data = bytearray(installer.read_bytes())
            data[len(data) // 2] ^= 0x01
            installer.write_bytes(data)

        def changed_file(name, old, new):
            def change(manifest_dir, installer):
                path = manifest_dir / name
                path.write_text(path.read_text(encoding="utf-8").replace(old, new, 1), encoding="utf-8")
            return change

        cases = [
            ("one byte of the installer changed", changed_installer, "InstallerSha256"),
            ("a response winget does not know", changed_file(
                "Korvane.Velantrix.installer.yaml", "ReturnResponse: packageInUse", "ReturnResponse: retryLater"),
             "ExpectedReturnCodes/"),
            ("a required field missing", changed_file(
                "Korvane.Velantrix.locale.en-US.yaml", "ShortDescription:", "Summary:"), "'ShortDescription'"),
            ("the files disagree on the version", changed_file(
                "Korvane.Velantrix.yaml", "PackageVersion: '4.10'", "PackageVersion: '4.11'"), "different packages"),
        ]
        for why, change, expected in cases:
            with self.subTest(why):
                manifest_dir = self.copy_of_manifest()
                installer = manifest_dir / "VelantrixInstaller.exe"
                shutil.copyfile(INSTALLER, installer)
                change(manifest_dir, installer)
                checked = run_script("--check", manifest_dir, "--installer", installer)
                self.assertEqual(checked.returncode, 1, why)
                self.assertIn(expected, checked.stderr, why)

    def test_every_exit_code_but_0_has_its_response(self):
        header = (ROOT / "install" / "ExitCodes.h").read_text()
        codes = {int(code) for code in re.findall(r"constexpr int k\w+ = (-?\d+);", header)}
        listed = {entry["InstallerReturnCode"]: entry["ReturnResponse"]
                  for entry in self.installer_manifest["ExpectedReturnCodes"]}
        self.assertEqual(set(listed), codes - {0})
        for code, response in [(130, "systemNotSupported"), (201, "invalidParameter"), (202, "cancelledByUser"),
                               (1618, "installInProgress"), (108, "packageInUse"), (140, "invalidParameter")]:
            self.assertEqual(listed[code], response, code)

    def test_a_code_with_no_response_stops_the_generator(self):
        header = "inline constexpr int kInstalled = 0;\ninline constexpr int kDialogCancelled = 202;\n"
        self.assertEqual(
            winget_manifest.expected_return_codes(header + "inline constexpr int kRestartNeeded = 3010;\n"),
            [{"InstallerReturnCode": 202, "ReturnResponse": "cancelledByUser"},
             {"InstallerReturnCode": 3010, "ReturnResponse": "rebootRequiredToFinish"}])
        for text, message in [(header + "inline constexpr int kDiskFull = 4242;\n", "kDiskFull = 4242"),
                              ("namespace exit_code {}\n", "no exit codes")]:
            with self.subTest(message), self.assertRaisesRegex(winget_manifest.ManifestError, message):
                winget_manifest.expected_return_codes(text)

    def test_switches_and_registration_are_the_installers(self):
        manifest = self.installer_manifest
        switches = manifest["InstallerSwitches"]
        for mode in ("Silent", "SilentWithProgress"):
            self.assertIn("-acceptEULA", switches[mode].split(), mode)
        self.assertEqual((switches["InstallLocation"], switches["Log"]),
                         ('-installDir="<INSTALLPATH>"', '-log="<LOGPATH>"'))
        self.assertEqual((manifest["InstallerType"], manifest["Scope"], manifest["UpgradeBehavior"]),
                         ("exe", "machine", "install"))
        self.assertEqual(manifest["AppsAndFeaturesEntries"], [{
            "DisplayName": "Korvane Velantrix 4.10 (remove only)", "Publisher": "Korvane",
            "DisplayVersion": "4.10", "ProductCode": "Velantrix", "InstallerType": "exe"}])

    def test_rtf_becomes_plain_text(self):
        cases = [
            (r"{\rtf1{\fonttbl{\f0 Arial;}}\pard{\b Title\par}Body text.\par}", "Title\nBody text."),
            (r"{\rtf1{\*\generator Writer;}Copyright \'a9 Korvane\par}", "Copyright \N{COPYRIGHT SIGN} Korvane"),
            (r"{\rtf1 Braces \{ and \} and a \\ backslash\line next\par}",
             "Braces { and } and a \\ backslash\nnext"),
        ]
        for rtf, text in cases:
            self.assertEqual(winget_manifest.rtf_to_text(rtf), text, rtf)


if __name__ == "__main__":
    unittest.main()
