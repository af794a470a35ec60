"""Shows what an installation left in a Wine prefix (the main job's report)."""
import subprocess
import sys
from pathlib import Path

from registry import Registry

UNINSTALL_KEY = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velantrix"
CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
ENVIRONMENTS = ["HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment",
                "HKEY_CURRENT_USER\\Environment"]


class StoppedPrefix:
    def __init__(self, path):
        self.path = Path(path)


def windows_path(prefix, host):
    return "C:\\" + str(host.relative_to(prefix / "drive_c")).replace("/", "\\")


def show_links(prefix, probe, wine):
    links = sorted(p for p in (prefix / "drive_c").rglob("*.lnk")
                   if "Korvane Velantrix" in str(p) or p.name == "Velantrix.lnk")
    print("== Shortcuts (read back through the shell's link object)")
    if not links:
        print("(none)")
        return
    paths = [windows_path(prefix, p) for p in links]
    env = {"WINEPREFIX": str(prefix), "WINEDEBUG": "-all", "PATH": "/usr/bin:/bin"}
    out = subprocess.run([wine, probe, *paths], env=env, capture_output=True, text=True).stdout.splitlines()
    for path, line in zip(paths, out):
        target, arguments, directory, description, icon, index = line.split("|")
        print(path)
        print(f"    target {target}  arguments '{arguments}'  in {directory}  icon {icon},{index}")
        print(f"    \"{description}\"")


def main(prefix, install_dir, probe, wine):
    prefix = Path(prefix)
    directory = prefix / "drive_c" / Path(*install_dir[3:].split("\\"))
    print(f"== Files in {install_dir}")
    if directory.exists():
        for file in sorted(directory.rglob("*")):
            if file.is_file():
                print(f"{file.stat().st_size:>10}  {file.relative_to(directory)}")
    else:
        print("(the directory does not exist)")
    show_links(prefix, probe, wine)

    registry = Registry(StoppedPrefix(prefix))
    print(f"== Registration: {UNINSTALL_KEY}")
    key = registry.key(UNINSTALL_KEY)
    if key is None:
        print("(none)")
    else:
        for name in key.names():
            if name != "UninstallParam":
                print(f"{name} = {key.get(name)!r}")
        print("UninstallParam, item by item:")
        params = key.get("UninstallParam") or ""
        for item in params.split('" "'):
            print("    " + item.strip('"'))
    print("== File associations")
    for extension in (".vxp", ".dvs"):
        progid = registry.value(f"{CLASSES}\\{extension}", "")
        print(f"{extension} -> {progid}")
        shell = f"{CLASSES}\\{progid}\\Shell"
        for verb in registry.subkeys(shell) if progid else []:
            command = registry.value(shell + "\\" + verb + "\\command", "")
            print(f"    {verb}: {command}")
    print("== Search path")
    for environment in ENVIRONMENTS:
        print(f"{environment}: PATH = {registry.value(environment, 'PATH')!r}")


if __name__ == "__main__":
    main(*sys.argv[1:5])
