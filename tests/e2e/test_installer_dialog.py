"""The interactive installer's dialog, driven with the mouse and the keyboard
on a Wine desktop: cancelling, the agreement gate, the layout when resized,
the package contents window, the folder browser, and installing with the
choices made. Screenshots go to build/screenshots for a person to look at."""
import shutil
import unittest

from dialog import CONTENTS_TITLE, TEMPLATE, TITLE, InteractiveRun, use_wine_desktop
from registry import Registry
from support import (IDOK, INSTALL_DIR, PROBES, SYSTEM_LIBRARIES, UNINSTALL_KEY, USER_DESKTOP, USER_PROGRAMS,
                     BoxWatcher, PrefixCase, prefer_native)
from wine import INSTALLER, Prefix

INSTALL, CANCEL, LICENSE, AGREE, FOLDER, FOLDER_LINK, PACKAGE_LINK = 1, 2, 1005, 1006, 1001, 1007, 1008
ALL_USERS, DESKTOP_ICON, RUN_WHEN_DONE = 1011, 1012, 1013


class DialogCase(PrefixCase):
    def setUp(self):
        super().setUp()
        use_wine_desktop(self.prefix)

    def start(self, **kwargs):
        run = InteractiveRun(self.prefix, **kwargs)
        self.addCleanup(self.prefix.kill)
        return run

    def assert_nothing_installed(self):
        self.assertFalse(self.prefix.host_path(INSTALL_DIR).exists())
        self.prefix.shutdown()
        self.assertIsNone(Registry(self.prefix).key(UNINSTALL_KEY))


class Cancelling(DialogCase):
    def test_cancel_escape_and_the_close_box_end_with_202_and_change_nothing(self):
        ways = [
            ("Cancel button", lambda run, state: run.click(state[CANCEL])),
            ("Escape", lambda run, state: run.key("Escape")),
            ("close box", lambda run, state: run.click_at(*state.close_box)),
        ]
        for way, act in ways:
            run = self.start()
            state = run.look()
            act(run, state)
            result = run.finish()
            self.assertEqual((result.returncode, result.stdout, result.stderr.strip()), (202, "", ""), way)
        self.assert_nothing_installed()


