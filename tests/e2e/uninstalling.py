"""Running the product's uninstaller in a case's prefix, and comparing what
the prefix holds before and after (registry and files)."""
import re
import shutil
import subprocess

from registry import Registry, seed
from support import INSTALL_DIR, PROBES, UNINSTALL_KEY, PrefixCase
from wine import BUILD

D = INSTALL_DIR
UNINSTALL_PARENT = UNINSTALL_KEY.rsplit("\\", 1)[0]
SESSION_MANAGER = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager"
PENDING = "PendingFileRenameOperations"
DISPLAY_NAME = "Korvane Velantrix 4.10 (remove only)"
TITLE = "Velantrix Uninstaller"
TOOL = "C:\\Tools\\uninst.exe"
# Wine rewrites this device's driver date on every start.
WINE_NOISE = "HKEY_LOCAL_MACHINE\\system\\currentcontrolset\\control\\class\\"
COPY = re.compile(r"^\\\?\?\\C:\\users\\[^\\]+\\Temp\\uninst-[0-9a-f]{16}\.exe$")
COPY_FILE = re.compile(r"^users/[^/]+/temp/uninst-[0-9a-f]{16}\.exe$")
SHARED = '"-shareResWith=Dravelo"'


def snapshot_key(path):
    """A key path as Registry.snapshot names it."""
    root, _, sub = path.partition("\\")
    return root.upper() + "\\" + sub.lower()


def items(*switches):
    """A parameter string as the installer writes one."""
    return " ".join([SHARED] + [f'"{s}"' for s in switches])


class UninstallerCase(PrefixCase):
    # Running -------------------------------------------------------------
    def install(self, *options, code=0):
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA", *options)
        self.assertEqual(run.returncode, code, run)
        return run

    def run_to_the_end(self, exe, *args):
        """Runs a program and waits until every process it left has ended (the
        uninstaller's temporary copy goes on after the original); returns the
        exit code and every line written to the shared standard output."""
        process = self.prefix.start(exe, *args)
        run = self.prefix.finish(process)
        subprocess.run(["wineserver", "-w"], env=self.prefix.env, check=True, timeout=120)
        text = process.output_paths[0].read_bytes().decode("latin-1").replace("\r\n", "\n")
        return run.returncode, text.splitlines()

    def uninstall(self, *args):
        """As "Add or Remove Programs" runs the installed uninstaller."""
        return self.run_to_the_end(self.prefix.host_path(D + "\\uninst.exe"), "Velantrix", *args)

    def through_protocol(self, command):
        """As the installer's upgrade path runs an uninstaller: the lines, and the result."""
        code, lines = self.run_to_the_end(PROBES / "UninstallRunProbe.exe", command)
        self.assertEqual(code, 0, lines)
        self.assertRegex(lines[-1], r"^result \d+$")
        return int(lines[-1].split()[1]), lines[:-1]

    def place_uninstaller(self):
        self.prefix.host_path("C:\\Tools").mkdir(exist_ok=True)
        shutil.copy(BUILD / "product" / "uninst.exe", self.prefix.host_path(TOOL))

    def register(self, name, params, display_name="Test Product"):
        values = {"DisplayName": display_name, "UninstallString": f'"{TOOL}" {name} '}
        if params is not None:
            values["UninstallParam"] = params
        seed(self.prefix, f"{UNINSTALL_PARENT}\\{name}", values)

    def make_files(self, *paths, text="x"):
        for path in paths:
            host = self.prefix.host_path(path)
            host.parent.mkdir(parents=True, exist_ok=True)
            host.write_text(text)

    def exists(self, path):
        return self.prefix.host_path(path).exists()

    # What the prefix holds -------------------------------------------------
    def state(self):
        """Every registry key and value and every file, the prefix stopped."""
        self.prefix.shutdown()
        registry = {k: v for k, v in Registry(self.prefix).snapshot().items() if not k.startswith(WINE_NOISE)}
        root = self.prefix.drive_c
        files = {str(f.relative_to(root)).lower() for f in root.rglob("*")}
        return registry, files

    def pending(self):
        self.prefix.shutdown()
        return Registry(self.prefix).value(SESSION_MANAGER, PENDING) or []

    def assertSameState(self, expected, actual, copies=0):
        """Equal, but for the temporary copies of the uninstaller that wait for
        the next restart (their files and their pending deletions)."""
        registry, files = actual
        registry = {k: dict(v) for k, v in registry.items()}
        manager = registry.get(snapshot_key(SESSION_MANAGER), {})
        pending = manager.pop(PENDING, (7, []))[1]
        self.assertEqual(len(pending), 2 * copies, pending)
        for source, target in zip(pending[::2], pending[1::2]):
            self.assertRegex(source, COPY)
            self.assertEqual(target, "")
        left = {f for f in files if COPY_FILE.match(f)}
        self.assertEqual(len(left), copies, left)
        self.assertEqual(registry, expected[0])
        self.assertEqual(files - left, expected[1])
