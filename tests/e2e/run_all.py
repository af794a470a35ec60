"""Runs every end-to-end module for each target, two at a time: each worker
has its own X display (the dialog cases move the mouse); the cases of one kind
of Windows share one template prefix.

The targets: the shipped 32-bit build on 64-bit Windows, the 64-bit build, and
the shipped build on a 32-bit-only Windows (WINEARCH=win32), which stands for
the 32-bit systems the product supports. Where this machine cannot run 32-bit
programs the x86 targets are not run, and the summary says why."""
import os
import re
import select
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "scripts"))
import x86_check  # noqa: E402

WORKERS = 2
# The longest first, so the two workers end at about the same time.
FIRST = ["test_faults", "test_installer_dialog", "test_transaction", "test_interactive_flows", "test_uninstaller"]
# What the 32-bit-only systems must show: installation, upgrade, uninstall,
# integrity, the dialog, and the Windows 98 and NT 4.0 personalities.
WIN32_MODULES = ["test_installer_dialog", "test_uninstaller", "test_installation", "test_upgrade", "test_integrity",
                 "test_requirements", "test_package"]
# Wine's own failure to start a process, seen now and then on a busy machine:
# the child dies in Wine's start-up before any code of its own runs, and
# CreateProcess reports ERROR_INTERNAL_ERROR. Not the program's doing: a module
# that failed with it runs once more, and the log says so.
WINE_START_FAILURE = re.compile(r"CreateProcess(\(\))? failed\b.*\b1359\b")
TARGETS = [  # build, Windows, modules (None: all)
    ("x86", "win64", None),
    ("x64", "win64", None),
    ("x86", "win32", WIN32_MODULES),
]


def modules(chosen=None):
    found = sorted(p.stem for p in HERE.glob("test_*.py"))
    ordered = [m for m in FIRST if m in found] + [m for m in found if m not in FIRST]
    return [m for m in ordered if chosen is None or m in chosen]


def read_line(fd, seconds):
    """One line from a pipe, however many writes it arrives in (Xvfb writes the
    display number and the newline separately, and dies if the pipe is closed
    in between); "" when the writer ends or the time runs out first."""
    deadline = time.monotonic() + seconds
    data = b""
    while not data.endswith(b"\n"):
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(fd, 32) if ready else b""
        if not chunk:
            return ""
        data += chunk
    return data.decode().strip()


def start_display():
    """A private Xvfb on a display it picks itself; returns once it accepts clients."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        number = read_line(read_end, 30)
    finally:
        os.close(read_end)
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return f":{number}", server


def target_env(arch, windows):
    return dict(os.environ, VELANTRIX_ARCH=arch, VELANTRIX_WINEARCH=windows)


def boot_templates(kinds):
    """One template prefix per kind of Windows, booted side by side."""
    boots = [subprocess.Popen([sys.executable, "-c", "import wine; wine.template()"], cwd=HERE,
                              env=target_env("x64" if windows == "win64" else "x86", windows))
             for windows in kinds]
    if any(boot.wait() for boot in boots):
        raise RuntimeError("a template prefix did not boot")


def run_module(module, env):
    return subprocess.run([sys.executable, "-m", "unittest", "-v", module], cwd=HERE, env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def main():
    x86_missing = x86_check.reason()
    if x86_missing:
        print(f"x86: not run: {x86_missing}", flush=True)
    targets = [t for t in TARGETS if not (x86_missing and t[0] == "x86")]
    boot_templates(sorted({windows for _, windows, _ in targets}))
    # Each target's modules in turn, the longest of each first.
    queue = [(arch, windows, module) for arch, windows, chosen in targets for module in modules(chosen)]
    lock = threading.Lock()
    failures = []

    def work(display):
        while True:
            with lock:
                if not queue:
                    return
                arch, windows, module = queue.pop(0)
            env = dict(target_env(arch, windows), DISPLAY=display, VELANTRIX_TEMPLATE_READY="1")
            started = time.time()
            name = f"{module} [{arch} build, {windows}]"
            run = run_module(module, env)
            if run.returncode and WINE_START_FAILURE.search(run.stdout):
                with lock:
                    print(run.stdout, flush=True)
                    print(f"== {name}: Wine failed to start a process (ERROR_INTERNAL_ERROR); running it again",
                          flush=True)
                run = run_module(module, env)
            with lock:
                print(run.stdout, flush=True)
                print(f"== {name}: {'ok' if run.returncode == 0 else 'FAILED'} "
                      f"({time.time() - started:.0f} s)", flush=True)
                if run.returncode:
                    failures.append(name)

    displays = []
    try:
        for _ in range(WORKERS):
            displays.append(start_display())
        threads = [threading.Thread(target=work, args=(display,)) for display, _ in displays]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    finally:
        for _, server in displays:
            server.terminate()
    for arch, windows, chosen in TARGETS:
        what = "every module" if chosen is None else ", ".join(chosen)
        state = f"not run: {x86_missing}" if (arch, windows, chosen) not in targets else f"ran {what}"
        print(f"{arch} build, {windows} prefix: {state}")
    if x86_missing:
        print(f"x86: not run: {x86_missing}")
    print("failed: " + ", ".join(failures) if failures else "all end-to-end modules passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
