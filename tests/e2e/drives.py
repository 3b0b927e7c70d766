"""Removable drives in the test prefix.

A Wine drive letter is a link <prefix>/dosdevices/<letter>: to a folder; the
value <letter>: = "floppy" under HKLM\\Software\\Wine\\Drives makes Windows
report it as removable (GetDriveType 2). Wine reads both when its server
starts, so every change ends with the server's exit (wineserver -w). Change
drives only while no program of the test runs: the call waits for them.

    with drives.RemovableDrive(folder, "E") as drive:   # E:\\ -> folder
        ...                                              # E:\\TxtData\\x lands in folder/TxtData/x
    drives.no_removable()                                # no letter is removable

drive_types() asks a program in the prefix for GetDriveTypeA of C: to Z:.
"""

import os
import shutil
import subprocess
import tempfile

import harness

DRIVES_KEY = "HKLM\\Software\\Wine\\Drives"
REMOVABLE_TYPE = "floppy"

DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR, DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE, DRIVE_CDROM, DRIVE_RAMDISK = range(7)

# The prefix's own drives: the system drive and the Unix root.
_RESERVED = ("c", "z")


def _letter(letter):
    letter = letter.rstrip(":\\").lower()
    if len(letter) != 1 or not "a" <= letter <= "z":
        raise ValueError("not a drive letter: %r" % letter)
    if letter in _RESERVED:
        raise ValueError("drive %s: belongs to the prefix" % letter.upper())
    return letter


def _link(letter):
    return os.path.join(harness.PREFIX, "dosdevices", letter + ":")


def _wine(args):
    """A console Wine command without a display: it must not start a desktop
    that a later GUI run would inherit, hence the server's exit afterwards."""
    return subprocess.run(["wine"] + args, env=harness.wine_env(), stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=120)


def _server_exit():
    subprocess.run(["wineserver", "-w"], env=harness.wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)


def removable_letters():
    """Letters (lower case) typed "floppy" in the prefix's registry file, as
    the server last saved it: call while no server runs."""
    letters = []
    try:
        with open(os.path.join(harness.PREFIX, "system.reg"), encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        return letters
    inside = False
    for line in lines:
        if line.startswith("["):
            inside = line.lower().startswith("[software\\\\wine\\\\drives]")
            continue
        if not inside:
            continue
        name, sep, value = line.partition("=")
        name = name.strip().strip('"').lower()
        if (sep and value.strip().lower() == '"%s"' % REMOVABLE_TYPE and len(name) == 2
                and name[1] == ":" and "a" <= name[0] <= "z"):
            letters.append(name[0])
    return letters


def _set_drives(removable=None, remove_links=()):
    """Leaves `removable` (letter, folder) as the only removable drive, or none,
    and removes the links of remove_links; then lets the server exit."""
    harness.setup_prefix()
    _server_exit()
    for letter in remove_links:
        if os.path.islink(_link(letter)):
            os.unlink(_link(letter))
    keep = removable[0] if removable else None
    values = ['"%s:"=-' % letter for letter in removable_letters() if letter != keep]
    if removable:
        letter, folder = removable
        link = _link(letter)
        if os.path.islink(link):
            os.unlink(link)
        elif os.path.exists(link):
            raise RuntimeError("%s is not a link" % link)
        os.symlink(os.path.abspath(folder), link)
        values.append('"%s:"="%s"' % (letter, REMOVABLE_TYPE))
    if values:
        # One registry import: every Wine start costs seconds.
        reg = harness.drive_c(harness.TEST_ROOT, "drives.reg")
        with open(reg, "w", encoding="ascii", newline="\r\n") as f:
            f.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n" + "\n".join(values) + "\n")
        _check(_wine(["reg", "import", harness.windows_path(reg)]), "reg import")
        _server_exit()


def _check(result, what):
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (what, result.stdout.decode("utf-8", errors="replace")))


def map_removable(letter, folder):
    """Maps letter: to folder as the prefix's only removable drive."""
    if not os.path.isdir(folder):
        raise ValueError("no such folder: %s" % folder)
    _set_drives((_letter(letter), folder))


def unmap(*letters):
    """Removes the drive letters and leaves no removable drive at all."""
    _set_drives(None, [_letter(letter) for letter in letters])


def no_removable():
    """Leaves no removable drive in the prefix (links stay, as fixed drives)."""
    _set_drives(None)


def drive_types(screen=harness.DEFAULT_SCREEN):
    """{"C": type, ..., "Z": type} as GetDriveTypeA reports them in the prefix."""
    folder = tempfile.mkdtemp(prefix="vellix-drives-")
    try:
        log = os.path.join(folder, "drives.log")
        result = harness.run(os.path.join(harness.BIN, "dialogtarget.exe"),
                             [harness.windows_path(log), "drives"], screen=screen, cwd=folder)
        if result.timed_out or result.exit_code != 0:
            raise RuntimeError("dialogtarget drives failed: " + result.describe())
        types = {}
        with open(log, encoding="utf-8") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                if len(fields) == 3 and fields[0] == "drive":
                    types[fields[1]] = int(fields[2])
        return types
    finally:
        shutil.rmtree(folder, ignore_errors=True)


class RemovableDrive:
    """letter: mapped to folder as a removable drive for the life of a with block."""

    def __init__(self, folder, letter="E"):
        self.folder = os.path.abspath(folder)
        self.letter = _letter(letter).upper()
        self.root = self.letter + ":\\"

    def path(self, *windows_parts):
        """The Unix path of root + parts (e.g. path("TxtData", "memo.txt"))."""
        return os.path.join(self.folder, *windows_parts)

    def __enter__(self):
        map_removable(self.letter, self.folder)
        return self

    def __exit__(self, *exc):
        unmap(self.letter)
        return False
