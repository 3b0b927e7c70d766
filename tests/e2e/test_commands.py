"""The book window's movie commands, end to end under Wine: attachment
exports through the save dialogs, memo texts on a removable drive, note lists
against real folders, bring-to-front, program launch, shell opens, and the
commands of popup windows.

Each class runs the viewer once (or twice) with a movie that issues a table of
commands, then checks what every row left behind."""

import os
import unittest

import dialogs
import drives
import harness
from harness import fscommand, script

CLOSE = fscommand("", "function_close")


def listing(folder):
    """Every file and folder below folder, as '/'-separated relative paths."""
    out = set()
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            out.add(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/"))
    return out


def read(path):
    with open(path, "rb") as f:
        return f.read()


def split_list(text):
    """A result list "a@@@b@@@" as ["a", "b"]; the text must end with the separator."""
    if text == "":
        return []
    assert text.endswith("@@@"), text
    return text[:-3].split("@@@")


# ---- attachment exports -----------------------------------------------------

class AttachmentExports(harness.WineTestCase):
    """One run, one dialog after another. A row: what it shows, the args the
    movie sends, the dialogs it must show (save dialog: filter, preset name,
    answer; message box: text), and what must lie at the destination."""

    BOOK_FILES = {
        "Export_Page_Img/contents/pic.jpg": b"JPEG picture bytes",
        "docs/a.pdf": b"%PDF a",
        "docs/Report.HWP": b"HWP report",
        "docs/Letter.Docx": b"DOCX letter",
        "docs/보고서.hwp": "한글 보고서".encode("utf-8"),
        "docs/data.XLSX": b"XLSX",
        "docs/readme": b"no extension",
        "docs/slide.Png": b"PNG",
    }
    SUCCESS = " 파일이 저장되었습니다."
    FAILURE = " 파일 저장 실패\n경로를 확인해 주세요."
    WORD = "마이크로소프트 워드 파일"

    # The doccopy preset is the whole tail ("docs\\a.pdf"); the dialog shows
    # its last part in the name box (the folder part is where it opens).
    # (what, args, [dialogs], destination file name, source of its bytes or None)
    #   a save dialog: ("save", filter, preset, destination name or None to cancel)
    #   a message box: ("message", text)
    ROWS = [
        ("imgcopy reads the contents folder and replaces an existing file",
         "function_imgcopy@@@pic.jpg",
         [("save", "ImageFile", "pic.jpg", "existing.jpg")],
         "existing.jpg", "Export_Page_Img/contents/pic.jpg"),
        ("doccopy of a pdf before any export shows the form's filter; cancel copies nothing",
         "function_doccopy@@@docs/a.pdf",
         [("save", "PDF 파일", "a.pdf", None)], None, None),
        ("doccopy of a Hangul file, extension in capitals",
         "function_doccopy@@@docs/Report.HWP",
         [("save", "한글 파일", "Report.HWP", "report.hwp")],
         "report.hwp", "docs/Report.HWP"),
        ("doccopy of a Word file",
         "function_doccopy@@@docs/Letter.Docx",
         [("save", WORD, "Letter.Docx", "letter.docx")],
         "letter.docx", "docs/Letter.Docx"),
        ("doccopy of a pdf right after a Word export keeps the Word filter",
         "function_doccopy@@@docs/a.pdf",
         [("save", WORD, "a.pdf", "a.pdf")], "a.pdf", "docs/a.pdf"),
        ("copyfile of a Hangul file: its own filter text, replaced without a question, success message",
         "function_copyfile@@@docs@@@보고서.hwp",
         [("save", "한글 문서 파일", "보고서.hwp", "보고서 사본.hwp"), ("message", "보고서.hwp" + SUCCESS)],
         "보고서 사본.hwp", "docs/보고서.hwp"),
        ("copyfile of a missing file: the dialog still shows, then the failure message",
         "function_copyfile@@@docs@@@없는 파일.pdf",
         [("save", "PDF 파일", "없는 파일.pdf", "missing.pdf"), ("message", "없는 파일.pdf" + FAILURE)],
         "missing.pdf", None),
        ("copyfile without a second field does nothing",
         "function_copyfile@@@보고서.hwp", [], None, None),
        ("copyfile cancelled: no copy, no message",
         "function_copyfile@@@docs@@@data.XLSX",
         [("save", "마이크로소프트 엑셀 파일", "data.XLSX", None)], None, None),
        ("copyfile of an image",
         "function_copyfile@@@docs@@@slide.Png",
         [("save", "이미지파일", "slide.Png", "slide.png"), ("message", "slide.Png" + SUCCESS)],
         "slide.png", "docs/slide.Png"),
        ("copyfile of a name without extension",
         "function_copyfile@@@docs@@@readme",
         [("save", "모든 파일", "readme", "readme.bin"), ("message", "readme" + SUCCESS)],
         "readme.bin", "docs/readme"),
        ("doccopy of a pdf keeps the filter that copyfile left",
         "function_doccopy@@@docs/a.pdf",
         [("save", "모든 파일", "a.pdf", None)], None, None),
    ]

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.out = os.path.join(cls.tmp, "out")
        os.makedirs(cls.out)
        for name in ("existing.jpg", "보고서 사본.hwp"):
            with open(os.path.join(cls.out, name), "wb") as f:
                f.write(b"old bytes that must go")
        cls.book_dir = os.path.join(cls.tmp, "export")
        book = harness.make_book(cls.book_dir, "Export", files=cls.BOOK_FILES,
                                 movie=script(*[fscommand("", row[1]) for row in cls.ROWS], CLOSE))
        actions = []
        for row in cls.ROWS:
            for d in row[2]:
                if d[0] == "message":
                    actions.append(dialogs.OK)
                elif d[3] is None:
                    actions.append(dialogs.CANCEL)
                else:
                    actions.append(dialogs.save(harness.windows_path(os.path.join(cls.out, d[3]))))
        bot = dialogs.start_bot(*actions, timeout=20)
        cls.result = harness.run(book, timeout=60)
        cls.bot = bot.wait()
        cls.describe = "%s\n%s" % (bot.describe(), cls.result.describe())

    def test_each_dialog_shows_its_filter_and_name(self):
        # Row by row first: a dialog too many or too few shifts the rest, so
        # the first row that fails is the one at or right after the fault.
        viewer_pid = self.result.standin[0].pid if self.result.standin else None
        seen = iter(self.bot.dialogs)
        for what, args, shown, _, _ in self.ROWS:
            with self.subTest(what):
                for want in shown:
                    d = next(seen, None)
                    self.assertIsNotNone(d, self.describe)
                    self.assertEqual(d.kind, want[0], self.describe)
                    self.assertEqual(d.pid, viewer_pid)
                    self.assertTrue(d.closed, self.describe)
                    if want[0] == "save":
                        self.assertEqual(d.filters, [want[1]])
                        self.assertEqual(d.selected_filter, (0, want[1]))
                        self.assertEqual(d.file_name, want[2])
                    else:
                        self.assertEqual(d.text, want[1])
                        self.assertEqual(d.caption, "Export")
                        self.assertEqual([b[0] for b in d.buttons], [1])
        self.assertEqual(len(self.bot.dialogs), sum(len(row[2]) for row in self.ROWS), self.describe)
        self.assertEqual(self.bot.exit_code, 0, self.describe)
        self.assertCleanExit(self.result)

    def test_copies_land_where_the_reader_chose(self):
        # The two files there beforehand were replaced; cancelled and failed
        # copies left nothing.
        self.assertEqual(listing(self.out), {row[3] for row in self.ROWS if row[4]}, self.describe)
        for what, _, _, destination, source in self.ROWS:
            if source:
                with self.subTest(what):
                    self.assertEqual(read(os.path.join(self.out, destination)),
                                     read(os.path.join(self.book_dir, *source.split("/"))))
        # The book's own files stay as they were.
        self.assertEqual(listing(os.path.join(self.book_dir, "docs")),
                         {p.split("/", 1)[1] for p in self.BOOK_FILES if p.startswith("docs/")})


# ---- memo texts ---------------------------------------------------------------

class MemoTexts(harness.WineTestCase):
    """Memos go to TxtData on the first removable drive; E: is a temporary
    folder. A row: what, args, the replies, the file it leaves below TxtData
    and the bytes (None: no file)."""

    ROWS = [
        ("Korean in code page 949, LF as CR LF, '/' kept in the text",
         "function_saveTextFile@@@가나\nHello/World\n@@@memo1.txt",
         [("saveSuccess", "success")], "memo1.txt",
         b"\xb0\xa1\xb3\xaa\r\nHello/World\r\n"),
        ("a lone CR stays as it is", "function_saveTextFile@@@a\rb@@@cr.txt",
         [("saveSuccess", "success")], "cr.txt", b"a\rb"),
        ("an empty memo makes an empty file", "function_saveTextFile@@@@@@empty.txt",
         [("saveSuccess", "success")], "empty.txt", b""),
        ("first of two saves under one name", "function_saveTextFile@@@the first, longer text@@@twice.txt",
         [("saveSuccess", "success")], None, None),
        ("the second save replaces the first", "function_saveTextFile@@@second@@@twice.txt",
         [("saveSuccess", "success")], "twice.txt", b"second"),
        ("separators after the first belong to the file name", "function_saveTextFile@@@a@@@b@@@c.txt",
         [("saveSuccess", "success")], "b@@@c.txt", b"a"),
        ("nothing in the name is interpreted", "function_saveTextFile@@@p@@@100%d.txt",
         [("saveSuccess", "success")], "100%d.txt", b"p"),
        ("a missing subfolder fails", "function_saveTextFile@@@x@@@nosuch/m.txt",
         [("saveSuccess", "fail")], None, None),
        # (Wine takes ":" in a file name as an ordinary character, so only
        # "?" and "*" make a name that cannot be created here.)
        ("a name with '?' fails", "function_saveTextFile@@@x@@@a?.txt", [("saveSuccess", "fail")], None, None),
        ("a name with '*' fails", "function_saveTextFile@@@x@@@a*.txt", [("saveSuccess", "fail")], None, None),
        ("no second field: nothing written", "function_saveTextFile@@@lonely.txt",
         [("saveSuccess", "fail")], None, None),
        ("load names the memo folder", "function_loadTextFile",
         [("loadTxt", "E:\\TxtData\\"), ("loadSuccess", "success")], None, None),
        ("load ignores a tail", "function_loadTextFile@@@whatever",
         [("loadTxt", "E:\\TxtData\\"), ("loadSuccess", "success")], None, None),
    ]

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.fixed = os.path.join(cls.tmp, "fixed")
        cls.stick = os.path.join(cls.tmp, "stick")
        os.makedirs(cls.fixed)
        os.makedirs(cls.stick)
        try:
            # First E: as a fixed drive: it must not be taken for a removable one.
            drives.map_removable("E", cls.fixed)
            drives.no_removable()
            book = harness.make_book(os.path.join(cls.tmp, "nodrive"), "Memo", movie=script(
                fscommand("", "function_saveTextFile@@@text@@@memo.txt"),
                fscommand("", "function_loadTextFile"), CLOSE))
            cls.without = harness.run(book)
            drives.map_removable("E", cls.stick)
            book = harness.make_book(os.path.join(cls.tmp, "drive"), "Memo", movie=script(
                *[fscommand("", row[1]) for row in cls.ROWS], CLOSE))
            cls.result = harness.run(book, timeout=60)
        finally:
            drives.unmap("E")

    def test_without_removable_drive_both_fail(self):
        self.assertCleanExit(self.without)
        self.assertEqual(self.without.variables(1), [("saveSuccess", "fail"), ("loadSuccess", "fail")],
                         self.without.describe())
        self.assertEqual(listing(self.fixed), set())

    def test_replies_in_order(self):
        self.assertCleanExit(self.result)
        replies = iter(self.result.variables(1))
        for what, args, expected, _, _ in self.ROWS:
            with self.subTest(what):
                self.assertEqual([next(replies, None) for _ in expected], expected, self.result.describe())
        self.assertIsNone(next(replies, None))

    def test_memo_files_and_bytes(self):
        folder = os.path.join(self.stick, "TxtData")
        files = {row[3]: row[4] for row in self.ROWS if row[3]}
        # No partial file of a failed save, no folder created for one.
        self.assertEqual(listing(self.stick), {"TxtData"} | {"TxtData/" + name for name in files})
        for name, data in files.items():
            with self.subTest(name):
                self.assertEqual(read(os.path.join(folder, name)), data)


# ---- note lists -----------------------------------------------------------------

class NoteLists(harness.WineTestCase):
    NOTES = {
        "notes/memo1.txt": b"1",
        "notes/메모.txt": b"2",
        "notes/MyTxtList.txt": b"3",
        "notes/my_txtlist.txt": b"4",   # other case: kept in the list file
        "notes/notes.backup.txt": b"5",
        "notes/readme.md": b"not listed",
        "notes/old.txt/inside.txt": b"a folder named like a text file",
        "notes/deeper/inner.txt": b"6",
        "empty/TxtList_a.txt": b"an older list file, to be replaced",
    }
    LISTED = {"memo1.txt", "메모.txt", "MyTxtList.txt", "my_txtlist.txt", "notes.backup.txt", "old.txt"}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.book_dir = os.path.join(cls.tmp, "lists")
        book = harness.make_book(cls.book_dir, "Lists", files=cls.NOTES, movie=script(
            fscommand("", "function_searchList@@@notes"),
            fscommand("", "function_TxtListSaveToFile@@@notes@@@.txt"),
            fscommand("", "function_searchList@@@notes"),
            fscommand("", "function_TxtListSaveToFile@@@empty@@@_a.txt"),
            fscommand("", "function_TxtListSaveToFile@@@missing@@@.txt"),
            fscommand("", "function_TxtListSaveToFile@@@notes"),
            fscommand("", "function_searchList@@@missing"),
            fscommand("", "function_searchList@@@notes/deeper"),
            fscommand("", "function_InputParameter"),
            CLOSE))
        cls.result = harness.run(book, args=["제3장"])
        cls.bare = harness.run(book)

    def test_search_lists_matching_entries_folders_included(self):
        self.assertCleanExit(self.result)
        replies = self.result.variables(1)[1:]   # after firstIndex
        self.assertEqual([name for name, _ in replies], ["resultList"] * 4 + ["변수명"], self.result.describe())
        first, second, missing, deeper = [value for _, value in replies[:4]]
        self.assertEqual(sorted(split_list(first)), sorted(self.LISTED))
        # The list file written in between is found by the next search.
        self.assertEqual(sorted(split_list(second)), sorted(self.LISTED | {"TxtList.txt"}))
        self.assertEqual(missing, "")
        self.assertEqual(deeper, "inner.txt@@@")

    def test_list_files(self):
        first = split_list(self.result.variables(1)[1][1])
        kept = [n[:n.rfind(".")] for n in first if "TxtList" not in n]
        self.assertEqual(sorted(kept), sorted(["memo1", "메모", "my_txtlist", "notes.backup", "old"]))
        self.assertEqual(read(os.path.join(self.book_dir, "notes", "TxtList.txt")),
                         ("&name=%s&" % ",".join(kept)).encode("cp949"))
        self.assertEqual(read(os.path.join(self.book_dir, "empty", "TxtList_a.txt")), b"&name=&")
        # Nothing else was written: not for the missing folder, not for the
        # request without its suffix.
        expected = set(self.NOTES) | {"notes/TxtList.txt", "notes", "empty", "notes/old.txt", "notes/deeper"}
        self.assertEqual(listing(self.book_dir) - {"Lists.exe", "Lists.swf", "Lists_Page_Img",
                                                   "Lists_Page_Img/contents"}, expected)

    def test_input_parameter(self):
        self.assertCleanExit(self.bare)
        self.assertEqual(self.result.variables(1)[-1], ("변수명", "제3장"))
        self.assertEqual(self.bare.variables(1)[-1], ("변수명", ""))


# ---- window, program and shell ----------------------------------------------------

class ForwardShowShellAndPopups(harness.WineTestCase):
    """A popup takes the foreground; function_forward gives it back to the
    book window after three seconds. Then programs and documents go to the
    shell, from the book window and from a popup."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.book_dir = os.path.join(cls.tmp, "front")
        book = harness.make_book(
            cls.book_dir, "Front",
            files={"tools/rec.exe": read(os.path.join(harness.BIN, "recorder.exe")),
                   "docs/note" + harness.DOC_EXTENSION: b"doc",
                   "docs/pop doc" + harness.DOC_EXTENSION: b"doc"},
            movie=script(
                fscommand("function", "PopUpForm@@@enter.swf@@@1"),
                "wait 1500",
                fscommand("function", "PopUpForm@@@open.swf@@@2"),
                "wait 1500",
                "probe",
                fscommand("", "function_forward"),
                "probe",
                fscommand("", "function_show@@@tools/rec.exe@@@my arg/x"),
                fscommand("", "function_show@@@tools/rec.exe@@@"),
                fscommand("", "function_show@@@tools/rec.exe"),
                fscommand("", "docs/note" + harness.DOC_EXTENSION),
                fscommand("", "http://example.com/a/b"),
                "wait 3000",
                CLOSE),
            popups={
                "enter.swf": script("wait 300", "key Enter", "wait 10000"),
                "open.swf": script(
                    fscommand("x", "docs/pop doc" + harness.DOC_EXTENSION),
                    fscommand("function_close", "http://example.com/p/q"),
                    "wait 60000"),
            })
        cls.result = harness.run(book, timeout=60)
        cls.result.wait_recorder(6, timeout=10)
        cls.describe = cls.result.describe()

    def test_forward_brings_the_book_window_back(self):
        self.assertCleanExit(self.result)
        before, after = [p.fields() for p in self.result.of_kind("probe", 1)]
        self.assertEqual(before["foreground"], "0", self.describe)
        self.assertEqual(after["foreground"], "1", self.describe)
        event = [e for e in self.result.of_kind("event", 1) if e.values[2] == "function_forward"][0]
        returned = [e for e in self.result.of_kind("event-return", 1) if e.time >= event.time][0]
        self.assertGreaterEqual(returned.time - event.time, 2900)

    def test_popup_closed_by_enter_and_popup_left_open(self):
        self.assertCleanExit(self.result)
        # Enter closed the first popup before the book looked at the screen;
        # the second was still open when the book closed, and went with it.
        self.assertLess(self.result.of_kind("release", 2)[0].time, self.result.of_kind("probe", 1)[0].time)
        self.assertTrue(self.result.of_kind("release", 3), self.describe)
        self.assertGreater(self.result.of_kind("release", 3)[0].time, self.result.of_kind("probe", 1)[1].time)

    def test_shell_opens(self):
        folder = harness.windows_path(self.book_dir)
        recorder = '"%s" ' % harness.RECORDER_WINDOWS_PATH
        rec = '"%s\\tools\\rec.exe" ' % folder
        expected = [
            # function_show: the program below the book folder, its argument quoted.
            rec + '"my arg\\x"',
            rec + '""',
            # The book window's default open: slashes became backslashes.
            # Wine's shell hands the backslashed address to the protocol's
            # program as it is.
            recorder + '"%s\\docs\\note%s"' % (folder, harness.DOC_EXTENSION),
            recorder + '"http:\\\\example.com\\a\\b"',
            # The popup's open keeps the slashes: the address shows it (the
            # shell itself makes a relative file name a full path).
            recorder + '"%s\\docs\\pop doc%s"' % (folder, harness.DOC_EXTENSION),
            recorder + '"http://example.com/p/q"',
        ]
        # Nothing for function_forward nor for the show request without its
        # argument field.
        self.assertEqual(sorted(r.command_line for r in self.result.recorder), sorted(expected), self.describe)


if __name__ == "__main__":
    unittest.main()