class Opening(DialogCase):
    def test_opens_grown_centred_with_the_choices_and_the_agreement_gate(self):
        run = self.start()
        state = run.look()
        run.screenshot("installer-dialog-opening")
        self.assertEqual(state.title, TITLE)
        self.assertEqual(state.style & 0x92CD0040, 0x92CD0040, "template style")
        self.assertTrue(state.exstyle & 0x40000, "WS_EX_APPWINDOW")
        # 250 x 262 units, grown by 40 units (7/9 of a 1024-pixel work area is more).
        self.assertEqual(state.client, (state.dx(250), state.dy(262) + state.dy(40)))
        x, y, w, h = state.rect
        wx, wy, ww, wh = state.work_area
        self.assertLess(h, 7 * wh // 9)
        self.assertEqual((x, y), (wx + ww // 2 - w // 2, wy + wh // 2 - h // 2), "centred on the work area")
        # The choices and the caption of the install button.
        self.assertEqual(state[FOLDER].text, INSTALL_DIR)
        self.assertEqual([state[i].checked for i in (AGREE, ALL_USERS, DESKTOP_ICON, RUN_WHEN_DONE)],
                         [False, True, True, True])
        self.assertEqual(state[INSTALL].text, "Install")
        # Not accepted: install disabled in normal weight, the check box bold, focus on the licence.
        self.assertEqual((state[INSTALL].enabled, state[INSTALL].bold, state[AGREE].bold), (False, False, True))
        self.assertEqual(state.focus, LICENSE)
        # Enter cannot install while the agreement is not checked.
        run.key("Return")
        self.assertEqual(len(run.windows(TITLE)), 1)

        run.click(state[AGREE])
        state = run.look()
        self.assertEqual((state[AGREE].checked, state[INSTALL].enabled, state[INSTALL].bold, state[AGREE].bold),
                         (True, True, True, False))
        run.screenshot("installer-dialog-accepted")
        run.click(state[AGREE])
        state = run.look()
        self.assertEqual((state[AGREE].checked, state[INSTALL].enabled, state[INSTALL].bold, state[AGREE].bold),
                         (False, False, False, True))
        run.key("Escape")
        self.assertEqual(run.finish().returncode, 202)

    def test_layout_follows_resizing_down_to_the_minimum_size(self):
        run = self.start()
        state = run.look()
        for control_id in TEMPLATE:
            self.assertEqual(state[control_id].rect, state.expected_rect(control_id, buttons_centred=False),
                             f"control {control_id} at opening")

        run.resize_by(state, 230, 140)
        grown = run.look()
        run.screenshot("installer-dialog-resized")
        self.assertEqual((grown.client[0] - state.client[0], grown.client[1] - state.client[1]), (230, 140))
        for control_id in TEMPLATE:
            self.assertEqual(grown[control_id].rect, grown.expected_rect(control_id), f"control {control_id}")
        install, cancel = grown[INSTALL].rect, grown[CANCEL].rect
        # Each button keeps half the width (rounded down) plus 3 units from the
        # edge opposite it, so an odd width leaves the gap one pixel short.
        self.assertEqual(cancel[0] - (install[0] + install[2]), 2 * grown.dx(3) - grown.client[0] % 2,
                         "buttons centred, 6 units apart")

        run.resize_by(grown, -600, -600)
        smallest = run.look()
        run.screenshot("installer-dialog-smallest")
        self.assertEqual(smallest.rect[2:], (smallest.dx(240) + 2 * smallest.border + 6,
                                             smallest.dy(200) + smallest.caption + 2 * smallest.border + 7))
        for control_id in TEMPLATE:
            self.assertEqual(smallest[control_id].rect, smallest.expected_rect(control_id), f"control {control_id}")
        run.click(smallest[CANCEL])
        self.assertEqual(run.finish().returncode, 202)


class SmallWorkArea(unittest.TestCase):
    """The desktop that forces the cap is worked out from what the dialog
    measures, so no machine's font decides whether the cap applies."""

    def opened(self, size):
        prefix = Prefix("small-work-area")
        self.addCleanup(prefix.remove)
        use_wine_desktop(prefix, size)
        run = InteractiveRun(prefix)
        state = run.look()
        run.key("Escape")
        self.assertEqual(run.finish().returncode, 202)
        return state

    def test_growth_stops_at_seven_ninths_of_the_work_area(self):
        large = self.opened("1280x1024")
        growth = large.dy(40)
        self.assertLess(large.rect[3], 7 * large.work_area[3] // 9, "grown by the whole 40 units there")
        natural = large.rect[3] - growth
        # A desktop whose seven ninths fall halfway through the growth.
        height = (9 * (natural + growth // 2) + 6) // 7
        state = self.opened(f"1280x{height}")
        wx, wy, ww, wh = state.work_area
        self.assertEqual(wh, height)
        self.assertEqual(state.rect[3], 7 * wh // 9, "less than 40 more units would give")
        self.assertTrue(natural < state.rect[3] < natural + growth, (natural, growth, state.rect))
        self.assertEqual(state.rect[1], wy + wh // 2 - state.rect[3] // 2, "centred")
        for control_id in TEMPLATE:
            self.assertEqual(state[control_id].rect, state.expected_rect(control_id, buttons_centred=False))


class PackageContents(DialogCase):
    def test_one_window_at_a_time_at_the_mouse(self):
        run = self.start()
        state = run.look()
        link = state[PACKAGE_LINK]
        run.click(link)
        first = run.wait_for(lambda: run.windows(CONTENTS_TITLE), "the package contents window")
        self.assertEqual(len(first), 1)
        handle, owner, (x, y, w, h), foreground, _ = first[0]
        self.assertEqual(owner, run.windows(TITLE)[0][0], "owned by the installer dialog")
        self.assertEqual((x + w // 2, y + h // 2), link.centre, "centred on the mouse")
        contents = run.look(CONTENTS_TITLE)
        text = [c for c in contents.controls.values() if c.cls.lower() == "richedit20a"]
        self.assertEqual([c.rect for c in text], [(0, 0) + contents.client], "the text fills the window")
        run.screenshot("package-contents-window")

        # A second click only brings the open window forward.
        run.click(state[FOLDER])
        self.assertFalse(run.windows(CONTENTS_TITLE)[0][3])
        run.click(link)
        again = run.wait_for(lambda: [w for w in run.windows(CONTENTS_TITLE) if w[3]], "the window in front")
        self.assertEqual([w[0] for w in again], [handle])
        self.assertEqual(len(run.windows(CONTENTS_TITLE)), 1)

        # It follows its own resizing.
        run.resize_by(contents, 120, 80)
        contents = run.look(CONTENTS_TITLE)
        text = [c for c in contents.controls.values() if c.cls.lower() == "richedit20a"]
        self.assertEqual([c.rect for c in text], [(0, 0) + contents.client])

        # Closed, the next click opens a new one.
        run.click_at(*contents.close_box)
        run.wait_for(lambda: not run.windows(CONTENTS_TITLE), "the window to close")
        run.click(link)
        reopened = run.wait_for(lambda: run.windows(CONTENTS_TITLE), "a new package contents window")
        self.assertEqual(len(reopened), 1)
        run.click(state[CANCEL])
        self.assertEqual(run.finish().returncode, 202)
        self.assert_nothing_installed()


class FolderBrowser(DialogCase):
    def test_the_folder_link_browses_from_the_typed_folder(self):
        self.prefix.host_path("C:\\Chosen").mkdir()
        run = self.start()
        state = run.look()
        run.click(state[FOLDER])
        run.key("ctrl+a", "BackSpace")
        run.type("C:\\Chosen")
        run.click(state[FOLDER_LINK])
        browser = run.wait_for(lambda: [w for w in run.windows() if w[4] not in (TITLE, "")], "the folder browser")
        self.assertEqual(browser[0][1], run.windows(TITLE)[0][0], "owned by the installer dialog")
        texts = [c.text for c in run.look(browser[0][4]).controls.values()]
        self.assertIn("Please Select Velantrix Install Directory", texts)
        run.screenshot("folder-browser")
        run.key("Return")
        run.wait_for(lambda: len(run.windows()) == 1, "the browser to close")
        self.assertEqual(run.look()[FOLDER].text.lower(), "c:\\chosen")
        run.key("Escape")
        self.assertEqual(run.finish().returncode, 202, "the folder link does not install")


class Installing(DialogCase):
    def test_install_returns_the_choices_and_the_run_goes_on(self):
        run = self.start(env={"WINEDEBUG": "-all,trace+process"})
        state = run.look()
        run.click(state[FOLDER])
        run.key("ctrl+a", "BackSpace")
        run.type("C:\\Velantrix Test")
        for control_id in (AGREE, ALL_USERS, DESKTOP_ICON):
            run.click(state[control_id])
        state = run.look()
        self.assertEqual([state[i].checked for i in (AGREE, ALL_USERS, DESKTOP_ICON, RUN_WHEN_DONE)],
                         [True, False, False, True])
        done = BoxWatcher(self.prefix, "Installation Completed", IDOK)
        run.click(state[INSTALL])
        self.assertIn("Korvane Velantrix 4.10 installation completed.\\n", done.texts())
        result = run.finish()
        self.assertEqual((result.returncode, result.lines[-1]), (0, "Korvane Velantrix 4.10 installation completed"))
        launches = [line for line in result.stderr.splitlines() if "CreateProcessInternalW" in line]
        self.assertTrue(any(line.endswith('cmdline L"\\"C:\\\\Velantrix Test\\\\velantrix.exe\\""')
                            for line in launches), launches)
        self.assertTrue(self.prefix.host_path("C:\\Velantrix Test").is_dir())
        self.assertTrue(self.prefix.host_path(USER_PROGRAMS + "\\Korvane Velantrix\\Velantrix.lnk").exists(),
                        "for the current user only")
        self.assertFalse(self.prefix.host_path(USER_DESKTOP + "\\Velantrix.lnk").exists(), "no desktop icon")

    def test_a_folder_text_longer_than_260_characters_is_cut(self):
        run = self.start()
        state = run.look()
        run.click(state[FOLDER])
        run.key("ctrl+a", "BackSpace")
        run.type("C:\\" + "v" * 297)
        run.click(state[RUN_WHEN_DONE])
        run.click(state[AGREE])
        failed = BoxWatcher(self.prefix, "Directory Creation Failed", IDOK)
        run.click(run.look()[INSTALL])
        texts = [t for t in failed.texts() if t.startswith("Unable to create target directory '")]
        self.assertEqual(len(texts), 1, failed.texts())
        self.assertEqual(texts[0].split("'")[1], "C:\\" + "v" * 257)
        self.assertEqual(run.finish().returncode, 101)


class PlantedLibraries(DialogCase):
    def test_no_system_library_beside_the_installer_is_loaded_while_its_dialog_shows(self):
        # The rich edit library, and those the system's own libraries load
        # when windows and themes come up.
        folder = self.prefix.host_path("C:\\Downloads")
        folder.mkdir()
        shutil.copy(INSTALLER, folder / "VelantrixInstaller.exe")
        for name in ("riched20",) + SYSTEM_LIBRARIES:
            shutil.copy(PROBES / "riched20.dll", folder / f"{name}.dll")
        run = self.start(exe=folder / "VelantrixInstaller.exe",
                         env={"WINEDLLOVERRIDES": prefer_native("riched20", *SYSTEM_LIBRARIES)})
        try:
            state = run.look()
        finally:  # the library leaves its trace as soon as it is loaded
            self.assertFalse((folder / "planted-dll-loaded.txt").exists(), "the planted library was loaded")
        self.assertEqual(state[LICENSE].cls.lower(), "richedit20a", "the system's rich edit")
        run.key("Escape")
        self.assertEqual(run.finish().returncode, 202)


if __name__ == "__main__":
    unittest.main()
