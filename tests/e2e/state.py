"""What a prefix holds (files under C: and the registry), and how two such
states differ, for checking that a failed installation left nothing behind."""
import hashlib
import re

from registry import Registry

# Wine rewrites these itself at every start (device and driver records).
_NOISE = [re.compile(r"^HKEY_LOCAL_MACHINE\\system\\currentcontrolset\\control\\class\\", re.I)]


def capture(prefix):
    """The state of a stopped prefix: {"file <path>": digest, "key <path>": {value: (type, data)}}."""
    state = {}
    for file in (prefix.path / "drive_c").rglob("*"):
        relative = "C:\\" + str(file.relative_to(prefix.drive_c)).replace("/", "\\")
        if file.is_dir() and not file.is_symlink():
            state["dir " + relative.lower()] = None
        elif file.is_file():
            state["file " + relative.lower()] = hashlib.sha1(file.read_bytes()).hexdigest()
    keys = Registry(prefix).snapshot()
    for key in list(keys):
        # Wine writes no block for a key without values that has subkeys.
        parent = key
        while "\\" in parent:
            parent = parent.rsplit("\\", 1)[0]
            keys.setdefault(parent, {})
    for key, values in keys.items():
        if not any(noise.search(key) for noise in _NOISE):
            state["key " + key.lower()] = values
    return state


def differences(before, after):
    """Lines such as "+file c:\\x", "-key hkey_...", "~key hkey_... value name"."""
    lines = []
    for name in sorted(set(before) | set(after)):
        if name not in before:
            lines.append("+" + name)
        elif name not in after:
            lines.append("-" + name)
        elif before[name] != after[name]:
            if name.startswith("key "):
                old, new = before[name], after[name]
                for value in sorted(set(old) | set(new)):
                    if old.get(value) != new.get(value):
                        lines.append(f"~{name} [{value}]")
            else:
                lines.append("~" + name)
    return lines
