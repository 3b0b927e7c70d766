#!/usr/bin/env python3
"""Packs and checks small books in temporary folders with vellix-book.

usage: vellix_book_test.py PATH-TO-vellix-book
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = None

LAUNCHER = b"MZ" + b"viewer image\x00\x01" * 20
INSTALLER = b"MZ" + bytes(range(256)) * 3


def run(*args):
    p = subprocess.run([TOOL, *map(str, args)], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


class BookFolder:
    """A book in a temporary folder: the packed executable and its movie."""

    def __init__(self, test, name="Sample"):
        self.tmp = tempfile.TemporaryDirectory(prefix="vellix-book-")
        test.addCleanup(self.tmp.cleanup)
        self.root = self.tmp.name
        self.folder = os.path.join(self.root, "book")
        self.name = name
        write(os.path.join(self.root, "launcher.exe"), LAUNCHER)
        write(os.path.join(self.root, "installer.exe"), INSTALLER)
        code, out, err = run("pack", os.path.join(self.root, "launcher.exe"),
                             os.path.join(self.root, "installer.exe"), self.folder, name)
        test.assertEqual(code, 0, err)
        write(self.path(name + ".swf"), b"FWS")

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def settings(self, data):
        write(self.path(self.name + "_Page_Img", "Page_Var.txt"), data)


class Pack(unittest.TestCase):
    def test_appends_installer_and_big_endian_length(self):
        book = BookFolder(self)
        with open(book.path("Sample.exe"), "rb") as f:
            data = f.read()
        self.assertEqual(data, LAUNCHER + INSTALLER + struct.pack(">I", len(INSTALLER)))
        self.assertEqual(sorted(os.listdir(book.folder)), ["Sample.exe", "Sample.swf"])

    def test_repacking_replaces_the_executable(self):
        book = BookFolder(self)
        smaller = b"MZ new installer"
        write(os.path.join(book.root, "installer.exe"), smaller)
        code, _, err = run("pack", os.path.join(book.root, "launcher.exe"),
                           os.path.join(book.root, "installer.exe"), book.folder, "Sample.exe")
        self.assertEqual(code, 0, err)
        with open(book.path("Sample.exe"), "rb") as f:
            self.assertEqual(f.read(), LAUNCHER + smaller + struct.pack(">I", len(smaller)))

    def test_refuses_bad_input_and_leaves_no_file(self):
        tmp = tempfile.TemporaryDirectory(prefix="vellix-book-")
        self.addCleanup(tmp.cleanup)
        launcher = os.path.join(tmp.name, "launcher.exe")
        empty = os.path.join(tmp.name, "empty.exe")
        write(launcher, LAUNCHER)
        write(empty, b"")
        out_folder = os.path.join(tmp.name, "out")
        cases = [
            ("empty installer", [launcher, empty, out_folder, "Book"], "nothing to append"),
            ("missing launcher", [os.path.join(tmp.name, "none.exe"), launcher, out_folder, "Book"],
             "launcher not found"),
            ("book name with a folder", [launcher, launcher, out_folder, "a/Book"], "plain file name"),
            ("too few arguments", [launcher, launcher, out_folder], "four arguments"),
        ]
        for name, args, message in cases:
            with self.subTest(name):
                code, out, err = run("pack", *args)
                self.assertEqual(code, 2)
                self.assertIn(message, err)
                self.assertNotIn("Sanitizer", err)
                self.assertFalse(os.path.exists(os.path.join(out_folder, "Book.exe")))


class Check(unittest.TestCase):
    GOOD = b"&title=Sample%26Book&\r\n&fullscreen=false&\r\n&width=1024&\r\n&height=768&\r\n"

    def test_settings_traps(self):
        cases = [
            # name, settings bytes, exit status, texts the report must hold
            ("good book", self.GOOD, 0,
             ['title       "Sample&Book"', "geometry    1024 x 768 at left 552, top 221", "maximised   no",
              "the book opens as intended"]),
            ("pair after height", self.GOOD + b"&pages=120&\r\n", 1,
             ['settings after "height" are never read: "pages"']),
            ("fullscreen after height", b"&title=T&\r\n&width=800&\r\n&height=600&\r\n&fullscreen=true&\r\n", 1,
             ['never read: "fullscreen"', "maximised   no"]),
            ("width after height", b"&title=T&\r\n&height=600&\r\n&width=800&\r\n", 1,
             ["width is missing or not an integer", "\"'''' is not a valid integer value.\""]),
            ("title only", b"&title=Only a title&\r\n", 1,
             ["width is missing or not an integer", 'title       "Only a title"']),
            ("height not a number", b"&title=T&\r\n&width=1024&\r\n&height=abc&\r\n", 1,
             ["height is missing or not an integer", "''abc'' is not a valid integer value."]),
            ("width 0 skips height", b"&title=T&\r\n&width=0&\r\n&height=abc&\r\n", 0,
             ["maximised   yes"]),
            ("fullscreen True", b"&title=T&\r\n&fullscreen=True&\r\n&width=800&\r\n&height=600&\r\n", 0,
             ["only the exact text true maximises", "maximised   no"]),
            ("repeated key", b"&title=T&\r\n&width=800&\r\n&width=1024&\r\n&height=600&\r\n", 0,
             ['"width" is set again to "1024"; the first value "800" is kept', "geometry    800 x 600"]),
            ("missing opening ampersand", b"&title=T&width=800&\r\n&width=800&\r\n&height=600&\r\n", 0,
             ["a pair has an empty key"]),
            ("ctrl-z ends the data", b"&title=T&\r\n\x1a&width=800&\r\n&height=600&\r\n", 1,
             ["byte 26", "width is missing or not an integer"]),
            ("korean title", "&title=전자책 %26 부록&\r\n&fullscreen=true&\r\n&width=800&\r\n&height=600&\r\n"
             .encode("cp949"), 0, ['title       "전자책 & 부록"', "maximised   yes"]),
            ("screen smaller than the window", self.GOOD, 0, ["geometry    800 x 600 at left -8, top -19"],
             ["--screen", "800x600"]),
        ]
        for case in cases:
            name, data, status, texts = case[:4]
            options = case[4] if len(case) > 4 else []
            with self.subTest(name):
                book = BookFolder(self)
                book.settings(data)
                code, out, err = run("check", *options, book.folder)
                self.assertEqual(code, status, out + err)
                for text in texts:
                    self.assertIn(text, out)

    def test_book_files(self):
        book = BookFolder(self)
        book.settings(self.GOOD)
        os.remove(book.path("Sample.swf"))
        write(book.path("Other.exe"), LAUNCHER)  # two executables, one movie
        write(book.path("Other.swf"), b"FWS")
        code, out, _ = run("check", book.folder)
        self.assertEqual(code, 1)
        self.assertIn('book "Other"', out)

        code, out, _ = run("check", book.path("Sample.exe"))
        self.assertEqual(code, 1)
        self.assertIn("the movie Sample.swf is missing", out)

        write(book.path("Sample.swf"), b"FWS")
        code, _, err = run("check", book.folder)
        self.assertEqual(code, 2)
        self.assertIn("several executables", err)

    def test_executable_without_installer(self):
        tails = [("never packed", b"plain tail"), ("length 0", b"\x00\x00\x00\x00"),
                 ("length too large", struct.pack(">I", 10 ** 6))]
        for name, tail in tails:
            with self.subTest(name):
                book = BookFolder(self)
                book.settings(self.GOOD)
                write(book.path("Sample.exe"), LAUNCHER + tail)
                code, out, _ = run("check", book.folder)
                self.assertEqual(code, 1)
                self.assertIn("the executable carries no installer", out)

    def test_no_settings_file(self):
        book = BookFolder(self, name="launcher")
        code, out, _ = run("check", book.folder)
        self.assertEqual(code, 0)
        self.assertIn('title       "Vellix EBook Viewer"', out)
        self.assertIn("no settings file", out)

    def test_malformed_files_never_crash(self):
        import random
        rnd = random.Random(7)
        for i in range(30):
            data = bytes(rnd.choice(b"&=\r\n\x1a\x00\x80\xffaz09height") for _ in range(rnd.randrange(200)))
            with self.subTest(i=i):
                book = BookFolder(self)
                book.settings(data)
                write(book.path("Sample.exe"), bytes(rnd.randrange(256) for _ in range(rnd.randrange(9))))
                code, out, err = run("check", book.folder)
                self.assertIn(code, (0, 1), err)
                self.assertIn("result:", out)

    def test_usage(self):
        cases = [([], 2, "usage:"), (["frobnicate"], 2, "unknown command"), (["check"], 2, "usage:"),
                 (["check", "/no/such/book"], 2, "not found: /no/such/book"),
                 (["check", "--screen", "wide", "."], 2, "--screen takes WIDTHxHEIGHT"), (["--help"], 0, "usage:")]
        for args, status, text in cases:
            with self.subTest(args=args):
                code, out, err = run(*args)
                self.assertEqual(code, status)
                self.assertIn(text, out + err)
                self.assertNotIn("Sanitizer", err)

if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
