#!/usr/bin/env python3
"""Every delay-loaded function a program uses has its delay-load thunk.

The 32-bit GNU linker drops a thunk that nothing calls; a call made through the
function's import slot instead (a header that declared it imported) would then
find the slot empty and jump to address 0. Reads the link maps that each link
leaves beside its program and fails on a thunk of a delay-import library
(cmake/DelayLoad.cmake) among the discarded input sections.

    python3 scripts/check_delay_loads.py BUILD_DIR
"""
import re
import sys
from pathlib import Path

PROGRAMS = ["VelantrixInstaller.exe", "product/uninst.exe"]
# A discarded .text of some size from a delay-import library: a thunk.
THUNK = re.compile(r"^ \.text\s+0x0+\s+0x0*[1-9a-f][0-9a-f]* \S*delayload/lib(\w+)_delay\.a\((\S+)\)$",
                   re.MULTILINE)


def main(build):
    failures = []
    for program in PROGRAMS:
        text = (Path(build) / f"{program}.map").read_text(errors="replace")
        discarded = text.split("Discarded input sections", 1)[1].split("Memory Configuration", 1)[0]
        for library, member in THUNK.findall(discarded):
            failures.append(f"{program}: a thunk of {library} ({member}) was dropped; its slot is used directly")
    print("\n".join(failures) if failures else f"every delay-loaded call of {', '.join(PROGRAMS)} has its thunk")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
