"""Shows what an installation left in a Wine prefix (used by the main job)."""
import sys
from pathlib import Path


def host_path(prefix, windows_path):
    return Path(prefix, "drive_c", *[p for p in windows_path[3:].split("\\") if p])


def main(prefix, install_dir):
    directory = host_path(prefix, install_dir)
    print(f"== Files in {install_dir}")
    if not directory.exists():
        print("(the directory does not exist)")
        return
    for file in sorted(directory.rglob("*")):
        if file.is_file():
            print(f"{file.stat().st_size:>10}  {file.relative_to(directory)}")


if __name__ == "__main__":
    main(*sys.argv[1:3])
