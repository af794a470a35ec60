#!/usr/bin/env python3
"""The folders' layers, checked and drawn.

Each folder may use only folders below it in LAYERS (and itself): its C++
includes and the libraries its targets link. The libraries must not link in
a circle. Test folders, fuzz targets and benchmarks sit above everything.

    python3 scripts/check_layers.py [BUILD_DIR]    # default build/x64

prints the layers with what each library links (from CMake's --graphviz of
BUILD_DIR) and exits 1 with the offending include, link or cycle when a rule
is broken.
"""
import pathlib
import re
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Bottom first.
LAYERS = [
    ("product", "the product's names; stand-ins for its files"),
    ("ZeRizIva", "support: exceptions, error texts, handles, registry, command line, own resources"),
    ("didur", "the system: libraries loaded by name, its version facts, its random source"),
    ("uninstall_contract", "what installer and uninstaller agree on: parameter string, result protocol"),
    ("ui", "window framework, message boxes, the installer dialog"),
    ("install", "installation record, prompts, exit codes; removal of what an installation made; the install steps"),
    ("package", "package stream, uninstaller file, integrity self-check"),
    ("tools", "build tools: packing, compressing, stamping"),
    ("uninstaller", "uninst.exe"),
    ("resources", "resources 148 and 149, the dialog, icons, documents"),
    ("driver", "entry, options, main sequence: VelantrixInstaller.exe"),
]
# Above every layer: they may use anything.
TOP = {"tests", "fuzz", "benchmarks", "cmake", "scripts"}

LEVEL = {name: level for level, (name, _) in enumerate(LAYERS)}
SOURCES = ("*.cpp", "*.h", "*.rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.MULTILINE)
TARGET = re.compile(r"add_(?:library|executable)\(\s*([A-Za-z_][\w]*)")
EDGE = re.compile(r"// (\S+) -> (\S+)")
NODE = re.compile(r'\[ label = "([^"]+)"')


def is_test_path(path):
    return "tests" in path.relative_to(ROOT).parts[1:]


def include_violations():
    found = []
    for folder, _ in LAYERS:
        for pattern in SOURCES:
            for path in sorted((ROOT / folder).rglob(pattern)):
                if is_test_path(path):
                    continue
                for used in INCLUDE.findall(path.read_text(errors="replace")):
                    if used in LEVEL and LEVEL[used] > LEVEL[folder]:
                        found.append(f"{path.relative_to(ROOT)} includes {used}/, a layer above {folder}/")
    return found


def target_folders():
    """Our targets and the folder whose CMakeLists.txt defines them."""
    folders = {}
    for cmake in ROOT.glob("*/**/CMakeLists.txt"):
        top = cmake.relative_to(ROOT).parts[0]
        if top in LEVEL and not is_test_path(cmake):
            for name in TARGET.findall(cmake.read_text()):
                folders[name] = top
    return folders


def link_graph(build_dir):
    with tempfile.TemporaryDirectory() as scratch:
        dot = pathlib.Path(scratch) / "targets.dot"
        subprocess.run(["cmake", f"--graphviz={dot}", str(build_dir)], check=True, stdout=subprocess.DEVNULL)
        text = dot.read_text()
    graph = {name: set() for name in NODE.findall(text)}
    for source, target in EDGE.findall(text):
        graph.setdefault(source, set()).add(target)
    return graph


def link_violations(graph, folders):
    found = []
    for source, targets in sorted(graph.items()):
        for target in sorted(targets):
            if source in folders and target in folders and LEVEL[folders[target]] > LEVEL[folders[source]]:
                found.append(f"{source} ({folders[source]}/) links {target} ({folders[target]}/), a layer above")
    return found


def cycles(graph, folders):
    """Each circle among our targets, as the path that closes it."""
    found, state = [], {}

    def visit(node, path):
        state[node] = "open"
        for target in sorted(graph.get(node, ())):
            if target not in folders or target == node:
                continue
            if state.get(target) == "open":
                found.append(" -> ".join(path[path.index(target):] + [target]))
            elif target not in state:
                visit(target, path + [target])
        state[node] = "done"

    for node in sorted(folders):
        if node not in state:
            visit(node, [node])
    return found


def picture(graph, folders):
    lines = []
    for folder, what in reversed(LAYERS):
        lines.append(f"{folder}/  {what}")
        for name in sorted(n for n, f in folders.items() if f == folder and n in graph):
            ours = sorted(t for t in graph[name] if t in folders and t != name)
            lines.append(f"    {name} -> {', '.join(ours) if ours else '(system libraries only)'}")
    return "\n".join(lines)


def main():
    build_dir = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build" / "x64")
    folders = target_folders()
    graph = link_graph(build_dir)
    print(picture(graph, folders))
    problems = include_violations() + link_violations(graph, folders)
    problems += [f"libraries link in a circle: {c}" for c in cycles(graph, folders)]
    for problem in problems:
        print("layers: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
