#!/usr/bin/env python3
"""The real tintrix read and driven through the accessibility bus (AT-SPI), as a screen reader
or a switch-access tool would: Xvfb and openbox as for the end-to-end tests, a session bus of
the test's own, at-spi2-core's accessibility bus on it, and pyatspi as the client.

    run_a11y.py TINTRIX TINTRIX_FADE [--keep]

Finds the strip's push buttons and its text field by their names and prints the strip's tree
(each node's role and name); opens the configuration dialog through the accessible actions of
the Options menu, reads its swatches' and selectors' names, ticks Italic and closes it with Esc;
types a text through the text field's accessible text and copies its fade to the clipboard
through the accessible press of "Copy to Clipboard" alone, with no click or key; ends the program
through the accessible press of "Close". The clipboard must hold what tintrix-fade writes for the
same text and an italic default fade, and the stored fade must be italic.

Exit status: 0 when it passed, 1 when it failed, 77 when Xvfb, the session bus, at-spi2-core's
accessibility bus or pyatspi is not installed.
"""

import importlib.util
import os
import re
import signal
import subprocess
import sys
import time

# The helpers sit next to this script; no bytecode cache is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from run_e2e import SKIP, TOOLS, Program, compare, expect  # noqa: E402
from x11session import E2eError, X11Session, missing_tools, poll  # noqa: E402

BUS_LAUNCHER_PLACES = ["/usr/libexec/at-spi-bus-launcher",
                       "/usr/lib/at-spi2-core/at-spi-bus-launcher"]
