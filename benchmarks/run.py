"""Measures the installer against its limits and a peer; scripts/benchmark.sh
builds everything first and then runs this.

    python3 benchmarks/run.py [--runs N] [--arch x64|x86]

--arch picks the build measured (default x64) and the NSIS peer of the same
architecture.

Every figure is the median of N runs (default 7). Wine runs each get a fresh
copy of one booted template prefix (tests/e2e/wine.py) whose session is already
up, so Wine's first-start work (wineboot) is never timed.
"""
import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BENCH = ROOT / "build" / "bench"
ARCHES = ("x64", "x86")


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--arch", choices=ARCHES, default="x64")
    return parser


# Read before tests/e2e/wine.py is imported: it takes the build from the environment.
ARCH = arguments().parse_known_args()[0].arch
BUILD = ROOT / "build" / f"{ARCH}-bench"
os.environ.setdefault("VELANTRIX_ARCH", ARCH)
os.environ.setdefault("VELANTRIX_BUILD", str(BUILD))
os.environ.setdefault("VELANTRIX_E2E_WORK", str(BENCH / "wine"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import wine  # noqa: E402  (reads the two variables above)

INSTALLER = BUILD / "VelantrixInstaller.exe"
STREAM = BUILD / "resources" / "package.lzma"
NSIS_SETUP = BENCH / f"nsis-setup-{ARCH}.exe"
MANIFEST = BENCH / "package.manifest"
NATIVE_TOOL = ROOT / "build" / "host" / "benchmarks" / "bench_tool"
WINDOWS_TOOL = BUILD / "benchmarks" / "bench_tool.exe"
INSTALL_DIR = "C:\\Program Files\\Korvane Velantrix"
DICTIONARY = 32 << 20
MIB = 1 << 20
# Above this load average the figures are not to be trusted.
QUIET_LOAD = 1.2


def package_files():
    """(name, source) of every manifest entry, in package order."""
    entries = []
    for line in MANIFEST.read_text().splitlines():
        if line and not line.startswith("#"):
            name, source = line.split('" "')
            entries.append((name.strip('"'), Path(source.strip('"'))))
    return entries


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


# Native runs ---------------------------------------------------------------

def wall(command, stdout=subprocess.DEVNULL):
    start = time.perf_counter()
    subprocess.run(command, stdout=stdout, check=True)
    return time.perf_counter() - start


def tool_seconds(output):
    """The "seconds=" line the benchmark tool prints: its work, without start-up."""
    for line in output.splitlines():
        if line.startswith("seconds="):
            return float(line.split("=", 1)[1])
    raise AssertionError(f"no seconds= line in {output!r}")


def native_tool(*args):
    return tool_seconds(subprocess.run([str(NATIVE_TOOL), *map(str, args)], capture_output=True, text=True,
                                       check=True).stdout)


def sha1sum_seconds(path, copies=9):
    """sha1sum's time for one file, its process start-up taken out: the
    difference between hashing the file `copies` times in one run and once."""
    many = wall(["sha1sum", *[str(path)] * copies])
    once = wall(["sha1sum", str(path)])
    return (many - once) / (copies - 1)


def native_package(out_dir):
    shutil.rmtree(out_dir, ignore_errors=True)
    out_dir.mkdir(parents=True)
    return native_tool("package", STREAM, out_dir)


def check_files(folder, where):
    for name, source in package_files():
        installed = folder / name
        if not installed.is_file() or installed.read_bytes() != source.read_bytes():
            raise AssertionError(f"{where}: {name} differs from {source}")


# Wine runs -----------------------------------------------------------------

class WineRun:
    """One program run in a prefix, start to exit: wall time, exit code, peak
    resident memory (the kernel's maximum RSS of the process: Wine runs a
    Windows program as one Linux process, so this is its peak working set),
    and the time at which each output line arrived."""

    def __init__(self, prefix, exe, *args):
        self.lines = []
        start = time.perf_counter()
        process = subprocess.Popen([wine.loader(exe), str(exe), *args], env=prefix.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        # Wine's helper processes may inherit the pipe: read until the program
        # ends, not until the pipe closes.
        reader = threading.Thread(target=self._read, args=(process.stdout, start), daemon=True)
        reader.start()
        _, status, usage = os.wait4(process.pid, 0)
        self.seconds = time.perf_counter() - start
        process.returncode = self.returncode = os.waitstatus_to_exitcode(status)
        self.peak_bytes = usage.ru_maxrss * 1024
        reader.join(timeout=2)

    def _read(self, pipe, start):
        pending = b""
        for chunk in iter(lambda: os.read(pipe.fileno(), 65536), b""):
            now = time.perf_counter() - start
            pending += chunk
            *complete, pending = pending.split(b"\n")
            self.lines += [(now, line.decode("latin-1").rstrip("\r")) for line in complete]

    def line_time(self, predicate):
        return next(t for t, line in self.lines if predicate(line))

    @property
    def text(self):
        return "\n".join(line for _, line in self.lines)


def session_prefix(name):
    """A fresh prefix whose Wine session runs already."""
    prefix = wine.Prefix(name)
    subprocess.run(["wineserver", "-p"], env=prefix.env, check=True)
    WineRun(prefix, "cmd.exe", "/c", "exit")
    return prefix


def install_ours(number):
    prefix = session_prefix(f"ours-{number}")
    try:
        run = WineRun(prefix, INSTALLER, f"-installDir={INSTALL_DIR}", "-acceptEULA")
        if run.returncode != 0 or not run.text.endswith("installation completed"):
            raise AssertionError(f"installer exit code {run.returncode}:\n{run.text}")
        check_files(prefix.host_path(INSTALL_DIR), "our installation")
        # The package step, as the installer itself reports it: from the line
        # of the first package file to the next line after the last one.
        names = [name for name, _ in package_files()]
        first = run.line_time(lambda line: line.endswith("\\" + names[0]))
        last_index = max(i for i, (_, line) in enumerate(run.lines) if line.endswith("\\" + names[-1]))
        run.package_seconds = run.lines[last_index + 1][0] - first
        run.before_package_seconds = first
        run.after_files_seconds = run.seconds - run.line_time(lambda line: line.startswith("Creating shortcut"))
        return run
    finally:
        prefix.remove()


def install_nsis(number, shortcuts=False):
    prefix = session_prefix(f"nsis-{number}")
    try:
        run = WineRun(prefix, NSIS_SETUP, "/S", *(["/SHORTCUTS"] if shortcuts else []), f"/D={INSTALL_DIR}")
        if run.returncode != 0:
            raise AssertionError(f"NSIS setup exit code {run.returncode}")
        check_files(prefix.host_path(INSTALL_DIR), "the NSIS installation")
        links = list(prefix.drive_c.rglob("*.lnk"))
        if len(links) != (6 if shortcuts else 0):
            raise AssertionError(f"the NSIS installation made the shortcuts {links}")
        return run
    finally:
        prefix.remove()


def wine_tool(prefix, *args):
    run = WineRun(prefix, WINDOWS_TOOL, *args)
    if run.returncode != 0:
        raise AssertionError(f"bench_tool.exe {args}: exit code {run.returncode}")
    run.tool_seconds = tool_seconds(run.text)
    return run


# The table -----------------------------------------------------------------

def median(values):
    return statistics.median(values)


def seconds_cell(values):
    return f"{median(values):.3f} s ({min(values):.3f}-{max(values):.3f})"


def settled_load(patience=120):
    """The load average once it has fallen below QUIET_LOAD (the builds just
    before raise it), or after `patience` seconds."""
    deadline = time.time() + patience
    while os.getloadavg()[0] >= QUIET_LOAD and time.time() < deadline:
        time.sleep(5)
    return os.getloadavg()[0]


def main():
    parser = arguments()
    runs = parser.parse_args().runs
    if runs < 1:
        parser.error("--runs must be at least 1")

    wine.template()
    load_before = settled_load()
    for path in (INSTALLER, STREAM, NSIS_SETUP, NATIVE_TOOL, WINDOWS_TOOL):
        if not path.is_file():
            raise SystemExit(f"missing {path}: run scripts/benchmark.sh")

    native_out = BENCH / "native-out"
    native_package(native_out)
    check_files(native_out, "the native decoder")

    figures = {key: [] for key in ("xz", "sdk", "package", "wine_sdk", "wine_package", "ours", "ours_before",
                                   "ours_after", "ours_package", "nsis", "nsis_links", "selfcheck", "sha1sum",
                                   "wine_selfcheck")}
    peaks = {key: [] for key in ("ours", "nsis", "idle")}
    tools_prefix = session_prefix("tools")
    try:
        wine_out = tools_prefix.drive_c / "bench-out"
        for number in range(runs):
            print(f"run {number + 1} of {runs}", file=sys.stderr, flush=True)
            figures["xz"].append(wall(["xz", "--format=lzma", "-dc", str(STREAM)]))
            figures["sdk"].append(native_tool("sdk", STREAM))
            figures["package"].append(native_package(native_out))
            figures["selfcheck"].append(native_tool("selfcheck", INSTALLER))
            figures["sha1sum"].append(sha1sum_seconds(INSTALLER))

            figures["wine_sdk"].append(wine_tool(tools_prefix, "sdk", windows_path(STREAM)).tool_seconds)
            shutil.rmtree(wine_out, ignore_errors=True)
            wine_out.mkdir()
            figures["wine_package"].append(
                wine_tool(tools_prefix, "package", windows_path(STREAM), "C:\\bench-out").tool_seconds)
            figures["wine_selfcheck"].append(
                wine_tool(tools_prefix, "selfcheck", windows_path(INSTALLER)).tool_seconds)
            peaks["idle"].append(wine_tool(tools_prefix, "idle").peak_bytes)

            # Alternating, so a change of machine load meets both alike.
            ours = install_ours(number)
            figures["ours"].append(ours.seconds)
            figures["ours_package"].append(ours.package_seconds)
            figures["ours_before"].append(ours.before_package_seconds)
            figures["ours_after"].append(ours.after_files_seconds)
            peaks["ours"].append(ours.peak_bytes)
            nsis = install_nsis(number)
            figures["nsis"].append(nsis.seconds)
            peaks["nsis"].append(nsis.peak_bytes)
            figures["nsis_links"].append(install_nsis(number, shortcuts=True).seconds)
        check_files(wine_out, "the decoder under Wine")
    finally:
        tools_prefix.remove()

    report(runs, figures, peaks, load_before)


def report(runs, figures, peaks, load_before):
    m = {key: median(values) for key, values in figures.items()}
    p = {key: median(values) for key, values in peaks.items()}
    installer_size = INSTALLER.stat().st_size
    nsis_size = NSIS_SETUP.stat().st_size
    own_peak = p["ours"] - p["idle"]
    wine_version = subprocess.run([wine.loader(INSTALLER), "--version"], capture_output=True,
                                  text=True).stdout.strip()

    def row(what, key, note=""):
        return f"| {what} | {seconds_cell(figures[key])} | {note} |"

    def throughput(key):
        return installer_size / m[key] / MIB

    lines = [
        f"{time.strftime('%Y-%m-%d')}, {os.cpu_count()} cores ({platform.processor() or platform.machine()}), "
        f"{wine_version}, median of {runs} runs (min-max), load average {load_before:.2f} before, "
        f"{os.getloadavg()[0]:.2f} after",
        "",
        "| measurement | time | note |",
        "|---|---|---|",
        row("`xz --format=lzma -dc` of the package stream", "xz", "process, start to exit"),
        row("LZMA SDK decoder alone, native", "sdk", "`bench_tool sdk`"),
        row("installer's decoder + parser + file writes, native", "package", "`bench_tool package`: the limit"),
        row("the same under Wine (installer's compiler)", "wine_package", "`bench_tool.exe package`"),
        row("LZMA SDK decoder alone under Wine", "wine_sdk", "`bench_tool.exe sdk`"),
        row("**package step inside the installer**, under Wine", "ours_package",
            "first package file's line to the line after the last"),
        row("**our unattended installation**, under Wine", "ours", "start to exit"),
        row("of which: start to the first package file", "ours_before", "Wine start-up, self-check, checks"),
        row("of which: first shortcut to exit", "ours_after",
            "shortcuts, associations, registration: work the peer does not do"),
        row("**NSIS peer silent installation**, under Wine", "nsis", "start to exit"),
        row("NSIS peer making our six shortcuts too", "nsis_links", "`/S /SHORTCUTS`: not the goal's peer"),
        row("self-check of the installer file, native", "selfcheck",
            f"`bench_tool selfcheck`; {throughput('selfcheck'):.0f} MiB/s"),
        row("`sha1sum` of the same file", "sha1sum",
            f"9 copies in one run less 1: start-up left out; {throughput('sha1sum'):.0f} MiB/s"),
        row("self-check under Wine", "wine_selfcheck", f"{throughput('wine_selfcheck'):.0f} MiB/s"),
        "",
        f"| peak memory (max RSS) | {p['ours'] / MIB:.1f} MiB ours, {p['nsis'] / MIB:.1f} MiB NSIS, "
        f"{p['idle'] / MIB:.1f} MiB an idle program of the same build under Wine |",
        "|---|---|",
        f"| installer size | {installer_size / MIB:.2f} MiB ours, {nsis_size / MIB:.2f} MiB NSIS "
        f"(ratio {installer_size / nsis_size:.2f}) |",
        "",
        "| goal | measured | met |",
        "|---|---|---|",
        goal("installation faster than the NSIS peer", f"{m['ours'] / m['nsis']:.2f} x NSIS's time",
             m["ours"] < m["nsis"]),
        goal("package step within 10 % of the native decoder",
             f"{m['ours_package'] / m['package']:.2f} x native (SDK alone: {m['ours_package'] / m['sdk']:.2f} x)",
             m["ours_package"] <= 1.10 * m["package"]),
        goal("self-check at least half of sha1sum's throughput",
             f"{m['sha1sum'] / m['selfcheck']:.2f} x sha1sum's natively, "
             f"{m['sha1sum'] / m['wine_selfcheck']:.2f} x under Wine",
             m["sha1sum"] / m["selfcheck"] >= 0.5),
        goal("peak memory at most the dictionary (32 MiB) + 16 MiB",
             f"{own_peak / MIB:.1f} MiB above the idle program ({p['ours'] / MIB:.1f} MiB in all)",
             own_peak <= DICTIONARY + 16 * MIB),
    ]
    text = "\n".join(lines) + "\n"
    (BENCH / f"results-{ARCH}.md").write_text(text)
    print(text)
    if load_before >= QUIET_LOAD:
        print(f"warning: the load average was {load_before:.2f} at the start: measure again on a quiet machine",
              file=sys.stderr)


def goal(what, measured, met):
    return f"| {what} | {measured} | {'yes' if met else '**no**'} |"


if __name__ == "__main__":
    main()
