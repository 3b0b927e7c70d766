"""The Flash runtime check at start-up under Wine: which registrations make the
viewer run the installer carried at the end of its executable, how it copies
it to C:\\temp\\flash10.exe, waits for it and reports its end, and that the
book opens afterwards whatever happened.

fakeinstaller.exe is the appended installer: it logs how it was run and ends
with the exit code of VELLIX_INSTALLER_EXIT; with VELLIX_INSTALLER_REGISTER it
registers the stand-in, as a real installation registers the control.
"""

import os
import shutil
import struct
import unittest

import dialogs
import harness
from harness import fscommand, script

FAKE_INSTALLER = os.path.join(harness.BIN, "fakeinstaller.exe")
SERVER_KEY = "HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32" % harness.CLSID
INSTALLER_PATH = "C:\\temp\\flash10.exe"
MOVIE = script(fscommand("", "function_close"))
CAPTION = "Sample"   # the application title of Sample.exe

STILL_ACTIVE_TEXT = "Process is still active\n"
UNREADABLE_TEXT = "Sample.exe 파일 읽기 실패\nFlash 설치 프로그램을 찾을 수 없습니다."
NOT_WRITTEN_TEXT = "C:\\temp\\flash10.exe 파일 저장 실패\n경로를 확인해 주세요."

# Copies of the stand-in under other names, so that a registration that the
# viewer accepts (or replaces) still gives a working control.
FLASH10A = "C:\\vellix-test\\Flash\\Flash10a.ocx"
FLASH10C = "C:\\vellix-test\\Flash\\Flash10c.ocx"
NO_FLASH_NAME = "C:\\vellix-test\\Control\\standin.ocx"
STANDIN_COPIES = (FLASH10A, FLASH10C, NO_FLASH_NAME)


def unix_path(windows):
    """The Unix path of a C:\\ path of the prefix."""
    assert windows[:3].upper() == "C:\\", windows
    return harness.drive_c(*windows[3:].split("\\"))


def temp_folder():
    return harness.drive_c("temp")


def installer_file():
    return os.path.join(temp_folder(), "flash10.exe")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pack(exe, installer):
    """Appends installer and its big-endian length to exe, as books ship."""
    with open(exe, "ab") as f:
        f.write(installer + struct.pack(">I", len(installer)))


# ---- the control's registration ------------------------------------------------

def _reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _reg_expand(text):
    return "hex(2):" + ",".join("%02x" % b for b in text.encode("ascii") + b"\0")


def registration(value):
    """The REGEDIT4 lines that replace the server key's default value: None
    removes the key, ("expand", text) and ("dword", n) give other types, a
    plain text a string."""
    lines = ["[-%s]" % SERVER_KEY, ""]
    if value is None:
        return lines
    if isinstance(value, tuple) and value[0] == "expand":
        data = _reg_expand(value[1])
    elif isinstance(value, tuple) and value[0] == "dword":
        data = "dword:%08x" % value[1]
    else:
        data = _reg_string(value)
    return lines + ["[%s]" % SERVER_KEY, "@=" + data, '"ThreadingModel"="Apartment"', ""]


def register(folder, value):
    reg = os.path.join(folder, "server.reg")
    with open(reg, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(["REGEDIT4", ""] + registration(value)) + "\n")
    result = harness.run("reg", ["import", harness.windows_path(reg)], cwd=folder, timeout=60)
    if result.timed_out or result.exit_code != 0:
        raise RuntimeError("reg import failed\n" + result.describe())


def restore_standin(folder):
    register(folder, harness.STANDIN_WINDOWS_PATH)


# ---- the installer's log -----------------------------------------------------

class InstallerLog:
    def __init__(self, path):
        self.path = path
        self.ran = []     # (time, own path, command line, own size)
        self.exits = []   # (time, exit code, registered)
        try:
            text = read(path).decode("utf-8", errors="replace")
        except FileNotFoundError:
            text = ""
        for line in text.split("\n"):
            values = [harness.unescape(v) for v in line.split("\t")]
            if len(values) >= 6 and values[2] == "ran":
                self.ran.append((int(values[0]), values[3], values[4], int(values[5])))
            elif len(values) >= 5 and values[2] == "exit":
                self.exits.append((int(values[0]), int(values[3]), values[4]))

    def describe(self):
        try:
            return "installer log:\n" + read(self.path).decode("utf-8", errors="replace")
        except FileNotFoundError:
            return "installer log: (none)"


# ---- module set-up -----------------------------------------------------------

_temp_existed = None


