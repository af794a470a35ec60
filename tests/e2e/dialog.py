"""Driving the interactive installer as a person would: the mouse and the
keyboard through xdotool on the prefix's Wine desktop, what the windows show
read back with WindowProbe ("dialog" and "windows" commands)."""
import subprocess
import time

from registry import seed
from wine import INSTALLER, WORK

TITLE = "Korvane Velantrix 4.10 Installer"
CONTENTS_TITLE = "Korvane Velantrix 4.10 Package Contents"
SCREENSHOTS = WORK / "screenshots"

# The dialog template: control id -> (x, y, width, height) in dialog units.
TEMPLATE = {
    1008: (7, 7, 91, 10), 1002: (149, 7, 94, 10), 1014: (1, 23, 249, 1), 1005: (7, 31, 236, 124),
    1006: (7, 160, 236, 10), 1009: (1, 177, 249, 1), 1007: (7, 185, 63, 10), 1001: (87, 184, 156, 12),
    1011: (7, 201, 73, 10), 1012: (87, 201, 83, 10), 1013: (7, 216, 97, 10), 1: (62, 241, 60, 14),
    2: (127, 241, 60, 14), 1010: (1, 233, 249, 1),
}
# Anchors in dialog units: (left, top, right, bottom); None: not anchored there.
ANCHORS = {
    1002: (None, None, 7, None), 1014: (1, None, 1, None), 1005: (7, 31, 7, 107), 1006: (None, None, None, 92),
    1009: (1, None, 1, 84), 1007: (None, None, None, 67), 1001: (87, None, 7, 66), 1011: (None, None, None, 51),
    1012: (None, None, None, 51), 1013: (None, None, None, 36), 1010: (1, None, 1, 28), 1: (None, None, None, 7),
    2: (None, None, None, 7),
}


def use_wine_desktop(prefix, size="1280x1024"):
    """Every window of the prefix on one Wine desktop (by default the size of
    the screen): Wine draws the frames and runs the sizing loop itself, as
    Windows would."""
    seed(prefix, "HKEY_CURRENT_USER\\Software\\Wine\\Explorer", {"Desktop": "Default"})
    seed(prefix, "HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops", {"Default": size})


def _fields(line):
    kind, *parts = line.split("|")
    fields = {}
    for i, part in enumerate(parts):
        key, _, value = part.partition("=")
        if key == "text":  # the text is last and may hold anything
            fields[key] = "|".join([value] + parts[i + 1:])
            break
        fields[key] = value
    return kind, fields


def _rect(text):
    return tuple(int(v) for v in text.split(","))


class Control:
    def __init__(self, fields):
        self.id = int(fields["id"])
        self.cls = fields["class"]
        self.rect = _rect(fields["rect"])      # x, y, width, height in the dialog's client area
        self.screen = _rect(fields["screen"])
        self.enabled = fields["enabled"] == "1"
        self.checked = int(fields["checked"]) == 1
        self.weight = int(fields["weight"])
        self.style = int(fields["style"], 16)
        self.exstyle = int(fields["exstyle"], 16)
        self.text = fields["text"]

    @property
    def bold(self):
        return self.weight >= 700

    @property
    def centre(self):
        x, y, w, h = self.screen
        return x + w // 2, y + h // 2