# pyatspi comes as a Debian package for the system's own Python only.
SYSTEM_PYTHON = "/usr/bin/python3"
# Qt speaks to the accessibility bus only when told to, or when the desktop says that assistive
# technology runs.
ACCESSIBLE_QT = {"QT_ACCESSIBILITY": "1", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
ACTION_TIMEOUT = 5.0  # seconds for what one accessible action brings about
SWATCH_NAME = re.compile(r"^Colour (\d+): (#[0-9A-F]{6}|not set)$")
# The default fade's first two colours: black, and 16711680, blue in the classic BGR order.
DEFAULT_SWATCHES = {1: "Colour 1: #000000", 2: "Colour 2: #0000FF"}


def log(message):
    print(f"[a11y] {message}", flush=True)


def bus_launcher():
    return next((p for p in BUS_LAUNCHER_PLACES if os.access(p, os.X_OK)), None)


def has_pyatspi(python):
    probe = "import importlib.util, sys; sys.exit(not importlib.util.find_spec('pyatspi'))"
    result = subprocess.run([python, "-c", probe], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    return result.returncode == 0


class Accessibility:
    """The pyatspi side: the desktop's tree as the accessibility bus gives it."""

    def __init__(self, env):
        # libatspi finds the accessibility bus through the display and the session bus of its
        # own process's environment, so that is the session's from here on.
        os.environ.update(env)
        import pyatspi

        self.pyatspi = pyatspi

    def application(self, name):
        def found():
            for app in self.pyatspi.Registry.getDesktop(0):
                if app is not None and app.name.lower() == name.lower():
                    return app
            return None

        return poll(f"the application {name!r} on the accessibility bus", found)

    @staticmethod
    def children(node):
        return [child for child in node if child is not None]

    def find(self, root, role, name, depth=10):
        """The first node under root, depth first, of that role (pyatspi's name of it, such
        as "push button") and name; None if there is none."""
        if root.getRoleName() == role and root.name == name:
            return root
        if depth == 0:
            return None
        for child in self.children(root):
            found = self.find(child, role, name, depth - 1)
            if found is not None:
                return found
        return None

    def wait_for(self, root, role, name):
        return poll(f"the {role} {name!r}", lambda: self.find(root, role, name), ACTION_TIMEOUT)

    def do(self, node, action):
        """Does the node's action of that name, as an assistive tool asks it."""
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        expect(action in names, f"the {node.getRoleName()} {node.name!r} has no {action!r} "
                                f"action, only {names}")
        actions.doAction(names.index(action))

    def has_state(self, node, state):
        return node.getState().contains(state)

    def wait_state(self, node, state, what, present=True):
        poll(what, lambda: self.has_state(node, state) == present, ACTION_TIMEOUT)

    def tree(self, node, depth=0, max_depth=6):
        """The lines of node's tree: each node's role and name, indented by its depth."""
        lines = [f"{'  ' * depth}{node.getRoleName()} {node.name!r}"]
        if depth < max_depth:
            for child in self.children(node):
                lines += self.tree(child, depth + 1, max_depth)
        return lines


def start_accessibility_bus(session):
    """Starts at-spi2-core's bus launcher on the session bus and waits until it answers there;
    its accessibility bus and, on demand, the registry follow. Returns the bus's address."""
    session.start([bus_launcher(), "--launch-immediately"], "at-spi-bus-launcher.log")

    def address():
        result = subprocess.run(
            ["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
            env=session.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=10)
        return result.stdout.decode().strip() if result.returncode == 0 else None

    return poll("the accessibility bus to answer", address)


def scenario(session, tintrix, fade_tool):
    session.start_session_bus()
    log(f"accessibility bus at {start_accessibility_bus(session)}")
    session.env.update(ACCESSIBLE_QT)
    started = time.monotonic()
    program = Program(session, tintrix, fade_tool)
    a11y = Accessibility(session.env)
    pyatspi = a11y.pyatspi

    app = a11y.application("tintrix")
    strip = a11y.wait_for(app, "frame", "Tintrix 1.0")
    log(f"found {app.name!r} and its strip {time.monotonic() - started:.2f} s after the start")
    log("the strip's tree:\n" + "\n".join(a11y.tree(strip)))

    spots = {name: a11y.find(strip, "push button", name) for name in ("Options", "Help", "Close")}
    for name, spot in spots.items():
        expect(spot is not None, f"the strip has no push button {name!r}")
        expect(a11y.has_state(spot, pyatspi.STATE_FOCUSABLE),
               f"the push button {name!r} takes no focus")
    text = a11y.find(strip, "text", "Text to fade")
    expect(text is not None, "the strip has no text 'Text to fade'")
    options = spots["Options"]
    menu = a11y.find(options, "popup menu", "Options", depth=1)
    expect(menu is not None, "the push button 'Options' holds no menu 'Options'")

    def choose(item):
        a11y.do(options, "Press")
        a11y.wait_state(menu, pyatspi.STATE_SHOWING, "the Options menu to open")
        a11y.do(a11y.wait_for(menu, "menu item", item), "Press")
        a11y.wait_state(menu, pyatspi.STATE_SHOWING, "the Options menu to close", present=False)
        log(f"pressed Options, then {item!r}")

    # The configuration dialog: its names, then Italic ticked and Esc.
    choose("Configure")
    dialog = a11y.wait_for(app, "dialog", "Configuration")
    log("the dialog's controls:\n" + "\n".join(a11y.tree(dialog, max_depth=1)[1:]))
    swatches = [c.name for c in a11y.children(dialog) if c.getRoleName() == "label" and
                SWATCH_NAME.match(c.name)]
    numbers = [int(SWATCH_NAME.match(name).group(1)) for name in swatches]
    expect(numbers == list(range(1, 11)), f"the swatches are named {swatches}")
    for number, name in DEFAULT_SWATCHES.items():
        expect(swatches[number - 1] == name,
               f"swatch {number} is {swatches[number - 1]!r}, not {name!r}")
    for name in ("Colour to set", "Font"):
        expect(a11y.find(dialog, "combo box", name, depth=1) is not None,
               f"the dialog has no combo box {name!r}")
    italic = a11y.find(dialog, "check box", "Italic", depth=1)
    expect(italic is not None, "the dialog has no check box 'Italic'")
    a11y.do(italic, "Toggle")
    a11y.wait_state(italic, pyatspi.STATE_CHECKED, "Italic to be ticked")

    window = poll("the dialog's window",
                  lambda: next(iter(session.visible_windows(r"^Configuration$")), None))
    session.activate(window)
    session.keys("Escape")
    session.wait_gone(window, "the configuration dialog to close on Esc")
    poll("the dialog to leave the tree",
         lambda: a11y.find(app, "dialog", "Configuration", 1) is None, ACTION_TIMEOUT)
    log("ticked Italic through its action and closed the dialog with Esc")

    # Copy to Clipboard through accessibility alone.
    typed = "Read <aloud> & clear"
    text.queryEditableText().setTextContents(typed)
    expect(text.queryText().getText(0, -1) == typed, "the text field did not take the text")
    choose("Copy to Clipboard")
    expected = program.expected_document(typed, "--italic")[:-1]  # less its line feed

    def clipboard():
        program.ensure_running()
        try:
            out = session.run(["xclip", "-o", "-selection", "clipboard"], check=False, timeout=5,
                              binary=True)
        except subprocess.TimeoutExpired:
            return None
        return out if out == expected else None

    try:
        poll("the clipboard to hold the fade", clipboard, ACTION_TIMEOUT)
    except E2eError:
        got = session.run(["xclip", "-o", "-selection", "clipboard"], check=False, binary=True)
        compare("the clipboard", got, expected)
    expect(expected.startswith(b"<font face=\"Arial\">") and b"<i>" in expected,
           f"tintrix-fade wrote no italic classic fade: {expected[:60]!r}")
    log(f"the clipboard holds the italic fade of {typed!r}: {len(expected)} bytes")
    poll("the text field to empty", lambda: text.queryText().getText(0, -1) == "", ACTION_TIMEOUT)

    # The close mark's press ends the program, which stores the fade.
    a11y.do(spots["Close"], "Press")
    try:
        status = program.process.wait(timeout=ACTION_TIMEOUT * 3)
    except subprocess.TimeoutExpired:
        raise E2eError("tintrix did not end after the press of Close") from None
    expect(status == 0, f"tintrix ended with status {status}, not 0")
    stored = program.stored_settings()
    expect(stored.get("Italic") == "1", f"Italic is {stored.get('Italic')!r}, not 1")
    log("pressed Close: tintrix ended with status 0 and stored Italic=1")


def main(argv):
    args = [a for a in argv if a != "--keep"]
    keep = len(args) != len(argv)
    if len(args) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    tintrix, fade_tool = (os.path.abspath(a) for a in args)

    unavailable = missing_tools(["Xvfb", "dbus-daemon", "dbus-send"])
    if bus_launcher() is None:
        unavailable.append("at-spi-bus-launcher (at-spi2-core)")
    if not importlib.util.find_spec("pyatspi"):
        if os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON) and \
                os.access(SYSTEM_PYTHON, os.X_OK) and has_pyatspi(SYSTEM_PYTHON):
            # Another Python came first on the PATH.
            os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON, os.path.abspath(__file__), *argv])
        unavailable.append("pyatspi (python3-pyatspi)")
    if unavailable:
        print(f"SKIPPED: the accessibility test needs {', '.join(unavailable)}", flush=True)
        return SKIP
    missing = missing_tools(TOOLS)
    if missing:
        print(f"FAILED: the accessibility test needs {', '.join(missing)}", flush=True)
        return 1

    # CTest ends a test that overruns with SIGTERM; the session still takes down what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    started = time.monotonic()
    try:
        with X11Session(keep=keep, name="tintrix-a11y") as session:
            log(f"display :{session.display}, home {session.home}")
            scenario(session, tintrix, fade_tool)
    except E2eError as error:
        log(f"FAILED: {error}")
        return 1
    log(f"passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
