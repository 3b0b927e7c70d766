#!/usr/bin/env python3
"""Packs and checks small books in temporary folders with vellix-book.

usage: vellix_book_test.py PATH-TO-vellix-book [--demo DEMO-BOOK-FOLDER]
"""
import lzma
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

TOOL = None
DEMO = None

LAUNCHER = b"MZ" + b"viewer image\x00\x01" * 20
INSTALLER = b"MZ" + bytes(range(256)) * 3


def run(*args):
    p = subprocess.run([TOOL, *map(str, args)], capture_output=True)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


def movie(version=8, width=800, height=600, rate=24, frames=1, background=(1, 2, 3), as3=False, abc=False):
    """An uncompressed movie: header, file attributes, background, frames."""
    values = [0, width * 20, 0, height * 20]
    bits = max(v.bit_length() + 1 for v in values)
    field = format(bits, "05b") + "".join(format(v, "0%db" % bits) for v in values)
    field += "0" * (-len(field) % 8)
    body = bytes(int(field[i:i + 8], 2) for i in range(0, len(field), 8))
    body += struct.pack("<HH", int(rate * 256), frames)

    def tag(code, data=b""):
        return struct.pack("<H", code << 6 | len(data)) + data

    if version >= 8 or as3:
        body += tag(69, struct.pack("<I", 8 if as3 else 0))
    body += tag(9, bytes(background))
    if abc:
        body += tag(82, b"\x00" * 8)
    body += tag(1) * frames + tag(0)
    return b"FWS" + bytes([version]) + struct.pack("<I", 8 + len(body)) + body


def cws(fws):
    return b"C" + fws[1:8] + zlib.compress(fws[8:])


def zws(fws):
    raw = lzma.compress(fws[8:], format=lzma.FORMAT_RAW,
                        filters=[{"id": lzma.FILTER_LZMA1, "preset": 6, "dict_size": 1 << 20}])
    props = bytes([(2 * 5 + 0) * 9 + 3]) + struct.pack("<I", 1 << 20)
    return b"ZWS" + bytes([13]) + fws[4:8] + struct.pack("<I", len(raw)) + props + raw


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
        write(self.path(name + ".swf"), movie())

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
        write(book.path("Other.swf"), movie())
        code, out, _ = run("check", book.folder)
        self.assertEqual(code, 1)
        self.assertIn('book "Other"', out)

        code, out, _ = run("check", book.path("Sample.exe"))
        self.assertEqual(code, 1)
        self.assertIn("the movie Sample.swf is missing", out)

        write(book.path("Sample.swf"), movie())
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


