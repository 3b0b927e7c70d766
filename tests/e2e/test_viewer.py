"""The viewer under Wine with the stand-in control: the book window's title,
geometry and movie, the first page from the command line, the window
commands, popups and the shell."""

import os
import struct
import unittest

import dialogs
import harness
from harness import fscommand, script

CLOSE = fscommand("", "function_close")


def rect(text):
    left, top, right, bottom = (int(v) for v in text.split(","))
    return left, top, right - left, bottom - top


def icon_file(bgra):
    """A 32 x 32 icon file of one colour."""
    size = 32
    pixels = bytes(bgra) * (size * size)
    mask = b"\0" * (4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


def half(value):
    """Halving that truncates toward zero, as the window code does."""
    return int(value / 2)


class TitleAndGeometry(harness.WineTestCase):
    """Each row: a book, the screen it runs on, what the window must look like."""

    CASES = [
        # name, exe, settings, screen, title, expected geometry ("zoomed" or (w, h) or "centred")
        ("request larger than the screen, window fits", "Sample",
         b"&title=Sample%26Book&\r\n&width=1280&\r\n&height=1024&\r\n", (1024, 768), "Sample&Book", (1280, 1024)),
        ("screen smaller than the window", "Sample",
         b"&width=1024&\r\n&height=768&\r\n", (800, 600), "", "screen"),
        ("width 0 maximises without reading height", "Sample",
         b"&title=Zero&\r\n&width=0&\r\n&height=abc&\r\n", (1024, 768), "Zero", "zoomed"),
        ("fullscreen before height maximises", "Sample",
         b"&title=Tom %26 Jerry&\r\n&fullscreen=true&\r\n&width=640&\r\n&height=480&\r\n", (800, 600),
         "Tom & Jerry", "zoomed"),
        ("fullscreen after height is never read", "Sample",
         b"&width=640&\r\n&height=480&\r\n&fullscreen=true&\r\n", (1024, 768), "", (640, 480)),
        ("no settings, launcher", "launcher", None, (1024, 768), "Vellix EBook Viewer", "zoomed"),
        ("no settings, Launcher", "Launcher", None, (800, 600), "Launcher", "zoomed"),
        ("Korean title in code page 949", "Sample",
         "&title=한글 책&\r\n&width=0&\r\n".encode("cp949"), (1024, 768), "한글 책", "zoomed"),
    ]

    def test_cases(self):
        for i, (name, exe, settings, screen, title, geometry) in enumerate(self.CASES):
            with self.subTest(name):
                book = harness.make_book(os.path.join(self.tmp, "geometry%d" % i), exe, settings=settings,
                                         movie=script("probe", CLOSE))
                result = harness.run(book, screen=screen)
                self.assertCleanExit(result)
                probes = result.of_kind("probe", 1)
                self.assertEqual(len(probes), 1, result.describe())
                p = probes[0].fields()
                self.assertEqual(p["caption"], title)
                self.assertEqual(p["screen"], "%d,%d" % screen)
                if geometry == "zoomed":
                    self.assertEqual(p["zoomed"], "1", result.describe())
                    continue
                self.assertEqual(p["zoomed"], "0", result.describe())
                left, top, width, height = rect(p["rect"])
                client_w, client_h = (int(v) for v in p["client"].split(","))
                # The designed window: an 800 x 600 client area in this system's frame.
                designed_w = 800 + (width - client_w)
                designed_h = 600 + (height - client_h)
                self.assertEqual((left, top), (half(screen[0] - designed_w), half(screen[1] - designed_h)))
                expected = screen if geometry == "screen" else geometry
                self.assertEqual((width, height), expected)


class SettingsErrors(harness.WineTestCase):
    def test_bad_width_shows_the_error_and_still_plays_the_movie(self):
        for settings, shown in [(b"&title=Bad&\r\n&width=abc&\r\n&height=600&\r\n", "abc"),
                                (b"&title=Bad&\r\n&width=640&\r\n&height=12px&\r\n", "12px"),
                                (b"&title=Bad&\r\n", "")]:
            with self.subTest(settings=settings):
                book_dir = os.path.join(self.tmp, "bad-%s" % (shown or "empty"))
                book = harness.make_book(book_dir, "Sample", settings=settings, movie=script("probe", CLOSE))
                bot = dialogs.start_bot(dialogs.OK)
                result = harness.run(book, args=["3"])
                answered = bot.wait()
                self.assertCleanExit(result)
                self.assertEqual(len(answered.dialogs), 1, bot.describe())
                box = answered.dialogs[0]
                self.assertEqual(box.caption, "Sample")
                self.assertEqual(box.text, "''%s'' is not a valid integer value." % shown)
                p = result.of_kind("probe", 1)[0].fields()
                self.assertEqual(p["caption"], "Bad")
                self.assertEqual(p["zoomed"], "0")
                left, top, _, _ = rect(p["rect"])
                self.assertEqual((left, top), (0, 0))
                self.assertEqual(p["client"], "800,600")
                movies = [e.values[2] for e in result.of_kind("put", 1) if e.values[0] == "Movie"]
                self.assertEqual(movies, [harness.windows_path(os.path.join(book_dir, "Sample.swf"))])
                self.assertEqual(result.variables(1), [("firstIndex", "3")])


class Icons(harness.WineTestCase):
    def test_book_icon_file_or_the_shell_icon(self):
        fingerprints = {}
        for name, icon in [("red", icon_file((0, 0, 255, 255))), ("green", icon_file((0, 255, 0, 255))),
                           ("none", None)]:
            book = harness.make_book(os.path.join(self.tmp, "icon-" + name), "Sample", icon=icon,
                                     movie=script("probe", CLOSE))
            result = harness.run(book)
            self.assertCleanExit(result)
            fingerprints[name] = result.of_kind("probe", 1)[0].fields()["icon"]
        self.assertNotIn(fingerprints["red"], ("none", "invalid"))
        self.assertEqual(len(set(fingerprints.values())), 3, fingerprints)

    def test_broken_icon_file_gives_one_error_and_no_window(self):
        book = harness.make_book(os.path.join(self.tmp, "icon-broken"), "Sample", icon=b"not an icon at all",
                                 movie=script("probe", CLOSE))
        bot = dialogs.start_bot(dialogs.OK, count=2, timeout=8)
        result = harness.run(book)
        answered = bot.wait()
        self.assertCleanExit(result)
        self.assertEqual(len(answered.dialogs), 1, bot.describe())
        self.assertEqual(answered.dialogs[0].caption, "Sample")
        self.assertFalse(result.of_kind("create"), "no book window, so no control")


class MovieAndFirstPage(harness.WineTestCase):
    def test_movie_path_and_first_argument(self):
        book = harness.make_book(os.path.join(self.tmp, "my.books"), "Sample.vol", movie=script(CLOSE))
        movie = harness.windows_path(os.path.join(self.tmp, "my.books", "Sample.vol.swf"))
        for args, expected in [([], []), (["12", "34"], [("firstIndex", "12")]),
                               (["page 7"], [("firstIndex", "page 7")]), (["", "5"], [("firstIndex", "5")])]:
            with self.subTest(args=args):
                result = harness.run(book, args=args)
                self.assertCleanExit(result)
                puts = [e.values[2] for e in result.of_kind("put", 1) if e.values[0] == "Movie"]
                self.assertEqual(puts, [movie])
                self.assertEqual(result.variables(1), expected)


class WindowCommandsAndShell(harness.WineTestCase):
    def test_full_forward_and_shell(self):
        book_dir = os.path.join(self.tmp, "commands")
        book = harness.make_book(
            book_dir, "Sample", settings=b"&title=Cmd&\r\n&width=640&\r\n&height=480&\r\n",
            files={"docs/read me" + harness.DOC_EXTENSION: b"doc"},
            movie=script(
                "probe",
                fscommand("x", "Function_full"),  # other case: only the shell sees it
                fscommand("", "function_full"),
                "wait 300",
                "probe",
                fscommand("any", "docs/read me" + harness.DOC_EXTENSION),
                "wait 1500",
                CLOSE))
        result = harness.run(book)
        self.assertCleanExit(result)
        before, after = [p.fields() for p in result.of_kind("probe", 1)]
        self.assertEqual(before["zoomed"], "0")
        self.assertEqual(after["zoomed"], "1")
        opened = result.wait_recorder(1)
        self.assertEqual(len(opened), 1, result.describe())
        # The slash reached the shell as a backslash, relative to the book folder.
        self.assertTrue(opened[0].command_line.endswith('docs\\read me%s"' % harness.DOC_EXTENSION),
                        opened[0].command_line)


class Popups(harness.WineTestCase):
    def test_popups_open_close_and_go_with_the_book(self):
        book_dir = os.path.join(self.tmp, "popups")
        book = harness.make_book(
            book_dir, "Demo", settings=b"&title=Book&\r\n&width=700&\r\n&height=500&\r\n",
            movie=script(
                fscommand("function", "PopUpForm@@@pop1.swf@@@12"),
                fscommand("function", "PopUpForm@@@sub/pop2.swf@@@a/b"),
                fscommand("function", "popupform@@@pop1.swf@@@1"),   # other case: nothing opens
                fscommand("function", "function_full"),               # a popup request, not a window command
                "wait 2500",
                "probe",
                fscommand("function", "PopUpForm@@@pop3.swf@@@"),
                "wait 2000",
                "resources",
                CLOSE),
            popups={
                "pop1.swf": script("probe", "wait 800", fscommand("function_close", "function_close")),
                "sub/pop2.swf": script("probe", "wait 10000"),
                "pop3.swf": script("probe", "key Enter", "wait 5000"),
            })
        run = harness.start(book)
        harness.wait_until(lambda: len(harness.parse_standin_log(run.standin_log)) > 0 and any(
            e.kind == "probe" and e.instance == 3 for e in harness.parse_standin_log(run.standin_log)), 15)
        run.screenshot("popup-over-book")
        result = run.wait()
        self.assertCleanExit(result)
        contents = harness.windows_path(os.path.join(book_dir, "Demo_Page_Img", "contents"))

        def movies(instance):
            return [e.values[2] for e in result.of_kind("put", instance) if e.values[0] == "Movie"]

        self.assertEqual(movies(2), ["about:blank", contents + "\\pop1.swf"])
        self.assertEqual(movies(3), ["about:blank", contents + "\\sub\\pop2.swf"])
        self.assertEqual(movies(4), ["about:blank", contents + "\\pop3.swf"])
        self.assertEqual(len([e for e in result.standin if e.kind == "create"]), 4, "exactly three popups")
        self.assertEqual(result.variables(2), [("_root.BOOKLOAD_FIRSTPAGE", "12")])
        self.assertEqual(result.variables(3), [("_root.BOOKLOAD_FIRSTPAGE", "a\\b")])
        self.assertEqual(result.variables(4), [("_root.BOOKLOAD_FIRSTPAGE", "")])
        for instance in (2, 3):
            p = result.of_kind("probe", instance)[0].fields()
            self.assertEqual(p["zoomed"], "1")
            self.assertEqual(p["owner"], "Book")
        # The first popup closed on its movie's command and the book window
        # went on; the Enter key closed the third.
        for instance in (2, 4):
            self.assertTrue(result.of_kind("release", instance), result.describe())
            teardown = result.of_kind("destroy", instance) + result.of_kind("close", instance)
            self.assertTrue(teardown, result.describe())
            self.assertFalse(any("during-event" in e.values for e in teardown), result.describe())
        book_probe = result.of_kind("probe", 1)[0].fields()
        self.assertEqual((book_probe["visible"], book_probe["zoomed"]), ("1", "0"))
        # The second popup was still open when the book closed, and went with it.
        self.assertTrue(result.of_kind("release", 3), result.describe())
        release_times = {i: result.of_kind("release", i)[0].time for i in (1, 2, 3, 4)}
        self.assertLess(release_times[2], result.of_kind("probe", 1)[0].time)
        self.assertGreaterEqual(release_times[3], result.of_kind("event", 1)[-1].time)


if __name__ == "__main__":
    unittest.main()
