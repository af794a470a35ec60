"""A failure at every step of the installation (the test build's named failure
points), unattended with and without -force and with -noRollback: the exit
code and line of each, and afterwards the prefix as it was before the run, but
for what is meant to stay."""
import re
import unittest
from concurrent.futures import ThreadPoolExecutor

from registry import Registry, machine_links, seed, stored_path
from state import capture, differences
from support import (CLASSES, COMMON_PROGRAMS, FAULTY, INSTALL_DIR, PACKAGE_FILES, UNINSTALL_KEY, USER_DESKTOP,
                     USER_ENVIRONMENT, USER_PROGRAMS)
from wine import Prefix, template

D = INSTALL_DIR
MENU = COMMON_PROGRAMS + "\\Korvane Velantrix"
LINKS = [MENU + "\\" + name for name in ("Velantrix.lnk", "Proxy Settings.lnk", "Host Key Manager.lnk",
                                         "Keypair Manager.lnk", "Uninstall Velantrix.lnk")]
LINKS.append("C:\\users\\Public\\Desktop\\Velantrix.lnk")
NT_FILES = PACKAGE_FILES  # what an NT system gets, in package order


def stored(path):
    """A key as the state lists it: where Wine keeps the installer's view of it, in lower case."""
    return stored_path(path, links=machine_links(template() / "system.reg")).lower()


# What may stay after a rolled-back failure (as the state lists it).
def prog_ids():
    return rf"^\+key {re.escape(stored(CLASSES))}\\korvane\.velantrix\.4\.10\.(profile|settings)(\\|$)"


def empty_extension():
    return rf"^\+key {re.escape(stored(CLASSES))}\\\.(vxp|dvs)$"


SEARCH_PATH = r"^~key hkey_local_machine\\system\\currentcontrolset\\control\\session manager\\environment \[path\]$"


# The registration's values in the order they are written (one RegSetValueExA
# pass each, from pass 15 on, after the fourteen of the two associations).
REGISTRATION_VALUES = ["DisplayName", "DisplayIcon", "UninstallString", "UninstallParam", "InstallDir",
                       "InstallLocation", "Version", "DisplayVersion", "Publisher", "QuietUninstallString", "EstimatedSize", "NoModify", "NoRepair"]


class Case:
    def __init__(self, point, code, line, warning=None, stays=(), why="", registered=None):
        self.point, self.code, self.line = point, code, line
        self.warning = warning  # with -force: this line, and the installation goes on
        self.stays, self.why = stays, why
        # With -force: the registration's values, those written before the failing one.
        self.registered = registered


def registration_case(value, why):
    """The registration's write of this value fails."""
    registration = "ninstaller registration failed: RegSetValueExA() failed: Windows error: 5"
    index = REGISTRATION_VALUES.index(value)
    return Case(f"RegSetValueExA#{15 + index}", 113, "U" + registration, "Warning: u" + registration, [prog_ids()],
                why, registered=sorted(REGISTRATION_VALUES[:index]))


