"""Answers the modal dialogs of a program under Wine with dialogbot.exe.

    bot = dialogs.start_bot(dialogs.save("C:\\out\\a.hwp"), dialogs.OK)
    result = harness.run(book_exe)          # shows a save dialog, then a message
    answered = bot.wait()
    answered.dialogs[0].filters             # ['한글 문서 파일']

Start the bot with the same screen as the program (the default screen unless
given): the harness keeps one Wine server per display. The bot handles one
dialog per action, in order; count= handles more, repeating the last action.
"""

import atexit
import os
import shutil
import tempfile

import harness

BOT = os.path.join(harness.BIN, "dialogbot.exe")
TARGET = os.path.join(harness.BIN, "dialogtarget.exe")

OK = "ok"
CANCEL = "cancel"


def save(windows_path):
    """The action that types windows_path into the file-name box and saves."""
    return "save " + windows_path


def press(control_id):
    """The action that presses the button with that control id."""
    return "press %d" % control_id


class Dialog:
    """What the bot saw of one dialog and how it answered."""

    def __init__(self, number):
        self.number = number
        self.kind = None            # "save" or "message"
        self.pid = None
        self.caption = None
        self.text = None            # message boxes
        self.buttons = []           # [(control id, text)]
        self.filters = []           # save dialogs: the "save as type" entries
        self.selected_filter = None  # (index, text)
        self.file_name = None       # save dialogs: the preset name
        self.action = None          # e.g. ("save", "C:\\x.hwp") or ("ok",)
        self.closed = None          # True, False (still open), None (not answered)
        self.error = None
        self.controls = []          # with verbose=True: [(class, id, text)]

    def __repr__(self):
        return "Dialog(%r)" % self.__dict__


class BotLog:
    def __init__(self, dialogs, timed_out, handled, exit_code):
        self.dialogs = dialogs
        self.timed_out = timed_out   # waited in vain for a dialog
        self.handled = handled       # from the end line, None without one
        self.exit_code = exit_code   # from the end line, None without one


def parse_log(path):
    """Reads a dialogbot log into a BotLog."""
    dialogs = {}
    timed_out = False
    handled = exit_code = None
    for fields in _lines(path):
        if len(fields) < 2:
            continue
        try:
            number = int(fields[0])
        except ValueError:
            continue
        key = fields[1]
        values = [harness.unescape(v) for v in fields[2:]]
        if number == 0:
            if key == "end" and len(values) >= 2:
                handled, exit_code = _int(values[0]), _int(values[1])
            continue
        d = dialogs.setdefault(number, Dialog(number))
        first = values[0] if values else ""
        if key == "dialog":
            d.kind = first
            d.pid = _int(values[1]) if len(values) > 1 else None
        elif key == "caption":
            d.caption = first
        elif key == "text":
            d.text = first
        elif key == "button" and len(values) >= 2:
            d.buttons.append((_int(values[0]), values[1]))
        elif key == "filter":
            d.filters.append(first)
        elif key == "filter-selected" and len(values) >= 2:
            d.selected_filter = (_int(values[0]), values[1])
        elif key == "file-name":
            d.file_name = first
        elif key == "control" and len(values) >= 3:
            d.controls.append((values[0], _int(values[1]), values[2]))
        elif key == "action":
            d.action = tuple(values)
        elif key == "closed":
            d.closed = True
        elif key == "still-open":
            d.closed = False
        elif key == "error":
            d.error = first
        elif key == "timeout":
            timed_out = True
    # A timeout line opens no dialog of its own.
    seen = [dialogs[n] for n in sorted(dialogs) if dialogs[n].kind is not None]
    return BotLog(seen, timed_out, handled, exit_code)


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")
    except FileNotFoundError:
        return ""


def _lines(path):
    return [line.split("\t") for line in _read(path).split("\n") if line]


def _int(text):
    try:
        return int(text)
    except ValueError:
        return None


_folders = []


def _cleanup():
    if not os.environ.get("VELLIX_E2E_KEEP"):
        for d in _folders:
            shutil.rmtree(d, ignore_errors=True)


atexit.register(_cleanup)


class Bot:
    """A running dialogbot."""

    def __init__(self, actions, count=None, timeout=10, screen=harness.DEFAULT_SCREEN, verbose=False):
        if not os.path.exists(BOT):
            raise RuntimeError("missing dialogbot.exe: build the target e2e_programs")
        self.folder = tempfile.mkdtemp(prefix="vellix-dialogbot-")
        _folders.append(self.folder)
        self.log = os.path.join(self.folder, "dialogbot.log")
        # The actions go through a file: a path may start with "--".
        actions_file = os.path.join(self.folder, "actions.txt")
        with open(actions_file, "w", encoding="utf-8", newline="\n") as f:
            for a in actions:
                if "\n" in a or "\r" in a:
                    raise ValueError("an action is one line: %r" % a)
                f.write(a + "\n")
        args = [harness.windows_path(self.log), "--actions", harness.windows_path(actions_file),
                "--timeout", str(int(timeout * 1000))]
        if count is not None:
            args += ["--count", str(count)]
        if verbose:
            args.append("--verbose")
        self.timeout = timeout
        self.expected = count if count is not None else len(actions)
        self.run = harness.start(BOT, args, screen=screen, cwd=self.folder)

    def wait(self, timeout=None):
        """Waits for the bot to end; returns its BotLog with the run's result
        as .run_result."""
        if timeout is None:
            timeout = (self.timeout + 5) * max(1, self.expected) + 10
        run_result = self.run.wait(timeout)
        log = parse_log(self.log)
        log.run_result = run_result
        return log

    def describe(self):
        return "dialogbot log:\n" + (_read(self.log) or "(none)")


def start_bot(*actions, count=None, timeout=10, screen=harness.DEFAULT_SCREEN, verbose=False):
    """Starts dialogbot with these actions (save(path), OK, CANCEL, press(id));
    timeout is how many seconds it waits for each dialog."""
    if not actions:
        raise ValueError("dialogbot needs at least one action")
    return Bot(list(actions), count, timeout, screen, verbose)