class Movies(unittest.TestCase):
    def test_movie_prints_the_facts_of_each_kind(self):
        tmp = tempfile.TemporaryDirectory(prefix="vellix-book-")
        self.addCleanup(tmp.cleanup)
        plain = movie(width=1024, height=768, rate=12.5, frames=3, background=(0xF6, 0xF3, 0xEA))
        cases = [
            # name, bytes, texts the report must hold
            ("uncompressed", plain, ["kind        ActionScript 2 (AVM1)", "version     8",
                                     "compression uncompressed (FWS)", "stage       1024 x 768 pixels",
                                     "frame rate  12.5 per second", "frames      3", "background  #F6F3EA",
                                     "length      %d bytes" % len(plain), "result: a movie (0 warnings)"]),
            ("zlib", cws(plain), ["compression zlib (CWS)", "length      %d bytes" % len(plain),
                                  "stage       1024 x 768 pixels", "background  #F6F3EA"]),
            ("LZMA", zws(plain), ["compression LZMA (ZWS)", "version     13", "stage       1024 x 768 pixels",
                                  "frames      3", "background  #F6F3EA"]),
            ("ActionScript 3", movie(version=10, as3=True, abc=True), ["kind        ActionScript 3 (AVM2)"]),
            ("flag without code", movie(version=10, as3=True),
             ["marked ActionScript 3 but holds no ActionScript 3 code"]),
            ("odd stage", movie(width=1, height=3000), ["stage       1 x 3000 pixels (20 x 60000 twips)"]),
            ("data after the movie", plain + b"junk", ["warning: the file holds data after the length its header",
                                                       "result: a movie (1 warning)"]),
        ]
        for name, data, texts in cases:
            with self.subTest(name):
                path = os.path.join(tmp.name, name + ".swf")
                write(path, data)
                code, out, err = run("movie", path)
                self.assertEqual(code, 0, out + err)
                for text in texts:
                    self.assertIn(text, out)

    def test_movie_rejects_what_is_no_movie(self):
        tmp = tempfile.TemporaryDirectory(prefix="vellix-book-")
        self.addCleanup(tmp.cleanup)
        good = movie(frames=2)
        cases = [
            ("text", b"&title=T&", "not a movie"),
            ("empty", b"", "not a movie"),
            ("cut short", good[:-3], "cut short"),
            ("cut zlib", cws(good)[:-2], "cut short"),
            ("cut LZMA", zws(good)[:-2], "cut short"),
            ("unknown compression", b"X" + good[1:], "unknown compression"),
        ]
        for name, data, text in cases:
            with self.subTest(name):
                path = os.path.join(tmp.name, name + ".swf")
                write(path, data)
                code, out, err = run("movie", path)
                self.assertEqual(code, 1, out + err)
                self.assertIn("not a playable movie", out)
                self.assertIn(text, out)
                self.assertNotIn("Sanitizer", err)
        code, _, err = run("movie", os.path.join(tmp.name, "none.swf"))
        self.assertEqual(code, 2)
        self.assertIn("movie not found", err)

    def test_check_reports_the_books_movie(self):
        cases = [
            # name, movie bytes, exit status, texts the report must hold
            ("ActionScript 2", movie(width=900, height=640, background=(0, 0x80, 0xFF)), 0,
             ["kind        ActionScript 2 (AVM1)", "stage       900 x 640 pixels", "background  #0080FF",
              "version     8"]),
            ("ActionScript 3", movie(version=10, as3=True, abc=True), 0,
             ["kind        ActionScript 3 (AVM2)", "warning: the movie is ActionScript 3", "cannot receive"]),
            ("not a movie", b"<html></html>", 1, ["error: the movie Sample.swf cannot be played: not a movie"]),
            ("cut short", cws(movie(frames=5))[:-4], 1, ["cannot be played: the file ends before the movie does"]),
        ]
        for name, data, status, texts in cases:
            with self.subTest(name):
                book = BookFolder(self)
                book.settings(Check.GOOD)
                write(book.path("Sample.swf"), data)
                code, out, err = run("check", book.folder)
                self.assertEqual(code, status, out + err)
                for text in texts:
                    self.assertIn(text, out)

    def test_check_takes_a_book_without_executable(self):
        book = BookFolder(self)
        book.settings(Check.GOOD)
        os.remove(book.path("Sample.exe"))
        for target in (book.folder, book.path("Sample.swf")):
            with self.subTest(target=target):
                code, out, err = run("check", target)
                self.assertEqual(code, 0, out + err)
                self.assertIn("warning: no Sample.exe: the book opens in the Linux viewer only", out)
                self.assertIn("kind        ActionScript 2 (AVM1)", out)
                self.assertNotIn("appended installer", out)

    def test_demo_book(self):
        if not DEMO:
            self.skipTest("no demo book given")
        code, out, err = run("check", DEMO)
        self.assertEqual(code, 0, out + err)
        for text in ['book "VellixDemo"', "kind        ActionScript 2 (AVM1)", "version     8",
                     "stage       800 x 600 pixels", "background  #F6F3EA", "frames      8",
                     'title       "Vellix 전자책 데모 & 안내"', "geometry    900 x 680"]:
            self.assertIn(text, out)
        for name in ("VellixDemo_Page_Img/contents/popup.swf",):
            code, out, err = run("movie", os.path.join(DEMO, name))
            self.assertEqual(code, 0, out + err)
            self.assertIn("stage       545 x 376 pixels", out)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    if "--demo" in sys.argv:
        at = sys.argv.index("--demo")
        DEMO = os.path.abspath(sys.argv[at + 1])
        del sys.argv[at:at + 2]
    unittest.main(verbosity=1)
