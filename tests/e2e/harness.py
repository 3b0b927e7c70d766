"""Runs the viewer under Wine with the stand-in control and the recorder.

Standard library only. The build folder comes from VELLIX_BUILD (default
build/win32 of the source tree), the source tree from VELLIX_SOURCE.
See README.md for the script and log formats.
"""

import atexit
import collections
import os
import shutil
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.environ.get("VELLIX_SOURCE") or os.path.join(HERE, "..", ".."))
BUILD = os.path.abspath(os.environ.get("VELLIX_BUILD") or os.path.join(SOURCE, "build", "win32"))
BIN = os.path.join(BUILD, "bin")
PREFIX = os.path.join(BUILD, "wineprefix")
SCREENSHOTS = os.path.join(BUILD, "e2e-screenshots")

CLSID = "{D27CDB6E-AE6D-11cf-96B8-444553540000}"
TEST_ROOT = "vellix-test"                      # C:\vellix-test in the prefix
STANDIN_WINDOWS_PATH = "C:\\vellix-test\\Flash\\flash_standin.dll"
RECORDER_WINDOWS_PATH = "C:\\vellix-test\\recorder.exe"
DOC_EXTENSION = ".vxdoc"
DEFAULT_SCREEN = (1024, 768)
DEFAULT_TIMEOUT = 30


# ---- paths -------------------------------------------------------------------

def windows_path(path):
    """The Windows path of a Unix path: C:\\... inside the prefix's drive C,
    otherwise through Wine's Z: drive."""
    path = os.path.abspath(path)
    drive_c = os.path.join(PREFIX, "drive_c")
    if path == drive_c or path.startswith(drive_c + os.sep):
        return "C:" + (path[len(drive_c):].replace("/", "\\") or "\\")
    return "Z:" + path.replace("/", "\\")


def drive_c(*parts):
    """A Unix path inside the prefix's drive C."""
    return os.path.join(PREFIX, "drive_c", *parts)


# ---- scripts -----------------------------------------------------------------

def escape_field(text):
    """A text as one field of a script step (brace escapes)."""
    if text == "":
        return "{EMPTY}"
    return (text.replace("{", "{LBRACE}").replace("\t", "{TAB}")
            .replace("\n", "{LF}").replace("\r", "{CR}"))


def fscommand(command, args=""):
    """The script line that raises FSCommand(command, args)."""
    return "fscommand %s\t%s" % (escape_field(command), escape_field(args))


def roundtrip(count, command, args=""):
    return "roundtrip %d %s\t%s" % (count, escape_field(command), escape_field(args))


def script(*lines):
    return "\n".join(lines) + "\n"


# ---- books -------------------------------------------------------------------

def make_book(directory, name, settings=None, movie="", popups=None, icon=None, files=None,
              launcher=None):
    """Makes the book <directory>/<name>.exe and returns its path.

    settings: bytes of <name>_Page_Img/Page_Var.txt, or None for no file.
    movie:    script text of <name>.swf (None: no movie file).
    popups:   {path relative to <name>_Page_Img/contents: script text}.
    icon:     bytes of <name>.ico, or None.
    files:    {path relative to the book folder ('/' separated): bytes}.
    """
    os.makedirs(directory, exist_ok=True)
    exe = os.path.join(directory, name + ".exe")
    shutil.copyfile(launcher or os.path.join(BIN, "launcher.exe"), exe)
    if movie is not None:
        _write(os.path.join(directory, name + ".swf"), movie.encode("utf-8"))
    page_img = os.path.join(directory, name + "_Page_Img")
    os.makedirs(os.path.join(page_img, "contents"), exist_ok=True)
    if settings is not None:
        _write(os.path.join(page_img, "Page_Var.txt"), settings)
    for rel, text in (popups or {}).items():
        _write(os.path.join(page_img, "contents", *rel.replace("\\", "/").split("/")),
               text.encode("utf-8"))
    if icon is not None:
        _write(os.path.join(directory, name + ".ico"), icon)
    for rel, data in (files or {}).items():
        _write(os.path.join(directory, *rel.split("/")), data)
    return exe


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# ---- logs --------------------------------------------------------------------

class Entry(collections.namedtuple("Entry", "time pid instance kind values")):
    """One stand-in log line; values are unescaped texts."""

    def fields(self):
        """The key=value values as a dict (probe, resources, roundtrip...)."""
        out = {}
        for v in self.values:
            key, sep, value = v.partition("=")
            if sep:
                out[key] = value
        return out


