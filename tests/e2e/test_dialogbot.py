"""dialogbot against dialogtarget, and the removable drive of the prefix."""

import os
import unittest

import dialogs
import drives
import harness

MESSAGE_CAPTION = "Vellix 뷰어"
FAILURE_TEXT = "보고서.hwp 파일 저장 실패\n경로를 확인해 주세요."


def target_log(path):
    """dialogtarget's log as a list of value lists."""
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            out.append([harness.unescape(v) for v in line.rstrip("\n").split("\t")])
    return out


def run_target(folder, steps, timeout=60):
    log = os.path.join(folder, "target.log")
    if os.path.exists(log):
        os.remove(log)
    result = harness.run(dialogs.TARGET, [harness.windows_path(log)] + steps, cwd=folder,
                         timeout=timeout)
    return result, target_log(log) if os.path.exists(log) else []


class DialogSequence(harness.WineTestCase):
    """One target run shows the dialogs of the table in a row; one bot run
    answers them all, the way a viewer run with several commands is driven."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        chosen = harness.windows_path(os.path.join(cls.tmp, "저장된 보고서.hwp"))
        # (what, target step, bot action, what the target must get back)
        cls.rows = [
            ("save to the typed path",
             ["save", "한글 문서 파일|*.hwp", "보고서.hwp"], dialogs.save(chosen),
             ["save", "ok", chosen, "1"]),
            ("cancel; several filters, name with a space",
             ["save", "마이크로소프트 워드 파일|*.doc;*.docx;|모든 파일|*.*", "회의 자료.docx"], dialogs.CANCEL,
             ["save", "cancel", "0x00000000"]),
            ("ok keeps the preset name",
             ["save", "PDF 파일|*.pdf", "안내.pdf"], dialogs.OK,
             ["save", "ok", harness.windows_path(os.path.join(cls.tmp, "안내.pdf")), "1"]),
            ("message box, two lines",
             ["message", MESSAGE_CAPTION, FAILURE_TEXT], dialogs.OK,
             ["message", "1"]),
        ]
        bot = dialogs.start_bot(*[row[2] for row in cls.rows])
        steps = [arg for row in cls.rows for arg in row[1]]
        cls.result, cls.got = run_target(cls.tmp, steps)
        cls.bot = bot.wait()
        cls.describe = "%s\n%s\ntarget: %r" % (bot.describe(), cls.result.describe(), cls.got)

    def test_every_dialog_answered_in_order(self):
        self.assertCleanExit(self.result)
        self.assertEqual(self.bot.exit_code, 0, self.describe)
        self.assertEqual(self.bot.run_result.exit_code, 0, self.describe)
        self.assertEqual(len(self.bot.dialogs), len(self.rows), self.describe)
        self.assertEqual(self.got[-1], ["end", "0"], self.describe)
        for i, (what, step, action, expected) in enumerate(self.rows):
            with self.subTest(what):
                self.assertEqual(self.got[i], expected, self.describe)
                d = self.bot.dialogs[i]
                self.assertEqual(d.action, tuple(action.split(" ", 1)))
                self.assertTrue(d.closed, self.describe)

    def test_reports_what_the_dialogs_show(self):
        self.assertEqual(len(self.bot.dialogs), len(self.rows), self.describe)
        for (what, step, action, expected), d in zip(self.rows, self.bot.dialogs):
            with self.subTest(what):
                if step[0] == "save":
                    filters = step[1].split("|")
                    self.assertEqual(d.kind, "save")
                    self.assertEqual(d.filters, filters[0::2], self.describe)
                    self.assertEqual(d.selected_filter, (0, filters[0]))
                    self.assertEqual(d.file_name, step[2])
                else:
                    self.assertEqual(d.kind, "message")
                    self.assertEqual(d.caption, step[1])
                    self.assertEqual(d.text, step[2])
                    self.assertEqual([b[0] for b in d.buttons], [1], self.describe)


class DialogBotFailures(harness.WineTestCase):
    """The bot reports failure instead of answering blindly."""

    def test_no_dialog_is_a_timeout(self):
        answered = dialogs.start_bot(dialogs.OK, timeout=0.3).wait()
        self.assertTrue(answered.timed_out)
        self.assertEqual(answered.dialogs, [])
        self.assertEqual((answered.handled, answered.exit_code), (0, 2))
        self.assertEqual(answered.run_result.exit_code, 2)

    def test_action_that_does_not_fit_leaves_the_dialog_open(self):
        bot = dialogs.start_bot(dialogs.save("C:\\x.hwp"))
        running = harness.start(dialogs.TARGET, [harness.windows_path(os.path.join(self.tmp, "misfit.log")),
                                                 "message", MESSAGE_CAPTION, "확인"], cwd=self.tmp)
        answered = bot.wait()
        # A second bot closes the message box that the first one refused.
        closer = dialogs.start_bot(dialogs.OK).wait()
        result = running.wait()
        self.assertEqual(answered.exit_code, 3, bot.describe())
        self.assertEqual(answered.dialogs[0].kind, "message")
        self.assertEqual(answered.dialogs[0].error, "no file-name box")
        self.assertEqual(closer.exit_code, 0)
        self.assertCleanExit(result)

    def test_bad_arguments(self):
        log = harness.windows_path(os.path.join(self.tmp, "bad.log"))
        for args in ([], [log], [log, "jump"], [log, "save"], [log, "ok", "--count", "x"],
                     [log, "ok", "--actions", "C:\\missing\\actions.txt"]):
            with self.subTest(args=args):
                result = harness.run(dialogs.BOT, args, cwd=self.tmp, timeout=30)
                self.assertFalse(result.timed_out)
                self.assertEqual(result.exit_code, 1, result.describe())


class RemovableDrive(harness.WineTestCase):
    """A folder mapped as drive E: is the prefix's only removable drive and
    receives what a program writes there; unmapped, no drive is removable."""

    def test_map_then_unmap(self):
        stick = os.path.join(self.tmp, "stick")
        stray = os.path.join(self.tmp, "stray")
        os.makedirs(stick)
        os.makedirs(stray)
        self.addCleanup(drives.unmap, "E", "F")
        # A removable F: left by an earlier test must not stay removable.
        drives.map_removable("F", stray)
        drives.map_removable("E", stick)
        types = drives.drive_types()
        self.assertEqual(types["E"], drives.DRIVE_REMOVABLE)
        self.assertEqual([l for l, t in types.items() if t == drives.DRIVE_REMOVABLE], ["E"], types)
        self.assertEqual(types["C"], drives.DRIVE_FIXED)

        result, got = run_target(self.tmp, ["write", "E:\\TxtData\\메모 1.txt", "가나\nend"])
        self.assertCleanExit(result)
        self.assertEqual(got[0], ["write", "ok"])
        with open(os.path.join(stick, "TxtData", "메모 1.txt"), "rb") as f:
            self.assertEqual(f.read(), "가나\nend".encode("utf-8"))

        drives.unmap("E", "F")
        types = drives.drive_types()
        self.assertNotIn(drives.DRIVE_REMOVABLE, types.values(), types)
        self.assertEqual((types["E"], types["F"]), (drives.DRIVE_NO_ROOT_DIR, drives.DRIVE_NO_ROOT_DIR))
        self.assertEqual(drives.removable_letters(), [])


if __name__ == "__main__":
    unittest.main()
