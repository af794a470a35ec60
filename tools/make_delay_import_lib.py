#!/usr/bin/env python3
"""Makes a delay-import library of a system DLL from MinGW's import library of it.

    make_delay_import_lib.py TRIPLET IMPORT_LIB DLL_NAME OUTPUT

Every function the import library names goes into a module-definition file,
from which dlltool writes the delay-import library: a program linked with it
loads the DLL on its first call into it, by LoadLibrary, and so after the
program's start-up restricted where libraries come from. On 32-bit Windows
the __stdcall names keep their decoration as symbols and lose it as the names
looked up in the DLL (dlltool --kill-at)."""
import re
import subprocess
import sys
from pathlib import Path


def main(triplet, import_lib, dll_name, output):
    symbols = subprocess.run([f"{triplet}-nm", import_lib], capture_output=True, text=True, check=True).stdout
    underscore = triplet.startswith("i686")
    names = set()
    for match in re.finditer(r"^\S+ I __imp_(\S+)$", symbols, re.MULTILINE):
        name = match.group(1)
        if underscore:
            if not name.startswith("_"):
                continue  # not a C name
            name = name[1:]
        names.add(name)
    output = Path(output)
    definition = output.with_suffix(".def")
    definition.write_text(f"LIBRARY {dll_name}\nEXPORTS\n" + "".join(f"{n}\n" for n in sorted(names)))
    command = [f"{triplet}-dlltool", "--def", str(definition), "--dllname", dll_name, "--output-delaylib", str(output)]
    if underscore:
        command.append("--kill-at")
    subprocess.run(command, check=True)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        raise SystemExit("usage: make_delay_import_lib.py TRIPLET IMPORT_LIB DLL_NAME OUTPUT")
    main(*sys.argv[1:])