class DialogState:
    """One look at a dialog, parsed from WindowProbe's "dialog" lines."""

    def __init__(self, lines):
        self.controls = {}
        for line in lines:
            kind, fields = _fields(line)
            if kind == "window":
                self.rect = _rect(fields["rect"])
                self.client = _rect(fields["client"])
                self.style = int(fields["style"], 16)
                self.exstyle = int(fields["exstyle"], 16)
                self.focus = int(fields["focus"])
                self.foreground = fields["foreground"] == "1"
                self.title = fields["text"]
            elif kind == "control":
                control = Control(fields)
                self.controls[control.id] = control
            elif kind == "units":
                self.base_x, self.base_y = int(fields["x"]), int(fields["y"])
                self.border, self.caption = int(fields["border"]), int(fields["caption"])
                self.work_area = _rect(fields["workarea"])
            elif kind == "close":
                self.close_box = int(fields["x"]), int(fields["y"])

    def __getitem__(self, control_id):
        return self.controls[control_id]

    # Dialog units to pixels, rounded as MapDialogRect rounds.
    def dx(self, units):
        return (units * self.base_x + 2) // 4

    def dy(self, units):
        return (units * self.base_y + 4) // 8

    def expected_rect(self, control_id, buttons_centred=True):
        """Where the anchor table puts a control for the current client size."""
        width, height = self.client
        x, y, w, h = TEMPLATE[control_id]
        left, top, w, h = self.dx(x), self.dy(y), self.dx(w), self.dy(h)
        a_left, a_top, a_right, a_bottom = ANCHORS.get(control_id, (None,) * 4)
        if buttons_centred and control_id == 1:
            a_right = None
            left = width - (width // 2 + self.dx(3)) - w
        if buttons_centred and control_id == 2:
            left = width // 2 + self.dx(3)
        left, right = _anchored(left, w, a_left, a_right, width, self.dx)
        top, bottom = _anchored(top, h, a_top, a_bottom, height, self.dy)
        return left, top, right - left, bottom - top


class InteractiveRun:
    """The real installer, started without arguments (or with those that keep
    the dialog) on the prefix's Wine desktop."""

    def __init__(self, prefix, *args, exe=INSTALLER, env=None):
        self.prefix = prefix
        self.process = prefix.start(exe, *args, env=env)

    # Looking ---------------------------------------------------------
    def look(self, title=TITLE, timeout_ms=60000):
        run = self.prefix.probe("WindowProbe.exe", "dialog", title, str(timeout_ms), timeout=timeout_ms / 1000 + 60)
        assert run.returncode == 0, f"{run}\n{self.prefix.window_trouble()}"
        return DialogState(run.lines)

    def windows(self, title=None):
        """The visible top-level windows as (handle, owner, rect, foreground, title)."""
        run = self.prefix.probe("WindowProbe.exe", "windows")
        found = []
        for line in run.lines:
            kind, fields = _fields(line)
            if kind == "top" and (title is None or fields["text"] == title):
                found.append((fields["hwnd"], fields["owner"], _rect(fields["rect"]),
                              fields["foreground"] == "1", fields["text"]))
        return found

    def wait_for(self, condition, what, timeout=30):
        deadline = time.time() + timeout
        while True:
            value = condition()
            if value or time.time() > deadline:
                assert value, f"timed out waiting for {what}"
                return value
            time.sleep(0.3)

    def screenshot(self, name):
        """The whole screen, kept under build/ for a person to look at."""
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        path = SCREENSHOTS / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], check=True, timeout=60)
        print(f"\nscreenshot: {path}", flush=True)
        return path

    # Acting ----------------------------------------------------------
    def _xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], check=True, timeout=60)

    def settle(self, timeout=30):
        """Waits until what an action set off has happened: two looks at the
        visible windows (their texts, places and focus) in a row agree."""
        previous = None

        def unchanged():
            nonlocal previous
            current = self.windows()
            same, previous = current == previous, current
            return same

        self.wait_for(unchanged, "the windows to settle", timeout)

    def click_at(self, x, y):
        self._xdotool("mousemove", x, y, "sleep", "0.2", "click", "1")
        self.settle()

    def click(self, control):
        self.click_at(*control.centre)

    def key(self, *keys):
        self._xdotool("key", "--delay", "50", *keys)
        self.settle()

    def type(self, text):
        self._xdotool("type", "--delay", "20", text)
        self.settle()

    def drag(self, start, end):
        """Presses the left button at start, moves in steps, releases at end."""
        (x0, y0), (x1, y1) = start, end
        moves = []
        for step in range(1, 6):
            moves += ["mousemove", x0 + (x1 - x0) * step // 5, y0 + (y1 - y0) * step // 5, "sleep", "0.1"]
        self._xdotool("mousemove", x0, y0, "sleep", "0.2", "mousedown", "1", "sleep", "0.2", *moves,
                      "mouseup", "1")
        self.settle()

    def resize_by(self, state, dx, dy):
        """Drags the window's bottom right corner; returns once its size changed."""
        x, y, w, h = state.rect
        corner = (x + w - 2, y + h - 2)
        self.drag(corner, (corner[0] + dx, corner[1] + dy))
        self.wait_for(lambda: any(rect[2:] != (w, h) for _, _, rect, _, title in self.windows()
                                  if title == TITLE), "the dialog to take its new size")

    def finish(self, timeout=120):
        return self.prefix.finish(self.process, timeout)


def _anchored(start, size, near, far, extent, to_pixels):
    """One axis of the anchor rule: a near anchor keeps the distance to the
    near edge, a far one to the far edge; both stretch the control."""
    end = start + size
    if near is not None:
        start = to_pixels(near)
        end = start + size
    if far is not None:
        end = extent - to_pixels(far)
        if near is None:
            start = end - size
    return start, end
