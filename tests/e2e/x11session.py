"""A private X session for driving the real program: Xvfb on a display of its own, openbox
on it, a fresh home folder, on request a session bus of its own, and helpers around xdotool,
xwininfo, xprop and import.

Everything started here is killed when the session ends, and also when the Python process
dies first (each child gets a parent-death signal).
"""

import ctypes
import os
import random
import re
import shutil
import signal
import subprocess
import tempfile
import time

WINDOW_TIMEOUT = 15.0  # seconds; a loaded test machine can be slow to map a window
POLL = 0.02

_PR_SET_PDEATHSIG = 1


class E2eError(Exception):
    """A failed expectation; the message says what was expected and what was seen."""


def _die_with_parent():
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


def missing_tools(tools):
    return [tool for tool in tools if shutil.which(tool) is None]


def poll(what, probe, timeout=WINDOW_TIMEOUT):
    """Calls probe() until it returns something truthy and returns that; raises E2eError
    naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise E2eError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL)


class Geometry:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return f"{self.width}x{self.height}+{self.x}+{self.y}"


class X11Session:
    """Use as a context manager. `workdir` holds the home folder, the logs and, on failure,
    a screenshot; it is removed on success unless keep is set."""

    def __init__(self, screen="1024x768x24", keep=False, name="tintrix-e2e"):
        self.screen = screen
        self.keep = keep
        self.workdir = tempfile.mkdtemp(prefix=f"{name}-")
        self.home = os.path.join(self.workdir, "home")
        self.config_home = os.path.join(self.home, ".config")
        self.display = None
        self._children = []
        self._failed = False

    # -- lifetime ---------------------------------------------------------------------------

    def __enter__(self):
        try:
            os.makedirs(self.config_home)
            runtime = os.path.join(self.workdir, "runtime")
            os.makedirs(runtime, mode=0o700)
            self._start_xvfb()
            self.env = self._environment(runtime)
            self._start_openbox()
        except BaseException:
            self._failed = True
            self._stop()
            raise
        return self

    def __exit__(self, kind, value, traceback):
        if kind is not None:
            self._failed = True
            self.screenshot_root("failure.png")
            self._dump_windows()
        self._stop()
        if self._failed:
            for name in sorted(os.listdir(self.workdir)):
                if name.endswith(".log"):
                    tail = self.log(name).splitlines()[-20:]
                    print(f"[e2e] --- {name} ---", *tail, sep="\n", flush=True)
        if self._failed or self.keep:
            print(f"[e2e] files kept in {self.workdir}", flush=True)
        else:
            shutil.rmtree(self.workdir, ignore_errors=True)
        return False

    def _dump_windows(self):
        """Writes the window tree and the state of the helpers, for a diagnosis."""
        lines = [f"Xvfb running: {self._xvfb.poll() is None}"]
        if self._xvfb.poll() is not None:
            return
        if hasattr(self, "_openbox"):
            lines.append(f"openbox running: {self._openbox.poll() is None}")
        try:
            lines.append(self.run(["xwininfo", "-root", "-tree"], check=False))
        except Exception as error:  # a diagnosis must not mask the failure
            lines.append(f"no window tree: {error}")
        with open(os.path.join(self.workdir, "windows.log"), "w") as f:
            f.write("\n".join(lines))

    def _environment(self, runtime):
        env = {
            key: value
            for key, value in os.environ.items()
            # Nothing of the caller's desktop session may leak in.
            if not key.startswith(("XDG_", "WAYLAND_", "QT_", "DBUS_", "SESSION_"))
            and key not in ("DISPLAY", "XAUTHORITY", "DESKTOP_SESSION", "HOME")
        }
        env.update(
            DISPLAY=f":{self.display}",
            HOME=self.home,
            XDG_CONFIG_HOME=self.config_home,
            XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
            XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
            XDG_RUNTIME_DIR=runtime,
            QT_QPA_PLATFORM="xcb",
            # No session bus unless start_session_bus gives one: nothing is shared with the
            # caller's desktop.
            DBUS_SESSION_BUS_ADDRESS="disabled:",
            LC_ALL="C.UTF-8",
        )
        return env

    def _spawn(self, argv, log_name, env=None, **kwargs):
        log = open(os.path.join(self.workdir, log_name), "ab")
        process = subprocess.Popen(
            argv,
            stdout=log,
            stderr=subprocess.STDOUT,
            env=env,
            preexec_fn=_die_with_parent,
            **kwargs,
        )
        log.close()
        self._children.append(process)
        return process

    def _start_xvfb(self):
        # A display number of our own choosing, away from the low numbers that desktops and
        # other tools take for granted. Xvfb then holds the display's lock file and ends at
        # once when another server has it.
        numbers = random.Random(os.getpid() ^ time.monotonic_ns()).sample(range(100, 10000), 30)
        for number in numbers:
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(
                f"/tmp/.X11-unix/X{number}"
            ):
                continue
            if self._try_xvfb(number):
                self.display = number
                return
        raise E2eError(f"Xvfb could not take a display: {self.log('xvfb.log')}")

    def _try_xvfb(self, number):
        """Starts Xvfb on :number and waits until it answers; returns False when the display
        was taken."""
        xvfb = self._spawn(
            ["Xvfb", f":{number}", "-screen", "0", self.screen, "-nolisten", "tcp", "-noreset"],
            "xvfb.log",
        )
        lock = f"/tmp/.X{number}-lock"

        def ours():
            try:
                with open(lock) as f:
                    return int(f.read().strip() or 0) == xvfb.pid
            except (OSError, ValueError):
                return False

        def ready():
            if xvfb.poll() is not None:
                return "ended"
            if not ours():
                return None
            probe = subprocess.run(
                ["xprop", "-display", f":{number}", "-root", "-len", "0"],
                stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL,
            )
            return "ready" if probe.returncode == 0 else None

        if poll(f"Xvfb to answer on :{number}", ready) == "ready":
            self._xvfb = xvfb
            return True
        self._children.remove(xvfb)
        return False

    def _start_openbox(self):
        self._openbox = self._spawn(["openbox", "--sm-disable"], "openbox.log", env=self.env)
        # Openbox announces itself on the root window before it is ready, and a window mapped
        # while it starts may never be shown. So probe windows are mapped until openbox
        # manages one: from then on it handles every window.
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while not self._probe_managed():
            if time.monotonic() > deadline:
                raise E2eError(f"openbox did not manage a window within {WINDOW_TIMEOUT:.0f} s")

    def _probe_managed(self, timeout=1.0):
        """Maps a small window and tells whether openbox took it into its client list."""
        probe = self._spawn(
            ["xev", "-name", "tintrix-e2e-probe", "-geometry", "16x16+0+0"], "probe.log", env=self.env
        )

        def managed():
            ids = self.run(["xdotool", "search", "--name", "^tintrix-e2e-probe$"], check=False)
            listed = self.run(["xprop", "-root", "_NET_CLIENT_LIST"], check=False)
            clients = {int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", listed)}
            return any(int(w) in clients for w in ids.split())

        try:
            poll("openbox to manage a probe window", managed, timeout=timeout)
            return True
        except E2eError:
            return False
        finally:
            probe.terminate()
            probe.wait()
            self._children.remove(probe)

    def _stop(self):
        for process in reversed(self._children):
            if process.poll() is None:
                process.terminate()
        for process in reversed(self._children):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self._children.clear()

    def stop_display(self):
        """Ends the X server, as when a session's display goes away."""
        self._xvfb.kill()
        self._xvfb.wait()

    def start_session_bus(self):
        """Starts a session bus of this session's own and points the environment of what is
        started from now on at it; returns its address."""
        socket = os.path.join(self.workdir, "session-bus")
        argv = ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                f"--address=unix:path={socket}"]
        self._spawn(argv, "dbus.log", env=self.env)
        poll("the session bus to listen", lambda: os.path.exists(socket))
        self.env["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={socket}"
        return self.env["DBUS_SESSION_BUS_ADDRESS"]

    def log(self, name):
        try:
            with open(os.path.join(self.workdir, name), "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    # -- programs ---------------------------------------------------------------------------

    def start(self, argv, log_name, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        return self._spawn(argv, log_name, env=env)

    def run(self, argv, check=True, timeout=10, env=None, binary=False):
        result = subprocess.run(
            argv,
            env=env or self.env,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            timeout=timeout,
        )
        if check and result.returncode != 0:
            raise E2eError(
                f"{' '.join(argv)} failed ({result.returncode}): "
                f"{result.stderr.decode('utf-8', 'replace').strip()}"
            )
        return result.stdout if binary else result.stdout.decode("utf-8", "replace")

    def xdotool(self, *args):
        return self.run(["xdotool", *[str(a) for a in args]])

    # -- windows ----------------------------------------------------------------------------

    def visible_windows(self, name_regex=None):
        """Ids of the mapped windows of class tintrix, optionally with a matching name."""
        argv = ["xdotool", "search", "--onlyvisible", "--class", "tintrix"]
        out = self.run(argv, check=False)
        ids = [int(line) for line in out.split()]
        if name_regex is not None:
            ids = [w for w in ids if re.search(name_regex, self.window_name(w))]
        return ids

    def window_name(self, window):
        return self.run(["xdotool", "getwindowname", str(window)], check=False).rstrip("\n")

    def wait_for_new_window(self, known, what, name_regex=None):
        """Waits until a window not in `known` is mapped and returns its id."""

        def found():
            fresh = [w for w in self.visible_windows(name_regex) if w not in known]
            return fresh[0] if fresh else None

        return poll(what, found)

    def wait_gone(self, window, what):
        poll(what, lambda: window not in self.visible_windows())

    def geometry(self, window):
        """The client area's place on the screen and its size."""
        out = self.run(["xwininfo", "-id", str(window)])

        def field(label):
            match = re.search(rf"{label}:\s+(-?\d+)", out)
            if not match:
                raise E2eError(f"xwininfo gave no {label} for {window}")
            return int(match.group(1))

        return Geometry(
            field("Absolute upper-left X"),
            field("Absolute upper-left Y"),
            field("Width"),
            field("Height"),
        )

    def frame_geometry(self, window):
        """The window's place and size including the frame the window manager put round it."""
        g = self.geometry(window)
        out = self.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], check=False)
        match = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        left, right, top, bottom = (int(v) for v in match.groups()) if match else (0, 0, 0, 0)
        return Geometry(g.x - left, g.y - top, g.width + left + right, g.height + top + bottom)

    def screen_size(self):
        g = self.geometry_root()
        return g.width, g.height

    def geometry_root(self):
        out = self.run(["xwininfo", "-root"])
        width = int(re.search(r"Width:\s+(\d+)", out).group(1))
        height = int(re.search(r"Height:\s+(\d+)", out).group(1))
        return Geometry(0, 0, width, height)

    def active_window(self):
        out = self.run(["xdotool", "getactivewindow"], check=False).strip()
        return int(out) if out.isdigit() else None

    def activate(self, window):
        self.xdotool("windowactivate", window)
        poll(f"window {window} to become active", lambda: self.active_window() == window)

    def click(self, window, x, y, button=1):
        """A click at (x, y) in the window's client area."""
        self.xdotool("mousemove", "--window", window, x, y, "click", button)

    def press(self, window, x, y, button=1):
        """A press and release at (x, y) in the window's client area, as one gesture."""
        self.xdotool("mousemove", "--window", window, x, y, "mousedown", button, "mouseup", button)

    def keys(self, *names):
        self.xdotool("key", "--delay", "30", *names)

    def type_text(self, text):
        self.xdotool("type", "--delay", "15", "--", text)

    def screenshot_root(self, name):
        path = os.path.join(self.workdir, name)
        try:
            self.run(["import", "-window", "root", path], check=True, timeout=20)
            print(f"[e2e] screenshot: {path}", flush=True)
        except Exception as error:  # the screenshot only helps diagnose; never mask the cause
            print(f"[e2e] no screenshot: {error}", flush=True)

    def screenshot_window(self, window, path):
        self.run(["import", "-window", str(window), path], timeout=20)
