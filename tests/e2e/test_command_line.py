"""The command line of the real installer: help, errors, the missing agreement."""
import unittest

from support import USAGE, PrefixCase


class CommandLine(PrefixCase):
    def test_help_writes_the_usage_and_exits_200(self):
        for args in (["-?"], ["/h"], ["-HELP"], ["/?", "-bogus", "stray", "-installDir"]):
            run = self.prefix.install(*args)
            self.assertEqual((run.returncode, run.stdout, run.stderr), (200, USAGE, ""), args)

    def test_errors_come_with_the_usage_and_exit_201(self):
        cases = [
            (["extra"], "Missing '-installDir' parameter.", "the directory is missed before the stray word"),
            (["-installDir"], "Missing '-installDir' parameter.", "no ="),
            (["-installDir="], "Missing '-installDir' parameter.", "nothing after ="),
            (["-installDir=C:\\T", "-acceptEULA", "extra"], "Invalid command option: extra.", "a stray word"),
            (["-installDir=C:\\T", "-acceptEULA", "-force=yes", "-bogus"],
             "Invalid command parameter: -bogus.\nInvalid command parameter: -force=yes.",
             "all unused options in one message, by name"),
            (["-installDir=C:\\T", "/NoDesktopIcon=1"], "Invalid command parameter: -NoDesktopIcon=1.",
             "a switch given a value is unused"),
        ]
        for args, message, why in cases:
            run = self.prefix.install(*args)
            self.assertEqual(run.returncode, 201, why)
            self.assertEqual(run.stdout, message + "\n\n" + USAGE, why)
            self.assertEqual(run.stderr, "", why)

    def test_missing_agreement_writes_three_lines_to_standard_error_and_exits_140(self):
        run = self.prefix.install("-installDir=C:\\Program Files\\Korvane Velantrix", "-installForMeOnly",
                                  "/noDesktopIcon", "-force")
        self.assertEqual(run.returncode, 140)
        self.assertEqual(run.stderr,
                         "Missing -acceptEULA parameter to indicate your acceptance of the Velantrix\n"
                         "End-User License Agreement. Please run this installer without parameters to\n"
                         "read the EULA, then supply -acceptEULA for unattended installation.\n")
        self.assertNotIn("installation completed", run.stdout)
        self.assertFalse(self.prefix.host_path("C:\\Program Files\\Korvane Velantrix").exists())


if __name__ == "__main__":
    unittest.main()
