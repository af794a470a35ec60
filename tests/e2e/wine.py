"""Running Windows programs under Wine in throw-away prefixes.

One template prefix is booted per test run; every case works in a cheap copy of
it (hard links, with real copies of the files Wine rewrites in place), so cases
never see each other's changes.
"""
import os
import shutil
import subprocess
import threading
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# What a run tests: the installer's build (x86, the shipped one, or x64) and the
# Windows it runs on (win64, or win32 for the 32-bit-only systems).
ARCH = os.environ.get("VELANTRIX_ARCH", "x86")
WINEARCH = os.environ.get("VELANTRIX_WINEARCH", "win64")
# A 32-bit program on 64-bit Windows: it sees the 32-bit registry view, "Program
# Files (x86)" and a redirected system32.
WOW64 = ARCH == "x86" and WINEARCH == "win64"
BUILD = Path(os.environ.get("VELANTRIX_BUILD", ROOT / "build" / ARCH))
INSTALLER = BUILD / "VelantrixInstaller.exe"
PROBES = BUILD / "tests" / "probes"
# The test build with named failure points (VELANTRIX_FAIL_AT).
FAULTY = BUILD.parent / f"{ARCH}-faults" / "VelantrixInstaller.exe"
# One booted template prefix per kind of Windows, shared by the builds run on it;
# each build's cases and screenshots in a folder of their own.
E2E = Path(os.environ.get("VELANTRIX_E2E_WORK", ROOT / "build" / "e2e"))
TEMPLATE = E2E / f"template-{WINEARCH}"
WORK = E2E / f"{ARCH}-{WINEARCH}"
WINE64 = "/usr/lib/wine/wine64"
# 32-bit programs start with the 32-bit loader: through wine64 one started from a
# long path crashes.
WINE32 = "/usr/lib/wine/wine"


def loader(exe):
    """The Wine loader for a Windows program, by the machine its PE header names."""
    try:
        with open(exe, "rb") as f:
            header = f.read(4096)
        pe = int.from_bytes(header[0x3C:0x40], "little")
        machine = int.from_bytes(header[pe + 4:pe + 6], "little")
    except (OSError, TypeError, ValueError):
        machine = None
    if machine == 0x14C:
        return WINE32
    if machine is None and WINEARCH == "win32":
        return WINE32
    return WINE64


def _ensure_standard_input():
    """A runner may start the suite with no standard input (CI does). The next
    descriptor opened, a pipe or a log file, would then take number 0 and be
    every child's input; the test displays' Xvfb servers ended at once."""
    try:
        os.fstat(0)
    except OSError:
        os.open(os.devnull, os.O_RDONLY)


_ensure_standard_input()

# Files Wine changes in place: a hard link would carry the change into the template.
_REWRITTEN_SUFFIXES = (".reg", ".ini")

_template_lock = threading.Lock()
_template = None


# No Mono or Gecko prompts; no menu entries that Wine would write into the Unix
# home for every start-menu shortcut.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"


def base_env(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES=DLL_OVERRIDES, WINEARCH=WINEARCH)
    return env


def isolate_profile(prefix_path):
    """Wine links the profile's Desktop, Documents, ... to the Unix home
    directory; make them folders of the prefix, so no case writes outside it."""
    for users in (prefix_path / "drive_c" / "users").iterdir():
        for entry in users.iterdir():
            if entry.is_symlink():
                entry.unlink()
                entry.mkdir()


def template():
    """The booted template prefix of this test run (made on first use; a runner
    that starts several test processes makes it once and sets
    VELANTRIX_TEMPLATE_READY for them)."""
    global _template
    with _template_lock:
        if _template is None and os.environ.get("VELANTRIX_TEMPLATE_READY"):
            _template = TEMPLATE
        if _template is None:
            path = TEMPLATE
            if path.exists():
                subprocess.run(["wineserver", "-k"], env=base_env(path), capture_output=True)
                shutil.rmtree(path)
            path.mkdir(parents=True)
            env = base_env(path)
            subprocess.run([loader(None), "wineboot", "-i"], env=env, capture_output=True, check=True, timeout=600)
            subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=600)
            isolate_profile(path)
            _template = path
        return _template


