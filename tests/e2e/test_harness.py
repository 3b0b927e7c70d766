"""The harness itself: books run on any screen size, shell opens reach the recorder."""

import os
import unittest

import harness
from harness import fscommand, script


class LauncherBook(harness.WineTestCase):
    def test_book_exits_cleanly_on_each_screen(self):
        # The movie closes the window, so a viewer that plays it ends as well.
        book = harness.make_book(os.path.join(self.tmp, "책 폴더"), "launcher",
                                 movie=script("wait 200", "probe", fscommand("", "function_close")))
        for screen in [(1024, 768), (800, 600)]:
            with self.subTest(screen=screen):
                result = harness.run(book, screen=screen, timeout=30)
                self.assertCleanExit(result)
                probes = result.of_kind("probe")
                self.assertEqual(len(probes), 1, result.describe())
                self.assertEqual(probes[0].fields()["screen"], "%d,%d" % screen)


class HungRun(harness.WineTestCase):
    def test_is_killed_and_the_next_run_still_works(self):
        hung = harness.run(os.path.join(harness.BIN, "smokehost.exe"), ["about:blank"], timeout=3)
        self.assertTrue(hung.timed_out)
        self.assertEqual(hung.of_kind("script")[0].values, ["blank"])
        after = harness.run(os.path.join(harness.BIN, "smokehost.exe"), ["about:blank"], timeout=3)
        self.assertTrue(after.timed_out)
        self.assertTrue(after.of_kind("shown"), after.describe())


class ShellOpensReachTheRecorder(harness.WineTestCase):
    def test_file_type_and_protocols(self):
        document = os.path.join(self.tmp, "메모 1" + harness.DOC_EXTENSION)
        with open(document, "wb") as f:
            f.write(b"x")
        targets = [harness.windows_path(document), "http://example.com/a?b=1", "https://example.com/%EC%B1%85"]
        for target in targets:
            with self.subTest(target=target):
                # start.exe hands its argument to the shell's "open" verb.
                result = harness.run("start", [target], cwd=self.tmp, timeout=30)
                self.assertCleanExit(result)
                opened = result.wait_recorder(1)
                self.assertEqual(len(opened), 1, result.describe())
                self.assertEqual(opened[0].command_line, '"%s" "%s"' % (harness.RECORDER_WINDOWS_PATH, target))


if __name__ == "__main__":
    unittest.main()
