"""Runs every end-to-end module, two at a time: each worker has its own X
display (the dialog cases move the mouse), all share one template prefix."""
import os
import select
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
WORKERS = 2
# The longest first, so the two workers end at about the same time.
FIRST = ["test_faults", "test_installer_dialog", "test_transaction", "test_interactive_flows", "test_uninstaller"]


def modules():
    found = sorted(p.stem for p in HERE.glob("test_*.py"))
    return [m for m in FIRST if m in found] + [m for m in found if m not in FIRST]


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


def main():
    sys.path.insert(0, str(HERE))
    from wine import template
    template()
    queue = modules()
    lock = threading.Lock()
    failures = []

    def work(display):
        env = dict(os.environ, DISPLAY=display, VELANTRIX_TEMPLATE_READY="1")
        while True:
            with lock:
                if not queue:
                    return
                module = queue.pop(0)
            started = time.time()
            run = subprocess.run([sys.executable, "-m", "unittest", "-v", module], cwd=HERE, env=env,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            with lock:
                print(run.stdout, flush=True)
                print(f"== {module}: {'ok' if run.returncode == 0 else 'FAILED'} "
                      f"({time.time() - started:.0f} s)", flush=True)
                if run.returncode:
                    failures.append(module)

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
    print("failed: " + ", ".join(failures) if failures else "all end-to-end modules passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
