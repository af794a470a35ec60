#!/usr/bin/env python3
"""Whether this machine can run the shipped 32-bit installer under Wine.

The kernel must run 32-bit programs: some kernels are built or booted without
that, whatever their version says, so a tiny static i386 program is run and
must return 42. With --kernel that is all; otherwise Wine's 32-bit loader must
start too. Prints the reason when it cannot; exit status 0 when it can.
"""
import os
import struct
import subprocess
import sys
import tempfile

WINE32 = "/usr/lib/wine/wine"


def tiny_i386_program():
    """An ELF program of one segment: exit(42) through int 0x80."""
    code = bytes.fromhex("b801000000" "bb2a000000" "cd80")  # mov eax,1; mov ebx,42; int 0x80
    base, size = 0x08048000, 52 + 32 + len(code)
    header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
        "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
    segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
    return header + segment + code


def kernel_reason():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "exit42")
        with open(path, "wb") as f:
            f.write(tiny_i386_program())
        os.chmod(path, 0o755)
        try:
            status = subprocess.run([path], capture_output=True, timeout=30).returncode
        except OSError as error:
            return f"this kernel cannot run 32-bit programs (a static i386 program did not start: {error.strerror})"
    return None if status == 42 else f"this kernel cannot run 32-bit programs (a static i386 program returned {status})"


def wine_reason():
    if not os.path.exists(WINE32):
        return f"Wine's 32-bit loader {WINE32} is missing (Debian package wine32:i386)"
    try:
        run = subprocess.run([WINE32, "--version"], capture_output=True, text=True, timeout=60)
    except OSError as error:
        return f"Wine's 32-bit loader does not start: {error.strerror}"
    return None if run.returncode == 0 else f"Wine's 32-bit loader ended with {run.returncode}: {run.stderr.strip()}"


def reason(kernel_only=False):
    """None when the machine can run the 32-bit build, else why not."""
    return kernel_reason() or (None if kernel_only else wine_reason())


if __name__ == "__main__":
    why = reason(kernel_only="--kernel" in sys.argv[1:])
    if why:
        print(why)
    sys.exit(1 if why else 0)