def setUpModule():
    global _temp_existed
    harness.setup_prefix()
    for program in (FAKE_INSTALLER, dialogs.BOT):
        if not os.path.exists(program):
            raise RuntimeError("missing %s: build the target e2e_programs" % program)
    _temp_existed = os.path.isdir(temp_folder())
    standin = unix_path(harness.STANDIN_WINDOWS_PATH)
    for copy in STANDIN_COPIES:
        os.makedirs(os.path.dirname(unix_path(copy)), exist_ok=True)
        shutil.copyfile(standin, unix_path(copy))


def tearDownModule():
    # Later tests share the prefix: the stand-in registered, no installer left.
    folder = harness.drive_c(harness.TEST_ROOT)
    restore_standin(folder)
    os.remove(os.path.join(folder, "server.reg"))
    for copy in STANDIN_COPIES:
        os.remove(unix_path(copy))
    os.rmdir(os.path.dirname(unix_path(NO_FLASH_NAME)))
    if os.path.isfile(temp_folder()):
        os.remove(temp_folder())
    if os.path.exists(installer_file()):
        os.remove(installer_file())
    if not _temp_existed and os.path.isdir(temp_folder()) and not os.listdir(temp_folder()):
        os.rmdir(temp_folder())


class RuntimeCheckCase(harness.WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.installer = read(FAKE_INSTALLER)

    def make_book(self, folder, installer=True, trailer=None):
        """Sample.exe in its own folder, carrying the fake installer (or only
        the given trailer bytes)."""
        book = harness.make_book(os.path.join(self.tmp, folder), "Sample", movie=MOVIE)
        if installer:
            pack(book, self.installer)
        elif trailer is not None:
            with open(book, "ab") as f:
                f.write(trailer)
        return book

    def run_book(self, book, exit_code=0, register_standin=False, bot=None):
        """Runs the book; returns (result, installer log, what the bot saw)."""
        log = os.path.join(os.path.dirname(book), "installer.log")
        if os.path.exists(log):
            os.remove(log)
        env = {"VELLIX_INSTALLER_LOG": harness.windows_path(log),
               "VELLIX_INSTALLER_EXIT": str(exit_code)}
        if register_standin:
            env["VELLIX_INSTALLER_REGISTER"] = harness.STANDIN_WINDOWS_PATH
        result = harness.run(book, env=env, timeout=20)
        seen = bot.wait() if bot else None
        log = InstallerLog(log)
        result.installer_log = log
        return result, log, seen

    def assertBookOpened(self, book, result):
        why = "%s\n%s\n(a message box that nobody answers keeps the book from opening)" % (
            result.describe(), result.installer_log.describe())
        self.assertFalse(result.timed_out, "the run timed out\n" + why)
        self.assertEqual(result.exit_code, 0, why)
        movies = [e.values[2] for e in result.of_kind("put", 1) if e.values[0] == "Movie"]
        self.assertEqual(movies, [harness.windows_path(book[:-len(".exe")] + ".swf")], why)

    def assertInstallerRanOnce(self, log, result):
        """One run of the extracted installer, whole and unquoted, finished
        before the book window created its control."""
        self.assertEqual([(r[1], r[2], r[3]) for r in log.ran],
                         [(INSTALLER_PATH, INSTALLER_PATH, len(self.installer))], result.describe())
        self.assertEqual(len(log.exits), 1)
        created = result.of_kind("create", 1)
        self.assertTrue(created, result.describe())
        self.assertGreaterEqual(created[0].time, log.exits[0][0], "the viewer did not wait for the installer")

    def assertInstallerGone(self):
        self.assertFalse(os.path.exists(installer_file()), "the installer file was left behind")
        self.assertTrue(os.path.isdir(temp_folder()), "the temporary folder went")

    def assertOneMessage(self, seen, text):
        self.assertEqual([(d.kind, d.caption, d.text) for d in seen.dialogs], [("message", CAPTION, text)])
        self.assertEqual(seen.exit_code, 0)


class Registration(RuntimeCheckCase):
    """Each registration of the control, and whether the installer runs.
    The installer registers the stand-in, so the book opens in every row."""

    CASES = [
        # what, default value of the server key (None: no key), install
        ("no registration", None, True),
        ("registered file missing", "C:\\vellix-test\\Gone\\Flash10c.ocx", True),
        ("registered path is a folder", "C:\\vellix-test\\Flash", True),
        ("existing file without flash in its path", NO_FLASH_NAME, True),
        ("the flash10a build", FLASH10A, True),
        ("another flash build", FLASH10C, False),
        ("environment reference is not expanded", ("expand", "%SystemDrive%\\vellix-test\\Flash\\Flash10c.ocx"),
         True),
        ("value that is not text", ("dword", 1), True),
    ]

    def test_install_or_not(self):
        book = self.make_book("registration")
        self.addCleanup(restore_standin, self.tmp)
        for what, value, install in self.CASES:
            with self.subTest(what):
                register(self.tmp, value)
                result, log, _ = self.run_book(book, register_standin=True)
                self.assertBookOpened(book, result)
                if install:
                    self.assertInstallerRanOnce(log, result)
                    self.assertEqual(log.exits[0][2], "yes")
                else:
                    self.assertEqual(log.ran, [], result.describe())
                self.assertInstallerGone()


class InstallerEnd(RuntimeCheckCase):
    """The installer's exit code: 259 is reported, any other is not. A file
    left from an earlier run is replaced, and the new one deleted."""

    CASES = [
        # exit code, the message expected (None: no message box)
        (259, STILL_ACTIVE_TEXT),
        (1, None),
    ]

    def test_exit_codes_with_a_file_left_over(self):
        book = self.make_book("exit")
        self.addCleanup(restore_standin, self.tmp)
        register(self.tmp, FLASH10A)
        # Larger than the installer, and no program at all.
        leftover = b"left over " * (len(self.installer) // 5)
        for code, message in self.CASES:
            with self.subTest(exit_code=code):
                os.makedirs(temp_folder(), exist_ok=True)
                with open(installer_file(), "wb") as f:
                    f.write(leftover)
                bot = dialogs.start_bot(dialogs.OK) if message else None
                result, log, seen = self.run_book(book, exit_code=code, bot=bot)
                # A message box nobody answers would keep the book from opening.
                self.assertBookOpened(book, result)
                self.assertInstallerRanOnce(log, result)
                self.assertEqual(log.exits[0][1], code)
                if message:
                    self.assertOneMessage(seen, message)
                self.assertInstallerGone()


class InstallerUnavailable(RuntimeCheckCase):
    """When the installer cannot be had or written, one message says so,
    nothing runs and the book still opens."""

    def setUp(self):
        self.addCleanup(restore_standin, self.tmp)
        register(self.tmp, FLASH10A)

    def test_executable_without_a_valid_trailer(self):
        for what, trailer in [("no trailer", None), ("nothing appended", b"\0\0\0\0"),
                              ("length beyond the file", b"\xff\xff\xff\xf0")]:
            with self.subTest(what):
                book = self.make_book(what.replace(" ", "-"), installer=False, trailer=trailer)
                bot = dialogs.start_bot(dialogs.OK)
                result, log, seen = self.run_book(book, bot=bot)
                self.assertOneMessage(seen, UNREADABLE_TEXT)
                self.assertEqual(log.ran, [])
                self.assertBookOpened(book, result)
                self.assertFalse(os.path.exists(installer_file()))

    def test_temporary_folder_that_is_a_file(self):
        book = self.make_book("temp-file")
        aside = temp_folder() + ".vellix-aside"
        if os.path.exists(temp_folder()):
            os.rename(temp_folder(), aside)
            self.addCleanup(os.rename, aside, temp_folder())
        with open(temp_folder(), "wb") as f:
            f.write(b"not a folder")
        self.addCleanup(os.remove, temp_folder())
        bot = dialogs.start_bot(dialogs.OK)
        result, log, seen = self.run_book(book, bot=bot)
        self.assertOneMessage(seen, NOT_WRITTEN_TEXT)
        self.assertEqual(log.ran, [])
        self.assertBookOpened(book, result)
        self.assertEqual(read(temp_folder()), b"not a folder")


class RuntimeStillMissing(RuntimeCheckCase):
    """An installation that leaves no control registered: the book window
    cannot make its Flash control, the error is shown once with the system's
    text for it, and the program ends with exit code 0 without a window."""

    def test_unregistered_control(self):
        book = self.make_book("still-missing")
        self.addCleanup(restore_standin, self.tmp)
        register(self.tmp, None)
        bot = dialogs.start_bot(dialogs.OK, count=2, timeout=8)
        result, log, seen = self.run_book(book, bot=bot)
        self.assertFalse(result.timed_out, result.describe())
        self.assertEqual(result.exit_code, 0, result.describe())
        self.assertInstallerRanOnceBeforeNothing(log, result)
        self.assertEqual(len(seen.dialogs), 1, seen)
        box = seen.dialogs[0]
        self.assertEqual((box.kind, box.caption), ("message", CAPTION))
        # The system's text for REGDB_E_CLASSNOTREG; Wine has none, and the
        # error then names its code ("OLE error 80040154").
        self.assertTrue("not registered" in box.text.lower() or "80040154" in box.text, box.text)
        self.assertTrue(box.text.endswith("."), box.text)
        self.assertEqual(result.of_kind("create"), [], "no control, no book window")

    def assertInstallerRanOnceBeforeNothing(self, log, result):
        self.assertEqual([(r[1], r[2]) for r in log.ran], [(INSTALLER_PATH, INSTALLER_PATH)], result.describe())
        self.assertEqual(log.exits[0][2], "no")


if __name__ == "__main__":
    unittest.main()