def cases():
    PROG_IDS, EMPTY_EXTENSION = prog_ids(), empty_extension()
    found = []
    found.append(Case("CreateDirectoryA#1", 102, f"Unable to create target directory '{D}': Windows error 5",
                      why="the installation directory"))
    for number, name in enumerate(NT_FILES, 1):
        found.append(Case(f"CreateFileA#{number}", 150,
                          f"Installation error: Error creating target installation file '{D}\\{name}' - "
                          "CreateFile() failed with the following error: Windows error 5",
                          why=f"package file {name}"))
    found.append(Case("WriteFile#1", 150, f"Installation error: Error writing to target installation file "
                                          f"'{D}\\{NT_FILES[0]}' - WriteFile() failed", why="writing a package file"))
    found.append(Case(f"CreateFileA#{len(NT_FILES) + 1}", 150,
                      f"std::exception caught: FileSink: error opening file for writing: {D}\\uninst.exe",
                      why="the uninstaller file"))
    found.append(Case("CreateDirectoryA#2", 102, f"Unable to create target directory '{MENU}': Windows error 5",
                      why="the start-menu folder"))
    for number, link in enumerate(LINKS, 1):
        found.append(Case(f"IPersistFile::Save#{number}", 105,
                          f"Creating shortcut '{link}' failed: IPersistFile::Save() failed, aborting",
                          f"Warning: creating shortcut '{link}' failed: IPersistFile::Save() failed",
                          why=f"shortcut {number}"))
    setter = "IShellLink::SetPath() failed: COM error: -2147024891: General access denied error"
    found.append(Case("IShellLink::SetPath#1", 105, f"Creating shortcut '{LINKS[0]}' failed: {setter}, aborting",
                      f"Warning: creating shortcut '{LINKS[0]}' failed: {setter}", why="a setter of shortcut 1"))
    vxp = "egistering file association for extension '.vxp' failed. Reason: RegSetValueExA() failed: Windows error: 5"
    dvs = vxp.replace(".vxp", ".dvs")
    found.append(Case("RegSetValueExA#1", 112, "R" + vxp, "Warning: r" + vxp, [EMPTY_EXTENSION],
                      "the first write of .vxp"))
    found.append(Case("RegSetValueExA#2", 112, "R" + vxp, "Warning: r" + vxp, [PROG_IDS], "a later write of .vxp"))
    found.append(Case("RegSetValueExA#9", 112, "R" + dvs, "Warning: r" + dvs, [EMPTY_EXTENSION, PROG_IDS],
                      "the first write of .dvs"))
    found.append(registration_case("DisplayName", "the registration"))
    found.append(registration_case("UninstallString", "the registration after two of its values"))
    found.append(registration_case("InstallDir", "the registration after its uninstall string and parameters"))
    found.append(registration_case("DisplayVersion", "the first value that deployment tools read"))
    found.append(registration_case("EstimatedSize", "the first number (REG_DWORD)"))
    found.append(registration_case("NoRepair", "the registration's last value"))
    found.append(Case("SHChangeNotify", 150, "Installation error: Notifying the shell failed",
                      stays=[PROG_IDS, SEARCH_PATH], why="the shell notification"))
    return found


def baseline():
    """The state a fresh prefix has after a session in which the installer did nothing."""
    prefix = Prefix("fault-baseline")
    try:
        prefix.run(FAULTY, "-?")
        prefix.shutdown()
        return capture(prefix)
    finally:
        prefix.remove()


def run_case(before, case, options):
    prefix = Prefix("fault")
    try:
        run = prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", *options,
                         env={"VELANTRIX_FAIL_AT": case.point})
        prefix.shutdown()
        after = capture(prefix)
        registration = after.get("key " + stored(UNINSTALL_KEY)) or {}
        return run, differences(before, after), sorted(registration)
    finally:
        prefix.remove()


def jobs():
    """Every point without -force; with -force where it changes the outcome, or
    for the first point of each kind; -noRollback for the first point of each kind."""
    seen = set()
    for case in cases():
        kind = case.point.split("#")[0]
        yield case, ()
        if case.warning or kind not in seen:
            yield case, ("-force",)
        if kind not in seen:
            yield case, ("-noRollback",)
        seen.add(kind)


