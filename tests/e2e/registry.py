"""Reading and seeding Wine's registry files (system.reg, user.reg).

The files are only complete once the prefix's wineserver has ended
(Prefix.shutdown); seeding appends key blocks before anything runs.

Paths are written as a program names them. Which key that is depends on the
view: a 32-bit program on 64-bit Windows sees HKEY_LOCAL_MACHINE\Software\
Wow6432Node as HKEY_LOCAL_MACHINE\Software, except for Software\Classes, which
both views share but for a few keys; the other keys they share are links, which
Wine keeps in system.reg. The view defaults to the installer's
under test (wine.WOW64); VIEW_WOW64 and VIEW_NATIVE name one explicitly.
"""
import re

from wine import WOW64

ROOTS = {"HKEY_LOCAL_MACHINE": "system.reg", "HKEY_CURRENT_USER": "user.reg"}
# A 32-bit program's view on 64-bit Windows, and the system's own (the only one
# a 32-bit Windows has).
VIEW_WOW64, VIEW_NATIVE = "32-bit view of 64-bit Windows", "the system's own view"
INSTALLER_VIEW = VIEW_WOW64 if WOW64 else VIEW_NATIVE
_LINK_PREFIX = "\\registry\\machine\\"
# Software\Classes is shared by the views but for these keys, which the 32-bit
# view keeps under Classes\Wow6432Node (Windows 7 and later, and Wine).
_CLASSES_OF_32_BIT_VIEW = {"clsid", "directshow", "interface", "media type", "mediafoundation"}

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def _escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def _split_quoted(text):
    """The quoted string at the start of text, and the rest after it."""
    assert text[0] == '"'
    i = 1
    while text[i] != '"':
        i += 2 if text[i] == "\\" else 1
    return _unescape(text[1:i]), text[i + 1:]


def parse_multi_string(text):
    """The installer's own reading of REG_MULTI_SZ data (a final double zero ends the list)."""
    if not text or not text.endswith("\0"):
        return []
    end = len(text) - 1 if len(text) > 1 and text[-2] == "\0" else len(text)
    strings, offset = [], 0
    while offset < end:
        zero = text.index("\0", offset)
        strings.append(text[offset:zero])
        offset = zero + 1
    return strings


def _decode_value(raw):
    if raw.startswith('"'):
        return REG_SZ, _split_quoted(raw)[0]
    m = re.match(r"str\((\d+)\):(.*)", raw)
    if m:
        kind, text = int(m.group(1)), _split_quoted(m.group(2))[0]
        if kind == REG_MULTI_SZ:
            # Wine leaves the data's last zero (the string terminator) out of the file.
            return kind, parse_multi_string(text + "\0")
        return kind, text
    if raw.startswith("dword:"):
        return REG_DWORD, int(raw[6:], 16)
    m = re.match(r"hex(?:\((\w+)\))?:(.*)", raw)
    if m:
        kind = int(m.group(1), 16) if m.group(1) else REG_BINARY
        data = bytes(int(b, 16) for b in m.group(2).replace("\\", "").split(",") if b.strip())
        return kind, data
    raise ValueError(f"unknown registry value: {raw!r}")


class Hive:
    """Keys of one registry file: {lower-case path: Key}."""

    def __init__(self, path):
        self.keys = {}
        key = None
        lines = path.read_text(encoding="latin-1").split("\n")
        i = 0
        while i < len(lines):
            line = lines[i]
            while line.endswith("\\") and i + 1 < len(lines) and not line.startswith("["):
                i += 1
                line = line[:-1] + lines[i].strip()
            i += 1
            if line.startswith("["):
                name = _unescape(line[1:line.rindex("]")])
                key = self.keys.setdefault(name.lower(), Key(name))
            elif key is not None and (line.startswith('"') or line.startswith("@")):
                if line.startswith("@"):
                    name, rest = "", line[1:]
                else:
                    name, rest = _split_quoted(line)
                key.values[name.lower()] = (name,) + _decode_value(rest[1:])


class Key:
    def __init__(self, name):
        self.name = name
        self.values = {}

    def get(self, name, default=None):
        entry = self.values.get(name.lower())
        return entry[2] if entry else default

    def type_of(self, name):
        entry = self.values.get(name.lower())
        return entry[1] if entry else None

    def names(self):
        return sorted(entry[0] for entry in self.values.values())


_LINK = re.compile(r'^\[(.*)\][^\n]*\n(?:#[^\n]*\n)*"SymbolicLinkValue"=hex\(6\):((?:[0-9a-f,]|\\\n\s*)*)',
                   re.M | re.I)


def machine_links(system_reg):
    """{key: target} of the registry links in a system.reg, in lower case."""
    links = {}
    for name, data in _LINK.findall(system_reg.read_text(encoding="latin-1")):
        raw = bytes(int(b, 16) for b in data.replace("\\", "").split(",") if b.strip())
        target = raw.decode("utf-16-le").lower()
        if target.startswith(_LINK_PREFIX):
            links[_unescape(name).lower()] = target[len(_LINK_PREFIX):]
    return links