def unescape(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            if text[i + 1] == "\\":
                out.append("\\")
                i += 2
                continue
            if text[i + 1] == "x" and _is_hex(text[i + 2:i + 4]):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
        out.append(c)
        i += 1
    return "".join(out)


def _is_hex(s):
    return len(s) == 2 and all(ch in "0123456789abcdefABCDEF" for ch in s)


def parse_standin_log(path):
    entries = []
    for fields in _read_lines(path):
        if len(fields) < 4:
            continue
        try:
            entries.append(Entry(int(fields[0]), int(fields[1]), int(fields[2]), fields[3],
                                 [unescape(v) for v in fields[4:]]))
        except ValueError:
            continue
    return entries


RecorderEntry = collections.namedtuple("RecorderEntry", "time pid command_line folder")


def parse_recorder_log(path):
    out = []
    for fields in _read_lines(path):
        if len(fields) >= 5 and fields[2] == "open":
            out.append(RecorderEntry(int(fields[0]), int(fields[1]), unescape(fields[3]),
                                     unescape(fields[4])))
    return out


def _read_lines(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    lines = data.decode("utf-8", errors="replace").split("\n")
    return [line.split("\t") for line in lines if line]


# ---- X servers and the Wine server ----------------------------------------------

class _Displays:
    """One Xvfb per screen size, started on demand and kept for the run."""

    def __init__(self):
        self.servers = {}        # (w, h) -> (Popen, ":n")
        self.wine_display = None  # the display the Wine server's desktop belongs to

    def get(self, screen):
        screen = tuple(screen)
        server = self.servers.get(screen)
        if server and server[0].poll() is None:
            return server[1]
        read_fd, write_fd = os.pipe()
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as r:
            while not number.endswith(b"\n"):
                chunk = r.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            proc.kill()
            raise RuntimeError("Xvfb did not start")
        display = ":" + number.decode().strip()
        self.servers[screen] = (proc, display)
        return display

    def stop(self):
        for proc, _ in self.servers.values():
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
        self.servers.clear()


_displays = _Displays()


def wine_env(display=None, extra=None):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": PREFIX,
        "WINEARCH": "win32",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree=;mshtml=",
        "LANG": "ko_KR.UTF-8",
    })
    env.pop("LC_ALL", None)
    env.pop("LANGUAGE", None)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    env.update(extra or {})
    return env


