#!/usr/bin/env python3
"""README's table of exit codes mirrors install/ExitCodes.h: the same names
with the same numbers, in the same order; and the header's own table of names
(kNamedExitCodes) names each code by its own name, in that order too. Exits 1
and says what differs."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

header_text = (ROOT / "install" / "ExitCodes.h").read_text()
header = re.findall(r"inline constexpr int (k\w+) = (\d+);", header_text)
name_table = re.findall(r'\{(k\w+), "(\w+)"\}', header_text)
if name_table != [(name, name) for name, _ in header]:
    print("install/ExitCodes.h: kNamedExitCodes does not name every code by its own name, in order:", file=sys.stderr)
    print(f"  {name_table}", file=sys.stderr)
    sys.exit(1)
readme = re.findall(r"^\| (\d+) \| `(k\w+)` \|", (ROOT / "README.md").read_text(), re.MULTILINE)
named = [(name, int(code)) for name, code in header]
listed = [(name, int(code)) for code, name in readme]
if named != listed:
    print("README's exit codes differ from install/ExitCodes.h:", file=sys.stderr)
    for name, code in sorted(set(named) ^ set(listed), key=lambda item: item[1]):
        print(f"  {code} {name}: {'header' if (name, code) in named else 'README'} only", file=sys.stderr)
    if set(named) == set(listed):
        print("  (the same entries in another order)", file=sys.stderr)
    sys.exit(1)
print(f"{len(named)} exit codes, README and install/ExitCodes.h agree")
