"""Shared pieces of the end-to-end cases."""
import os
import pwd
import shutil
import threading
import unittest

from wine import BUILD, FAULTY, INSTALLER, PROBES, WOW64, Prefix  # noqa: F401  (re-exported for the cases)

USAGE = (
    "This program will install Korvane Velantrix 4.10\n"
    "on the machine it is being run on.\n"
    "\n"
    "Velantrix is an SSH2 client for Windows 98/Me/NT/2000/XP/2003.\n"
    "For more information, please visit www.velantrix.korvane.example.\n"
    "\n"
    "If this program is run without command line options, installation\n"
    "will be performed in interactive mode. If run with command line\n"
    "options, installation will be performed in unattended mode.\n"
    "\n"
    "Usage (unattended mode only):\n"
    " VelantrixInstaller -installDir=directory\n"
    "                    [-acceptEULA] [-force] [-noRollback]\n"
    "                    [-installForMeOnly] [-noDesktopIcon]\n"
    "\n"
)

# What a failed integrity check prints (exit code 90).
INTEGRITY_FAILURE_LINES = ("Installer integrity check failed: this distributable appears to have been\n"
                           "damaged during transmission or in the process of being stored to your hard\n"
                           "drive. Please try again with a freshly downloaded copy.\n")


class PrefixCase(unittest.TestCase):
    """Each test gets a fresh prefix, removed afterwards unless KEEP_PREFIXES is set."""

    def setUp(self):
        self.prefix = Prefix(self.id().split(".")[-1])
        self.addCleanup(self._end_prefix)

    def _end_prefix(self):
        if os.environ.get("KEEP_PREFIXES"):
            self.prefix.shutdown()
        else:
            self.prefix.remove()


def run_for_exit_code(prefix, program, *args, env=None):
    """The lines of a run and its whole exit code, as GetExitCodeProcess gives
    it: a Unix parent gets codes above 255 cut to 8 bits."""
    run = prefix.run(PROBES / "WindowProbe.exe", "run", program, *args, env=env)
    *lines, last = run.lines
    assert last.startswith("exit code "), run
    return lines, int(last.split()[-1])


def copy_into_prefix(prefix, host_file):
    """A program of the build, copied into the prefix (a Windows path for WindowProbe to start)."""
    target = prefix.host_path("C:\\Programs")
    target.mkdir(exist_ok=True)
    shutil.copy(host_file, target / host_file.name)
    return "C:\\Programs\\" + host_file.name


class BoxWatcher:
    """Answers one message box while the program under test runs: waits for the
    box, records its texts (WindowProbe's "class|id|text" lines), presses a button."""

    def __init__(self, prefix, title, button_id, timeout_ms=60000):
        self.result = None
        self._prefix = prefix
        self._thread = threading.Thread(
            target=self._watch, args=(prefix, title, button_id, timeout_ms), daemon=True)
        self._thread.start()

    def _watch(self, prefix, title, button_id, timeout_ms):
        self.result = prefix.probe("WindowProbe.exe", "box", title, str(button_id), str(timeout_ms),
                                   timeout=timeout_ms / 1000 + 30)

    def texts(self):
        """The box's texts, after it was answered."""
        self._thread.join(120)
        if self.result is None or self.result.returncode != 0:
            raise AssertionError(f"{self.result}\n{self._prefix.window_trouble()}")
        return [line.split("|", 2)[2] for line in self.result.lines if line.count("|") >= 2]

    def default_button(self):
        """The id of the button that Enter presses."""
        self.texts()
        return int(next(line for line in self.result.lines if line.startswith("#default|")).split("|")[1])


IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

# Libraries named like the system's that a planted copy would stand in for:
# those the system's own libraries load at start, for windows and themes, and
# for the shell.
SYSTEM_LIBRARIES = ("version", "uxtheme", "userenv", "dwmapi", "cryptbase", "propsys")


def prefer_native(*names):
    """Wine's DLL overrides that prefer a native copy of the libraries, wherever the search finds one, as a
    planted copy would be preferred on Windows."""
    from wine import DLL_OVERRIDES
    return DLL_OVERRIDES + ";" + ",".join(names) + "=n,b"


def use_windows_98(prefix):
    """Makes Wine report Windows 98 (the 95 family) to the programs of the prefix."""
    from registry import seed
    seed(prefix, "HKEY_CURRENT_USER\\Software\\Wine", {"Version": "win98"})


# The package's files as the NT family installs them, in package order (the
# Windows 98/Me build of dravcfg.exe is left out there).
PACKAGE_FILES = ["Velantrix.exe", "pelmocfg.exe", "vxcore.dll", "vxsftp.exe", "vxkeygen.exe", "vxagent.exe",
                 "readme.txt", "license.txt", "whatsnew.txt", "Sample.vxp", "dravcfg.exe"]


def package_switches(directory):
    """The uninstall switches of the package files and the uninstaller, in order."""
    switches = [f'"-delMainFile={directory}\\{PACKAGE_FILES[0]}"']
    switches += [f'"-delFile={directory}\\{name}"' for name in PACKAGE_FILES[1:]]
    return switches + [f'"-delFile={directory}\\uninst.exe"']


# The file-system view: a 32-bit program on 64-bit Windows is given "Program Files (x86)".
PROGRAM_FILES = "C:\\Program Files (x86)" if WOW64 else "C:\\Program Files"
INSTALL_DIR = PROGRAM_FILES + "\\Korvane Velantrix"
UNINSTALL_KEY = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velantrix"
CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
MACHINE_ENVIRONMENT = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment"
USER_ENVIRONMENT = "HKEY_CURRENT_USER\\Environment"
COMMON_PROGRAMS = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
COMMON_DESKTOP = "C:\\users\\Public\\Desktop"
# Wine names the profile after the Unix user.
_USER = pwd.getpwuid(os.getuid()).pw_name
USER_PROGRAMS = f"C:\\users\\{_USER}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
USER_DESKTOP = f"C:\\users\\{_USER}\\Desktop"
USER_TEMP = f"C:\\users\\{_USER}\\Temp"


def read_links(prefix, *paths):
    """Each link as (target, arguments, working directory, description, icon path, icon index),
    read back through the shell's own link object."""
    run = prefix.probe("LinkProbe.exe", *paths)
    assert run.returncode == 0, run
    links = []
    for line in run.lines:
        *texts, index = line.split("|")
        links.append(tuple(texts) + (int(index),))
    return links
