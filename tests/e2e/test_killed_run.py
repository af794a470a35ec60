"""A run killed midway, as Task Manager or a power cut ends one (the test
build ends itself at a named point, before that call): the next installer run
undoes what the dead run made and installs with exit 0, and after the quiet
uninstallation nothing of either run is left. A file the dead run did not
make is still the user's. The uninstaller, too, undoes what a dead run made."""
import unittest
from concurrent.futures import ThreadPoolExecutor

from state import capture, differences
from support import FAULTY, INSTALL_DIR, PACKAGE_FILES, PrefixCase
from uninstalling import UninstallerCase
from wine import Prefix

D = INSTALL_DIR
KILLED = 99  # the test build's exit code for a run it killed
UNDOING = "An earlier run of the installer ended before it was done; undoing what it made"

# Where the run dies, and what it had made by then.
KILLS = [
    ("CreateDirectoryA#1", "nothing: the installation folder is recorded, not yet made"),
    ("CreateFileA#4", "the folder and three package files"),
    ("WriteFile#6", "a package file half written"),
    ("IPersistFile::Save#3", "every file and two shortcuts"),
    ("RegSetValueExA#3", "a file association, half written"),
    ("RegSetValueExA#18", "the registration, half written"),
    ("SHChangeNotify", "everything, the search path entry too, not yet committed"),
]


def kill(prefix, point, *options):
    return prefix.run(FAULTY, f"-installDir={D}", "-acceptEULA", *options, env={"VELANTRIX_KILL_AT": point})


def quiet_uninstall(prefix):
    return prefix.run(prefix.host_path(D + "\\uninst.exe"), "Velantrix", "-unat")


def after_restart(prefix):
    """The prefix's state once a restart has carried out what waited for it
    (the uninstaller's temporary copy, a file that was in use)."""
    prefix.shutdown()
    prefix.start_session()
    prefix.shutdown()
    return capture(prefix)


def killed_then_installed(before, point):
    """The dead run, the next run, the quiet uninstallation, and what is left."""
    prefix = Prefix("killed")
    try:
        killed = kill(prefix, point)
        again = prefix.install(f"-installDir={D}", "-acceptEULA")
        removed = quiet_uninstall(prefix) if again.returncode == 0 else None
        return killed, again, removed, differences(before, after_restart(prefix))
    finally:
        prefix.remove()


def baseline():
    prefix = Prefix("killed-baseline")
    try:
        prefix.install("-?")
        return after_restart(prefix)
    finally:
        prefix.remove()


class KilledRun(unittest.TestCase):
    def test_the_next_run_undoes_a_killed_run_and_installs(self):
        before = baseline()
        with ThreadPoolExecutor(max_workers=2) as pool:
            results = list(pool.map(lambda kill: killed_then_installed(before, kill[0]), KILLS))
        for (point, made), (killed, again, removed, left) in zip(KILLS, results):
            with self.subTest(point, made=made):
                self.assertEqual(killed.returncode, KILLED, killed)
                self.assertEqual(again.returncode, 0, again)
                self.assertEqual(again.lines[0], UNDOING, again)
                self.assertEqual(removed.returncode, 0, removed)
                self.assertEqual(left, [], "nothing of either run is left")


class KilledRunMadeLess(PrefixCase):
    def test_a_file_the_dead_run_did_not_make_stays_the_users(self):
        self.assertEqual(kill(self.prefix, "CreateFileA#4").returncode, KILLED)
        users = self.prefix.host_path(D + "\\" + PACKAGE_FILES[5])
        users.write_bytes(b"the user's own")
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 104, run)
        self.assertEqual(run.lines[0], UNDOING)
        self.assertIn(f"Target file '{D}\\{PACKAGE_FILES[5]}' already exists, aborting", run.lines)
        self.assertEqual(users.read_bytes(), b"the user's own")
        for name in PACKAGE_FILES[:3]:
            self.assertFalse(self.prefix.host_path(D + "\\" + name).exists(), name)

    def test_a_run_without_rollback_leaves_no_record(self):
        self.assertEqual(kill(self.prefix, "CreateFileA#4", "-noRollback").returncode, KILLED)
        run = self.prefix.install(f"-installDir={D}", "-acceptEULA")
        self.assertEqual(run.returncode, 104, "its files are left, as a failed run's would be")
        self.assertNotIn(UNDOING, run.lines)


class UninstallerAfterKilledRun(UninstallerCase):
    def test_the_uninstaller_undoes_a_run_killed_after_it_registered(self):
        before = after_restart(self.prefix)
        self.assertEqual(kill(self.prefix, "SHChangeNotify").returncode, KILLED)
        code, lines = self.uninstall("-unat")
        self.assertEqual(code, 0, lines)
        self.assertEqual(lines[0], UNDOING)
        self.assertEqual(lines[-1], "The interrupted installation has been undone")
        # Its own running file and folder go at the restart.
        self.assertEqual(differences(before, after_restart(self.prefix)), [])


if __name__ == "__main__":
    unittest.main()