class Run:
    def __init__(self, returncode, stdout, stderr):
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr

    @property
    def lines(self):
        return self.stdout.splitlines()

    def __repr__(self):
        return f"Run(returncode={self.returncode}, stdout={self.stdout!r}, stderr={self.stderr!r})"


def _text(data):
    return data.decode("latin-1").replace("\r\n", "\n")


class Prefix:
    """An isolated copy of the template prefix for one case."""

    _counter = 0
    _counter_lock = threading.Lock()

    def __init__(self, name="case"):
        with Prefix._counter_lock:
            Prefix._counter += 1
            number = Prefix._counter
        self.path = WORK / "cases" / f"{os.getpid()}-{number:03d}-{name}"
        if self.path.exists():
            shutil.rmtree(self.path)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-al", str(template()), str(self.path)], check=True)
        for file in self.path.rglob("*"):
            if file.suffix.lower() in _REWRITTEN_SUFFIXES and file.is_file() and not file.is_symlink():
                copy = file.with_name(file.name + ".copy")
                shutil.copy2(file, copy)
                os.replace(copy, file)
        self.env = base_env(self.path)
        self.started = []

    # Paths -------------------------------------------------------------
    @property
    def drive_c(self):
        return self.path / "drive_c"

    def host_path(self, windows_path):
        """The file behind a C: path (case as written)."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    # Running -----------------------------------------------------------
    def start(self, exe, *args, env=None, cwd=None):
        """Starts a program; its output goes to files, not pipes: Wine's helper
        processes inherit the descriptors and would hold a pipe open."""
        full_env = dict(self.env, **(env or {}))
        with Prefix._counter_lock:
            Prefix._counter += 1
            number = Prefix._counter
        out_path = self.path / f".run{number}.out"
        err_path = self.path / f".run{number}.err"
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            process = subprocess.Popen([loader(exe), str(exe), *args], env=full_env, cwd=cwd,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        process.output_paths = (out_path, err_path)
        process.program = Path(exe).name
        self.started.append(process)
        return process

    def finish(self, process, timeout=120):
        out_path, err_path = process.output_paths
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            process.wait()
            raise AssertionError(f"timed out; stdout so far: {_text(out_path.read_bytes())!r}")
        return Run(process.returncode, _text(out_path.read_bytes()), _text(err_path.read_bytes()))

    def run(self, exe, *args, env=None, timeout=120, cwd=None):
        return self.finish(self.start(exe, *args, env=env, cwd=cwd), timeout)

    def install(self, *args, **kwargs):
        return self.run(INSTALLER, *args, **kwargs)

    def probe(self, name, *args, timeout=60):
        return self.run(PROBES / name, *args, timeout=timeout)

    def window_trouble(self):
        """For a case that found no window: whether the display answers, the
        prefix's visible windows, and how each program started so far stands."""
        display = subprocess.run(["xdpyinfo"], env=self.env, capture_output=True, text=True, timeout=60)
        lines = [f"display {self.env.get('DISPLAY')!r}: "
                 + ("answers" if display.returncode == 0 else f"does not answer ({display.stderr.strip()})")]
        started = list(self.started)
        windows = self.probe("WindowProbe.exe", "windows")
        lines.append("visible windows: " + (windows.stdout.strip() or "none"))
        for process in started:
            out_path, err_path = process.output_paths
            state = "running" if process.poll() is None else f"ended with {process.returncode}"
            lines.append(f"{process.program}: {state}; stdout {_text(out_path.read_bytes())[-400:]!r}; "
                         f"stderr {_text(err_path.read_bytes())[-400:]!r}")
        return "\n".join(lines)

    def start_session(self):
        """Starts the prefix's Wine session now and keeps it running. The first
        program of a session runs wineboot, which acts like a restart: it
        carries out pending renames and deletions (the registry's and
        WININIT.INI's). Files seeded after this survive until the session ends."""
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        self.probe("WindowProbe.exe", "list")

    # Ending ------------------------------------------------------------
    def kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)

    def shutdown(self):
        """Ends the prefix's Wine processes; the registry files are then complete."""
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)
        # -w returns once the prefix's wineserver has ended (and with it every process).
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=60)

    def remove(self):
        self.shutdown()
        shutil.rmtree(self.path, ignore_errors=True)
