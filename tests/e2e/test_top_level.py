"""Every failure reaches the top-level handler: real faults, assertions, exceptions."""
import unittest

from support import IDOK, BoxWatcher, PrefixCase

PROBE = "FaultProbe.exe"


class TopLevel(PrefixCase):
    def test_real_faults_are_reported_as_exceptions_after_the_rollback(self):
        for what, name in (("av", "EXCEPTION_ACCESS_VIOLATION"), ("div", "EXCEPTION_INT_DIVIDE_BY_ZERO")):
            run = self.prefix.probe(PROBE, what)
            self.assertEqual(run.returncode, 150, run)
            self.assertEqual(run.stdout, "Rollback: probe step\nRollback: probe step\n"
                                         f"std::exception caught: {name}\n")

    def test_unattended_failures_by_class(self):
        cases = [
            ("badalloc", "std::exception caught: bad allocation"),
            ("install-error", "Installation error: probe failure"),
            ("unknown", "Unrecognized exception caught"),
        ]
        for what, line in cases:
            run = self.prefix.probe(PROBE, what)
            self.assertEqual((run.returncode, run.stdout), (150, f"Rollback: probe step\n{line}\n"), what)

    def test_interactive_failures_also_show_a_box(self):
        cases = [
            ("av", "Exception", "std::exception caught: EXCEPTION_ACCESS_VIOLATION"),
            ("install-error", "Installation Error", "Installation error: probe failure"),
            ("unknown", "Exception", "Unrecognized exception caught"),
        ]
        for what, title, message in cases:
            box = BoxWatcher(self.prefix, title, IDOK)
            run = self.prefix.probe(PROBE, "-i", what)
            self.assertEqual(run.returncode, 150)
            self.assertTrue(run.stdout.endswith(message + "\n"), run.stdout)
            self.assertIn(message, box.texts())

    def test_assertion_shows_its_report_and_ends_the_thread_with_34821(self):
        long_dir = "C:\\" + "d" * 120
        self.prefix.host_path(long_dir).mkdir()
        probe_copy = self.prefix.host_path(long_dir + "\\FaultProbe.exe")
        probe_copy.write_bytes((self.prefix_probe_path()).read_bytes())
        box = BoxWatcher(self.prefix, "Assertion failed", IDOK)
        run = self.prefix.probe("WindowProbe.exe", "run", f"{long_dir}\\FaultProbe.exe", "assert")
        self.assertEqual(run.stdout, "exit code 34821\n", "no destructor runs, nothing is reported")
        module = (long_dir + "\\FaultProbe.exe")[:100]
        text = [t for t in box.texts() if t.startswith("Assertion failed")]
        self.assertEqual(len(text), 1, box.texts())
        self.assertRegex(text[0], r"^Assertion failed in module '(.*)', PID \d+, source file 'probe/FaultProbe', "
                                  r"line 42:\\r\\nprobe expression\\r\\nThe asserting thread will be terminated\.$")
        shown_module = text[0].split("'")[1]
        self.assertEqual(len(shown_module), 100, "a longer module path is cut to 100 characters")
        self.assertEqual(shown_module.lower(), module.lower())

    def prefix_probe_path(self):
        from wine import PROBES
        return PROBES / PROBE


if __name__ == "__main__":
    unittest.main()
