"""File associations: replacing, giving back and removing (the real step,
run by TransactionProbe), and the replacing warning of the real installer."""
import unittest

from registry import Registry, remove_value, seed
from support import CLASSES, INSTALL_DIR, UNINSTALL_KEY, PrefixCase

PROBE = "TransactionProbe.exe"
VXP = CLASSES + "\\.vxp"


class Associations(PrefixCase):
    def test_a_replaced_association_is_given_back(self):
        seed(self.prefix, VXP, {"": "Other.Profile"})
        seed(self.prefix, CLASSES + "\\Other.Profile", {"": "theirs"})
        run = self.prefix.probe(PROBE, "association=.vxp,Ours.Profile", "fail")
        self.assertEqual(run.returncode, 150)
        self.assertEqual(run.lines, [
            "Warning: Replacing file association for extension '.vxp' currently associated with Other.Profile",
            "Rollback: removing previously created file association for extension .vxp",
            "Installation error: probe failure",
        ])
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertEqual(registry.value(VXP, ""), "Other.Profile")
        self.assertEqual(registry.value(CLASSES + "\\Ours.Profile", ""), "Ours.Profile file",
                         "the new ProgID key is left in place")
        self.assertEqual(registry.value(CLASSES + "\\Other.Profile", ""), "theirs")

    def test_a_fresh_association_is_recorded_and_removed_on_rollback(self):
        run = self.prefix.probe(PROBE, "association=.vxp,Ours.Profile")
        self.assertEqual(run.lines, [
            "Registering file association for extension '.vxp'",
            '"-shareResWith=Dravelo" '
            f'"-delRegKey={VXP}" "-delRegKey={CLASSES}\\Ours.Profile\\DefaultIcon" '
            f'"-delRegKey={CLASSES}\\Ours.Profile\\Shell\\Open\\command" '
            f'"-delRegKey={CLASSES}\\Ours.Profile\\Shell\\Open" "-delRegKey={CLASSES}\\Ours.Profile\\Shell" '
            f'"-delRegKey={CLASSES}\\Ours.Profile"'])
        run = self.prefix.probe(PROBE, "association=.new,Ours.New", "fail")
        self.assertEqual(run.returncode, 150)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertFalse(registry.exists(CLASSES + "\\.new"), "no subkeys: the key goes")
        self.assertTrue(registry.exists(CLASSES + "\\Ours.New\\Shell\\Open\\command"), "the ProgID stays")
        self.assertEqual(registry.value(VXP, ""), "Ours.Profile", "the committed one is untouched")

    def test_a_key_with_a_foreign_subkey_keeps_it_and_loses_its_values(self):
        seed(self.prefix, CLASSES + "\\.xyz\\ShellNew", {"NullFile": ""})
        run = self.prefix.probe(PROBE, "association=.xyz,Ours.Xyz", "fail")
        self.assertEqual(run.returncode, 150)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertTrue(registry.exists(CLASSES + "\\.xyz"))
        self.assertEqual(registry.value_names(CLASSES + "\\.xyz"), [], "its values, the default one too, are gone")
        self.assertEqual(registry.value(CLASSES + "\\.xyz\\ShellNew", "NullFile"), "")

    def test_a_key_with_only_foreign_values_keeps_them(self):
        # Nothing but the default value is ours: the rollback takes that and
        # leaves the key with what another program keeps there.
        seed(self.prefix, CLASSES + "\\.abc", {"Content Type": "text/x-abc"})
        run = self.prefix.probe(PROBE, "association=.abc,Ours.Abc", "fail")
        self.assertEqual(run.returncode, 150)
        self.prefix.shutdown()
        registry = Registry(self.prefix)
        self.assertEqual(registry.value_names(CLASSES + "\\.abc"), ["Content Type"])
        self.assertEqual(registry.value(CLASSES + "\\.abc", "Content Type"), "text/x-abc")

    def test_the_installer_warns_when_it_replaces(self):
        seed(self.prefix, VXP, {"": "Other.Profile"})
        run = self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA")
        self.assertEqual(run.returncode, 0, run)
        self.assertIn("Warning: Replacing file association for extension '.vxp' currently associated with "
                      "Other.Profile", run.lines)
        # Without its uninstall command the earlier installation is not removed
        # first, so its association is still there.
        self.prefix.shutdown()
        remove_value(self.prefix, UNINSTALL_KEY, "UninstallString")
        run = self.prefix.install(f"-installDir={INSTALL_DIR}", "-acceptEULA", "-force")
        self.assertIn("Warning: Replacing file association for extension '.vxp' currently associated with "
                      "Korvane.Velantrix.4.10.Profile", run.lines, "a reinstallation finds its own ProgID")


if __name__ == "__main__":
    unittest.main()