def _wineserver(flag):
    subprocess.run(["wineserver", flag], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def _use_display(display):
    """Makes the Wine server's desktop belong to display; a server bound to
    another display must end first."""
    if _displays.wine_display != display:
        _wineserver("-k")
        _wineserver("-w")
        _displays.wine_display = display


_prefix_ready = False


def setup_prefix():
    """Creates the prefix if needed, copies the stand-in and the recorder into
    it and registers them. Runs once per process."""
    global _prefix_ready
    if _prefix_ready:
        return
    for program in ("flash_standin.dll", "recorder.exe"):
        if not os.path.exists(os.path.join(BIN, program)):
            raise RuntimeError("missing %s: build the target e2e_programs" % program)
    display = _displays.get(DEFAULT_SCREEN)
    _use_display(display)
    subprocess.run([os.path.join(SOURCE, "scripts", "wine-prefix")], env=wine_env(display),
                   check=True, timeout=300)
    flash_dir = drive_c(TEST_ROOT, "Flash")
    os.makedirs(flash_dir, exist_ok=True)
    shutil.copyfile(os.path.join(BIN, "flash_standin.dll"),
                    os.path.join(flash_dir, "flash_standin.dll"))
    shutil.copyfile(os.path.join(BIN, "recorder.exe"), drive_c(TEST_ROOT, "recorder.exe"))
    reg = drive_c(TEST_ROOT, "register.reg")
    with open(reg, "w", encoding="ascii", newline="\r\n") as f:
        f.write(_registry_text())
    result = subprocess.run(["wine", "reg", "import", windows_path(reg)], env=wine_env(display),
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if result.returncode != 0:
        raise RuntimeError("reg import failed: %s" % result.stdout.decode(errors="replace"))
    _prefix_ready = True
    atexit.register(_shutdown)


def _registry_text():
    def q(text):
        return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'
    open_command = '"%s" "%%1"' % RECORDER_WINDOWS_PATH
    lines = [
        "REGEDIT4", "",
        "[HKEY_CLASSES_ROOT\\CLSID\\%s]" % CLSID, "@=%s" % q("Vellix Flash stand-in"), "",
        "[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]" % CLSID,
        "@=%s" % q(STANDIN_WINDOWS_PATH), '"ThreadingModel"="Apartment"', "",
        "[HKEY_CLASSES_ROOT\\%s]" % DOC_EXTENSION, '@="VellixTest.Document"', "",
        "[HKEY_CLASSES_ROOT\\VellixTest.Document\\shell\\open\\command]", "@=%s" % q(open_command), "",
    ]
    for protocol in ("http", "https"):
        lines += [
            "[-HKEY_CLASSES_ROOT\\%s\\shell\\open\\ddeexec]" % protocol, "",
            "[HKEY_CLASSES_ROOT\\%s]" % protocol, '"URL Protocol"=""', "",
            "[HKEY_CLASSES_ROOT\\%s\\shell\\open\\command]" % protocol, "@=%s" % q(open_command), "",
        ]
    return "\n".join(lines) + "\n"


_logdirs = []


def _shutdown():
    if not os.environ.get("VELLIX_E2E_KEEP"):
        for d in _logdirs:
            shutil.rmtree(d, ignore_errors=True)
    try:
        _wineserver("-k")
    except Exception:
        pass
    _displays.stop()


# ---- runs --------------------------------------------------------------------

class RunResult:
    def __init__(self, run, exit_code, timed_out, output):
        self.run = run
        self.exit_code = exit_code
        self.timed_out = timed_out
        self.output = output
        self.reread()

    def reread(self):
        """Reads both logs again (programs the run started may still write)."""
        self.standin = parse_standin_log(self.run.standin_log)
        self.recorder = parse_recorder_log(self.run.recorder_log)
        return self

    def of_kind(self, kind, instance=None):
        return [e for e in self.standin
                if e.kind == kind and (instance is None or e.instance == instance)]

    def events(self, instance=None):
        """(command, args) of every FSCommand that the stand-in raised."""
        return [tuple(e.values[1:3]) for e in self.of_kind("event", instance)]

    def variables(self, instance=None):
        """(name, value) of every SetVariable, in order."""
        return [tuple(e.values[0:2]) for e in self.of_kind("setvar", instance)]

    def wait_recorder(self, count, timeout=10):
        """Waits until the recorder has logged at least count opens."""
        wait_until(lambda: len(self.reread().recorder) >= count, timeout)
        return self.recorder

    def describe(self):
        return "exit=%r timed_out=%r\nstand-in log:\n%s\nrecorder log:\n%s\noutput:\n%s" % (
            self.exit_code, self.timed_out, _read_text(self.run.standin_log),
            _read_text(self.run.recorder_log), self.output)


def _read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return "(none)"


class Run:
    """A program running under Wine on its own X screen."""

    def __init__(self, program, args=(), screen=DEFAULT_SCREEN, cwd=None, env=None):
        setup_prefix()
        self.display = _displays.get(screen)
        _use_display(self.display)
        self.logdir = tempfile.mkdtemp(prefix="vellix-e2e-")
        _logdirs.append(self.logdir)
        self.standin_log = os.path.join(self.logdir, "standin.log")
        self.recorder_log = os.path.join(self.logdir, "recorder.log")
        extra = {"VELLIX_STANDIN_LOG": windows_path(self.standin_log),
                 "VELLIX_RECORDER_LOG": windows_path(self.recorder_log)}
        extra.update(env or {})
        self.output_path = os.path.join(self.logdir, "output.txt")
        self._output = open(self.output_path, "wb")
        self.proc = subprocess.Popen(
            ["wine", program] + [str(a) for a in args],
            cwd=cwd or os.path.dirname(os.path.abspath(program)),
            env=wine_env(self.display, extra), stdout=self._output, stderr=subprocess.STDOUT)

    def screenshot(self, name):
        """Saves the whole screen as <build>/e2e-screenshots/<name>.png."""
        return screenshot(name, self.display)

    def wait(self, timeout=DEFAULT_TIMEOUT):
        timed_out = False
        try:
            code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            timed_out = True
            self.proc.kill()
            code = self.proc.wait()
            # Whatever the program left (dialogs, children) goes with the server.
            _wineserver("-k")
            _displays.wine_display = None
        self._output.close()
        return RunResult(self, code, timed_out, _read_text(self.output_path))


def start(program, args=(), screen=DEFAULT_SCREEN, cwd=None, env=None):
    """Starts a Windows program (a book's exe or any other) and returns the Run."""
    return Run(program, args, screen, cwd, env)


def run(book_exe, args=(), screen=DEFAULT_SCREEN, timeout=DEFAULT_TIMEOUT, cwd=None, env=None):
    """Runs a program to its end; a run that outlives timeout is killed and
    reported with timed_out set."""
    return start(book_exe, args, screen, cwd, env).wait(timeout)


def screenshot(name, display):
    os.makedirs(SCREENSHOTS, exist_ok=True)
    path = os.path.join(SCREENSHOTS, name if name.endswith(".png") else name + ".png")
    subprocess.run(["import", "-display", display, "-window", "root", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
    return path


def wait_until(predicate, timeout=10, interval=0.05):
    """Polls predicate until it holds or timeout seconds pass; returns its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


# ---- test base ---------------------------------------------------------------

class WineTestCase(unittest.TestCase):
    """Base for end-to-end tests: a temporary folder per test class."""

    @classmethod
    def setUpClass(cls):
        setup_prefix()
        cls.tmp = tempfile.mkdtemp(prefix="vellix-e2e-books-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def assertCleanExit(self, result):
        self.assertFalse(result.timed_out, "the run timed out\n" + result.describe())
        self.assertEqual(result.exit_code, 0, result.describe())