def stored_path(path, view=None, links=None):
    """Where Wine keeps the key a program of the given view names path (the
    case of the names it keeps is path's); links: the prefix's machine_links."""
    root, _, sub = path.partition("\\")
    root = root.upper()
    if root != "HKEY_LOCAL_MACHINE":
        return f"{root}\\{sub}"
    parts = sub.split("\\")
    lower = [part.lower() for part in parts]
    if (view or INSTALLER_VIEW) == VIEW_WOW64 and lower[0] == "software" and lower[1:2] != ["wow6432node"]:
        if lower[1:2] != ["classes"]:
            sub = "\\".join(["Software", "Wow6432Node"] + parts[1:])
        elif lower[2:3] and lower[2] in _CLASSES_OF_32_BIT_VIEW:
            sub = "\\".join(["Software", "Classes", "Wow6432Node"] + parts[2:])
    for _ in range(8):  # a link may lead into another
        parts = sub.split("\\")
        heads = ["\\".join(parts[:n]) for n in range(len(parts), 0, -1)]
        head = next((h for h in heads if h.lower() in (links or {})), None)
        if head is None:
            break
        sub = links[head.lower()] + sub[len(head):]
    return f"{root}\\{sub}"


class Registry:
    """The registry of a stopped prefix, addressed by full key paths as a
    program of the given view (default: the installer's) names them."""

    def __init__(self, prefix, view=None):
        self.view = view or INSTALLER_VIEW
        self.hives = {root: Hive(prefix.path / file) for root, file in ROOTS.items()}
        self.links = machine_links(prefix.path / "system.reg")

    def stored_path(self, path):
        return stored_path(path, self.view, self.links)

    def _split(self, path):
        root, _, sub = self.stored_path(path).partition("\\")
        return self.hives[root], sub.lower()

    def key(self, path):
        hive, sub = self._split(path)
        return hive.keys.get(sub)

    def exists(self, path):
        """A key exists when it has a block of its own or any subkey (Wine
        writes no block for a key without values that has subkeys)."""
        hive, sub = self._split(path)
        return sub in hive.keys or any(s.startswith(sub + "\\") for s in hive.keys)

    def value_names(self, path):
        key = self.key(path)
        return key.names() if key else []

    def value(self, path, name, default=None):
        key = self.key(path)
        return key.get(name, default) if key else default

    def subkeys(self, path):
        hive, sub = self._split(path)
        depth = sub.count("\\") + 1
        return sorted(k.name.split("\\")[-1] for s, k in hive.keys.items()
                      if s.startswith(sub + "\\") and s.count("\\") == depth)

    def snapshot(self):
        """Every key and value, for comparing a prefix before and after a run."""
        result = {}
        for root, hive in self.hives.items():
            for sub, key in hive.keys.items():
                result[f"{root}\\{sub}"] = {n: (t, v) for n, t, v in key.values.values()}
        return result


def seed(prefix, path, values, view=None):
    """Appends a key with values to a stopped prefix's registry file.

    values: {name: str | int (REG_DWORD) | ("expand", str) | ("multi", [str])}; name "" is the default value.
    """
    root, _, sub = stored_path(path, view, machine_links(prefix.path / "system.reg")).partition("\\")
    lines = [f"\n[{_escape(sub)}] 0"]
    for name, value in values.items():
        left = "@" if name == "" else f'"{_escape(name)}"'
        if isinstance(value, int):
            lines.append(f"{left}=dword:{value:08x}")
        elif isinstance(value, tuple) and value[0] == "expand":
            lines.append(f'{left}=str(2):"{_escape(value[1])}"')
        elif isinstance(value, tuple) and value[0] == "multi":
            text = "".join(s + "\0" for s in value[1])  # Wine adds the final zero itself
            lines.append(f'{left}=str(7):"{_escape(text).replace(chr(0), chr(92) + "0")}"')
        else:
            lines.append(f'{left}="{_escape(value)}"')
    with open(prefix.path / ROOTS[root.upper()], "a", encoding="latin-1") as f:
        f.write("\n".join(lines) + "\n")


def remove_value(prefix, path, name, view=None):
    """Drops a value from a stopped prefix's registry file (every block of the key)."""
    root, _, sub = stored_path(path, view, machine_links(prefix.path / "system.reg")).partition("\\")
    file = prefix.path / ROOTS[root.upper()]
    header = "[" + _escape(sub).lower() + "]"
    target = ('"' + _escape(name) + '"=').lower() if name else "@="
    lines, inside = [], False
    for line in file.read_text(encoding="latin-1").split("\n"):
        if line.startswith("["):
            inside = line.lower().startswith(header)
        elif inside and line.lower().startswith(target):
            continue
        lines.append(line)
    file.write_text("\n".join(lines), encoding="latin-1")