class FaultMatrix(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        before = baseline()
        work = list(jobs())
        with ThreadPoolExecutor(max_workers=2) as pool:
            outcomes = pool.map(lambda job: run_case(before, *job), work)
            cls.results = {(case.point, options): outcome for (case, options), outcome in zip(work, outcomes)}

    def test_without_force_each_failure_ends_with_its_code_and_rolls_everything_back(self):
        for case in cases():
            with self.subTest(case.why, point=case.point):
                run, changes, _ = self.results[(case.point, ())]
                self.assertEqual(run.returncode, case.code, run)
                self.assertTrue(any(line.startswith(case.line) for line in run.lines), run.stdout)
                unexpected = [c for c in changes if not any(re.search(p, c, re.I) for p in case.stays)]
                self.assertEqual(unexpected, [], f"left behind by {case.point}")
                if case.code != 102 or case.point != "CreateDirectoryA#1":
                    self.assertIn(f"Rollback: removing previously created {D}", run.lines)

    def test_force_turns_the_questions_into_warnings(self):
        for case in cases():
            if (case.point, ("-force",)) not in self.results:
                continue
            with self.subTest(case.why, point=case.point):
                run, _, registered = self.results[(case.point, ("-force",))]
                if case.warning is None:
                    self.assertEqual(run.returncode, case.code, run)
                    continue
                self.assertEqual(run.returncode, 0, run)
                self.assertTrue(any(line.startswith(case.warning) for line in run.lines), run.stdout)
                self.assertEqual(run.lines[-1], "Korvane Velantrix 4.10 installation completed")
                if case.registered is not None:
                    self.assertEqual(registered, case.registered, "failed at the write it names; the ones before stay")

    def test_no_rollback_leaves_what_was_made_and_says_nothing_of_it(self):
        for case in cases():
            if (case.point, ("-noRollback",)) not in self.results:
                continue
            with self.subTest(case.why, point=case.point):
                run, changes, _ = self.results[(case.point, ("-noRollback",))]
                self.assertEqual(run.returncode, case.code, run)
                self.assertFalse([line for line in run.lines if line.startswith("Rollback: ")])
                if case.point != "CreateDirectoryA#1":
                    self.assertIn("+dir " + D.lower(), changes)


class NotAnAdministrator(unittest.TestCase):
    """Wine's user is always an administrator; the test build can make every
    group comparison of the probe come out unequal."""

    def test_a_user_who_is_not_an_administrator_gets_the_users_own_places(self):
        prefix = Prefix("not-admin")
        self.addCleanup(prefix.remove)
        run = prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", env={"VELANTRIX_FAIL_AT": "EqualSid#*"})
        self.assertEqual(run.returncode, 0, run)
        shortcuts = [line for line in run.lines if line.startswith("Creating shortcut ")]
        self.assertEqual(shortcuts[0], f"Creating shortcut {USER_PROGRAMS}\\Korvane Velantrix\\Velantrix.lnk")
        self.assertEqual(shortcuts[-1], f"Creating shortcut {USER_DESKTOP}\\Velantrix.lnk")
        prefix.shutdown()
        registry = Registry(prefix)
        self.assertEqual(registry.value(USER_ENVIRONMENT, "PATH"), D)
        self.assertIsNotNone(registry.key(UNINSTALL_KEY), "the registration is the machine's all the same")


class FailedAssociation(unittest.TestCase):
    def test_a_replaced_association_is_given_back_when_its_own_step_fails(self):
        prefix = Prefix("fault-association")
        self.addCleanup(prefix.remove)
        seed(prefix, CLASSES + "\\.vxp", {"": "Other.Profile"})
        run = prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", env={"VELANTRIX_FAIL_AT": "RegSetValueExA#2"})
        self.assertEqual(run.returncode, 112)
        self.assertIn("Rollback: removing previously created file association for extension .vxp", run.lines)
        prefix.shutdown()
        self.assertEqual(Registry(prefix).value(CLASSES + "\\.vxp", ""), "Other.Profile")


class FailedPackageFile(unittest.TestCase):
    def test_a_file_that_could_not_be_created_is_neither_deleted_nor_scheduled(self):
        prefix = Prefix("fault-package-file")
        self.addCleanup(prefix.remove)
        prefix.host_path(D).mkdir(parents=True)  # there before: the rollback keeps the folder
        run = prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", env={"VELANTRIX_FAIL_AT": "CreateFileA#3"})
        self.assertEqual(run.returncode, 150, run)
        failed = f"{D}\\{NT_FILES[2]}"
        self.assertEqual([line for line in run.lines if line.startswith("Rollback: ")],
                         [f"Rollback: removing previously created {D}\\{name}" for name in reversed(NT_FILES[:2])])
        prefix.shutdown()
        # Another program puts its own file there; then the machine restarts
        # (a new session carries out the restart-time lists).
        prefix.host_path(failed).write_text("another program's")
        prefix.probe("WindowProbe.exe", "list")
        prefix.shutdown()
        self.assertEqual(prefix.host_path(failed).read_text(), "another program's")


class FailedRegistration(unittest.TestCase):
    def test_a_key_that_was_there_before_stays(self):
        prefix = Prefix("fault-registration-shared")
        self.addCleanup(prefix.remove)
        # Not an earlier installation (no version): a key another program added to.
        seed(prefix, UNINSTALL_KEY, {"Other": "theirs"})
        seed(prefix, UNINSTALL_KEY + "\\Extra", {"Kept": "theirs"})
        run = prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", env={"VELANTRIX_FAIL_AT": "RegSetValueExA#15"})
        self.assertEqual(run.returncode, 113, run)
        self.assertNotIn("Rollback: unregistering uninstaller", run.lines)
        prefix.shutdown()
        registry = Registry(prefix)
        self.assertEqual(registry.value(UNINSTALL_KEY, "Other"), "theirs")
        self.assertEqual(registry.value(UNINSTALL_KEY + "\\Extra", "Kept"), "theirs")


if __name__ == "__main__":
    unittest.main()
