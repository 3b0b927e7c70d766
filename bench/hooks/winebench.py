"""What the Wine hooks of bench/run share: the end-to-end harness (books,
the stand-in control, its log) on the display and prefix that bench/run has
already set up, the programs they need, and the figure line.

bench/run calls each hook inside one xvfb-run with WINEPREFIX set to
<win32 build>/wineprefix and VELLIX_BENCH_WIN32_DIR naming that build, so the
harness is pointed at the same build and told to use the display it finds
instead of starting Xvfb servers of its own.
"""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WIN_DIR = os.environ.get("VELLIX_BENCH_WIN32_DIR") or os.path.join(ROOT, "build", "win32")
os.environ["VELLIX_BUILD"] = WIN_DIR
os.environ["VELLIX_SOURCE"] = ROOT
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402  (after the environment above)

# The Windows programs the hooks run besides launcher.exe, which bench/run builds.
TARGETS = ("flash_standin", "e2e_recorder", "bare_window")


class _GivenDisplay:
    """The harness's displays, reduced to the one bench/run brings: the Wine
    server already belongs to it, so nothing is started, switched or stopped."""

    def __init__(self, display):
        self.wine_display = display
        self._display = display

    def get(self, screen):
        return self._display

    def stop(self):
        pass


class HookError(Exception):
    pass


def setup():
    """Builds the programs, points the harness at this display and prepares
    the prefix (stand-in and recorder copied and registered)."""
    log = os.path.join(WIN_DIR, "bench-build.log")
    with open(log, "ab") as out:
        for target in TARGETS:
            if subprocess.run(["cmake", "--build", WIN_DIR, "--target", target, "-j2"],
                              stdout=out, stderr=subprocess.STDOUT).returncode != 0:
                raise HookError("building %s failed, see %s" % (target, log))
    display = os.environ.get("DISPLAY")
    if not display:
        raise HookError("no DISPLAY: run through bench/run")
    harness._displays = _GivenDisplay(display)
    harness.setup_prefix()


def temp_dir(prefix):
    """A folder that goes when the hook ends (unless VELLIX_E2E_KEEP is set)."""
    folder = tempfile.mkdtemp(prefix=prefix)
    harness._logdirs.append(folder)
    return folder


def spawn(program, env, cwd=None, args=()):
    """Starts `wine program args...` as the harness does, with its own
    environment additions; returns the Popen."""
    return subprocess.Popen(["wine", program] + list(args), cwd=cwd or os.path.dirname(program),
                            env=harness.wine_env(os.environ["DISPLAY"], env),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wait(proc, what, timeout=60):
    try:
        code = proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise HookError("%s did not end within %d s" % (what, timeout))
    if code != 0:
        raise HookError("%s ended with exit code %d" % (what, code))


def eventtime(count, command, args=""):
    """The stand-in's step that times raising an event to the return of the
    host's Invoke."""
    return "eventtime %d %s\t%s" % (count, harness.escape_field(command), harness.escape_field(args))


def median(values):
    values = sorted(values)
    if not values:
        return 0.0
    mid = len(values) // 2
    return float(values[mid]) if len(values) % 2 else (values[mid - 1] + values[mid]) / 2.0


def print_figure(name, value, baseline):
    """One line as bench/run prints every figure: name, value, baseline, ratio."""
    ratio = value / baseline if baseline > 0 else 0.0
    print("%-32s %12.3f %12.3f %8.3f" % (name, value, baseline, ratio), flush=True)


def main(body):
    """Runs a hook's body; a failure is one line on stderr and exit code 1."""
    try:
        body("quick" in sys.argv[1:])
    except (HookError, RuntimeError, OSError) as e:
        print("bench: %s: %s" % (os.path.basename(sys.argv[0]), e), file=sys.stderr)
        sys.exit(1)
