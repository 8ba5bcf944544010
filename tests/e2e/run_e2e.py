#!/usr/bin/env python3
"""End-to-end tests of the real tintrix program under Xvfb with openbox.

    run_e2e.py TINTRIX TINTRIX_FADE [SCENARIO ...] [--keep]

SCENARIO is one of: main, configuration, long (default: all). Every scenario gets its own X
display, window manager and fresh home folder. The expected markup comes from tintrix-fade
with --defaults: on a fresh home the window's fade is the default fade.

Exit status: 0 when every scenario passed, 1 when one failed, 77 when Xvfb is missing.
On a failure the scenario's folder (logs, a screenshot of the screen) is kept and named.
"""

import configparser
import os
import signal
import subprocess
import sys
import tempfile
import time

# The helpers sit next to this script; no bytecode cache is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from x11session import E2eError, X11Session, missing_tools, poll  # noqa: E402

SKIP = 77
STARTUP_TIMEOUT = 30.0  # seconds; generous for a loaded machine
TOOLS = ["openbox", "xdotool", "xclip", "xwininfo", "xprop", "xev", "import"]

MAIN_TITLE = r"^Tintrix 1\.0$"
WINDOW_SIZE = (270, 70)
# Places in the main window's client area.
TEXT1 = (135, 50)  # the entry field, 11..259 x 40..60
OPTIONS = (25, 29)  # the painted word "Options", 8..48 x 24..34
HELP = (62, 28)  # the painted word "Help", 48..80 x 21..35
# Places in the configuration dialog's client area: a few pixels into each control.
CHECK3 = (72 + 6, 32 + 6)  # "Italic", 1080,480 twips
OPTION2 = (88 + 7, 160 + 6)  # "3 Colors", 1320,2400 twips
CONFIG_SIZE = (170, 223)  # 2550 x 3345 twips

# Keys that reach each command once a menu is open (separators are skipped).
MAKE_HTML = ["Down", "Return"]
COPY_TO_CLIPBOARD = ["Down", "Down", "Return"]
RANDOM_SUBMENU = ["Down"] * 6 + ["Right"]
CONFIGURE = ["Up", "Up", "Up", "Return"]
EXIT = ["Up", "Return"]
ABOUT = ["Down", "Return"]
SAVE_FADE = ["Down"] * 4 + ["Return"]
FADE_INFO = ["Down"] * 5 + ["Return"]
# Openbox shows an icon and three buttons (about 90 px) beside a title such as "Tintrix 1.0".
MIN_TITLED_BOX_WIDTH = 170

MAX_RANDOM_COLOR = 16777212
DEFAULT_COLORS = {"Color1": "0", "Color2": "16711680", "Color3": "12615808"}


def log(message):
    print(f"[e2e] {message}", flush=True)


def expect(condition, message):
    if not condition:
        raise E2eError(message)


class Program:
    """The running tintrix with its main window."""

    def __init__(self, session, tintrix, fade_tool):
        self.session = session
        self.fade_tool = fade_tool
        started = time.monotonic()
        self.process = session.start([tintrix], "tintrix.log")

        def shown():
            self.ensure_running()
            ids = session.visible_windows(MAIN_TITLE)
            return ids[0] if ids else None

        try:
            self.window = poll("the main window to be shown", shown, timeout=STARTUP_TIMEOUT)
        except E2eError as error:
            raise E2eError(f"{error}; tintrix is running, {self._state()}") from None
        log(f"main window {self.window} is shown after {time.monotonic() - started:.2f} s")

    def _state(self):
        """What the kernel says the process is doing, for a diagnosis."""
        try:
            with open(f"/proc/{self.process.pid}/status") as f:
                state = next((line.split(":", 1)[1].strip() for line in f if line.startswith("State:")), "?")
            with open(f"/proc/{self.process.pid}/wchan") as f:
                wchan = f.read().strip() or "-"
            return f"state {state}, waiting in {wchan}"
        except OSError as error:
            return f"state unknown ({error})"

    def ensure_running(self):
        if self.process.poll() is not None:
            raise E2eError(
                f"tintrix ended early with status {self.process.returncode}:\n"
                + self.session.log("tintrix.log")
            )

    def type_into_text1(self, text):
        self.ensure_running()
        self.session.click(self.window, *TEXT1)
        self.session.keys("ctrl+a")
        self.session.type_text(text)

    def open_menu(self, spot, what):
        """Presses on a painted menu word and returns the popup's window id."""
        known = set(self.session.visible_windows())
        self.session.press(self.window, *spot)
        return self.session.wait_for_new_window(known, f"the {what} menu to open")

    def choose(self, spot, what, keys):
        """Opens a menu and presses `keys` in it; waits until the menu is gone."""
        menu = self.open_menu(spot, what)
        self.session.keys(*keys)
        self.session.wait_gone(menu, f"the {what} menu to close")

    def command(self, keys, what):
        self.choose(OPTIONS, "Options", keys)
        log(f"chose {what}")

    def make_html(self, text):
        """Runs Make HTML File on `text`, answers its message and returns the file's bytes."""
        output = os.path.join(self.session.home, "output.htm")
        if os.path.exists(output):
            os.remove(output)
        self.type_into_text1(text)
        known = set(self.session.visible_windows())
        self.command(MAKE_HTML, "Make HTML File")
        box = self.session.wait_for_new_window(known, "the confirmation message", MAIN_TITLE)
        expect(os.path.exists(output), "the message is shown but ~/output.htm is missing")
        self.session.activate(box)
        self.session.keys("Return")
        self.session.wait_gone(box, "the message box to close")
        with open(output, "rb") as f:
            return f.read()

    def expected_document(self, text, *options):
        """What tintrix-fade prints for `text` from the default fade changed by `options`."""
        with tempfile.TemporaryDirectory() as home:
            env = dict(self.session.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "c"))
            env["QT_QPA_PLATFORM"] = "offscreen"
            argv = [self.fade_tool, "--defaults", *options, "--", text]
            return self.session.run(argv, env=env, binary=True)

    def expected_document_of_line(self, text):
        """As expected_document, with the text as a line of standard input: one argument may
        hold no more than 128 KiB."""
        with tempfile.TemporaryDirectory() as home:
            env = dict(self.session.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "c"))
            result = subprocess.run([self.fade_tool, "--defaults"], input=text.encode() + b"\n",
                                    stdout=subprocess.PIPE, env=env, timeout=60, check=True)
            return result.stdout

    def paste_into_text1(self, text):
        """Puts `text` on the clipboard with xclip and pastes it into Text1 with Ctrl+V."""
        self.ensure_running()
        owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=self.session.env)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        try:
            self.session.click(self.window, *TEXT1)
            self.session.keys("ctrl+a", "ctrl+v")
            return owner
        except BaseException:
            owner.kill()
            raise

    def random_two_colour_fade(self):
        menu = self.open_menu(OPTIONS, "Options")
        known = set(self.session.visible_windows()) | {menu}
        self.session.keys(*RANDOM_SUBMENU)
        submenu = self.session.wait_for_new_window(known, "the Random Fades submenu to open")
        self.session.keys("Return")  # its first entry, "2 Color Fade", is selected
        self.session.wait_gone(submenu, "the Random Fades submenu to close")
        self.session.wait_gone(menu, "the Options menu to close")
        log("chose Random Fades > 2 Color Fade")

    def exit_and_wait(self):
        self.command(EXIT, "Exit")
        try:
            status = self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise E2eError("tintrix did not end within 15 s of Exit")
        expect(status == 0, f"tintrix ended with status {status}, not 0")
        log("tintrix ended with status 0")

    def stored_settings(self):
        path = os.path.join(self.session.config_home, "Tintrix", "Tintrix.conf")
        expect(os.path.exists(path), f"no settings were stored at {path}")
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str  # keys keep their case
        parser.read(path, encoding="utf-8")
        expect(parser.has_section("Fader"), f"{path} has no [Fader] group")
        return dict(parser["Fader"])


def compare(what, got, expected):
    if got != expected:
        at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), None)
        if at is None:
            at = min(len(got), len(expected))
        raise E2eError(
            f"{what} differs at byte {at} (got {len(got)} bytes, expected {len(expected)}):\n"
            f"  got:      {got[max(0, at - 40):at + 60]!r}\n"
            f"  expected: {expected[max(0, at - 40):at + 60]!r}"
        )
    log(f"{what}: {len(got)} bytes as expected")


def expect_centred(session, window, what):
    """The window, frame included, sits in the middle of the screen, to the pixel."""

    def centred():
        frame = session.frame_geometry(window)
        screen_width, screen_height = session.screen_size()
        dx = frame.x - (screen_width - frame.width) // 2
        dy = frame.y - (screen_height - frame.height) // 2
        return frame if abs(dx) <= 1 and abs(dy) <= 1 else None

    try:
        frame = poll(f"{what} to be centred", centred, timeout=5)
    except E2eError:
        frame = session.frame_geometry(window)
        width, height = session.screen_size()
        raise E2eError(f"{what} ({frame} with its frame) is not centred on the {width}x{height} "
                       f"screen: off by {frame.x - (width - frame.width) // 2}, "
                       f"{frame.y - (height - frame.height) // 2}") from None
    log(f"{what} is centred: {frame} with its frame")


def check_drags(session, program):
    """Drags with the left and the right button move the window only while the button is held,
    and a quick click on the panels moves nothing."""
    window = program.window

    def position():
        g = session.geometry(window)
        return g.x, g.y

    def settles():
        last = position()
        time.sleep(0.3)
        return last if position() == last else None

    for button in (3, 1):
        start = poll("the window to settle", settles)
        session.xdotool("mousemove", "--window", window, 150, 8, "mousedown", button)

        def dragged():
            # the window manager takes over a left-button drag only once it has grabbed the
            # pointer, so the pointer keeps moving in small steps until the window follows
            session.xdotool("mousemove_relative", "--", 10, 8)
            time.sleep(0.1)
            return position() if position() != start else None

        moved = poll(f"a button-{button} drag to move the window", dragged)
        session.xdotool("mouseup", button)
        released = poll("the window to settle after the release", settles)
        session.xdotool("mousemove_relative", "--", 40, 40)
        time.sleep(0.4)
        expect(position() == released,
               f"after a button-{button} drag was released the window still follows the pointer: "
               f"{released} -> {position()}")
        log(f"button {button} drags the window {start} -> {moved} and lets go at {released}")

    before = poll("the window to settle", settles)
    session.press(window, 150, 8)
    session.xdotool("mousemove_relative", "--", 40, 40)
    time.sleep(0.4)
    expect(position() == before, f"a quick click moved the window: {before} -> {position()}")
    log("a quick click on the title strip leaves the window where it is")


def scenario_main(session, tintrix, fade_tool):
    """Place, Make HTML File, Copy to Clipboard, a random fade, Exit, the stored fade."""
    program = Program(session, tintrix, fade_tool)

    g = session.geometry(program.window)
    screen_width, _ = session.screen_size()
    expect(
        (g.width, g.height) == WINDOW_SIZE, f"main window is {g}, not {WINDOW_SIZE[0]}x{WINDOW_SIZE[1]}"
    )
    expect(g.y == 0, f"main window's top edge is at {g.y}, not 0")
    centre_x = (screen_width - g.width) // 2
    expect(abs(g.x - centre_x) <= 1, f"main window's left edge is at {g.x}, not {centre_x}")
    log(f"main window sits at {g}, top centre of a {screen_width} px wide screen")

    text = "Fade <me> & you, 42!"
    document = program.make_html(text)
    compare("~/output.htm", document, program.expected_document(text))

    text = "Clip  board & <tags>"
    program.type_into_text1(text)
    program.command(COPY_TO_CLIPBOARD, "Copy to Clipboard")
    expected = program.expected_document(text)
    expect(expected.endswith(b"\n"), "tintrix-fade's output does not end with a line feed")
    expected = expected[:-1]

    def clipboard():
        program.ensure_running()
        try:
            out = session.run(
                ["xclip", "-o", "-selection", "clipboard"], check=False, timeout=5, binary=True
            )
        except subprocess.TimeoutExpired:
            return None
        return out if out == expected else None

    try:
        poll("the clipboard to hold the fade", clipboard, timeout=10)
    except E2eError:
        got = session.run(["xclip", "-o", "-selection", "clipboard"], check=False, binary=True)
        compare("the clipboard", got, expected)
    log(f"the clipboard holds the fade: {len(expected)} bytes")

    program.random_two_colour_fade()

    check_drags(session, program)
    program.exit_and_wait()

    expect_random_two_colour_fade(program.stored_settings())


def expect_random_two_colour_fade(stored):
    """The stored fade is a random 2-colour fade made from the default fade."""
    expect(stored.get("NumberColors") == "2", f"NumberColors is {stored.get('NumberColors')!r}")
    for key in ("Color1", "Color2"):
        value = stored.get(key, "")
        expect(
            value.isdigit() and 0 <= int(value) <= MAX_RANDOM_COLOR,
            f"{key}={value!r} is no random colour value",
        )
    expect(
        (stored["Color1"], stored["Color2"]) != (DEFAULT_COLORS["Color1"], DEFAULT_COLORS["Color2"]),
        "the random fade left colours 1 and 2 at their defaults",
    )
    expect(stored.get("Color3") == DEFAULT_COLORS["Color3"], f"Color3 is {stored.get('Color3')!r}")
    expect(stored.get("Bold") == "1", f"Bold is {stored.get('Bold')!r}")
    log(
        f"stored: NumberColors=2, Color1={stored['Color1']}, Color2={stored['Color2']}, "
        f"Color3={stored['Color3']}, Bold=1"
    )


def scenario_configuration(session, tintrix, fade_tool):
    """Configure: tick Italic, pick 3 Colors, close; the file shows both. Then the about box."""
    program = Program(session, tintrix, fade_tool)

    known = set(session.visible_windows())
    program.command(CONFIGURE, "Configure")
    dialog = session.wait_for_new_window(known, "the configuration dialog", r"^Configuration$")

    g = session.geometry(dialog)
    expect((g.width, g.height) == CONFIG_SIZE, f"the dialog's client area is {g}, not 170x223")
    expect_centred(session, dialog, "the configuration dialog")

    session.click(dialog, *CHECK3)
    session.click(dialog, *OPTION2)
    # Alt+F4 closes the active window, which must be the dialog and not the main window.
    session.activate(dialog)
    session.keys("alt+F4")
    session.wait_gone(dialog, "the configuration dialog to close")
    log("ticked Italic, chose 3 Colors and closed the dialog")

    text = "Three colours, slanted"
    document = program.make_html(text)
    expect(b"<i>" in document and b"</i>" in document, "the file has no <i> tags")
    compare("~/output.htm", document, program.expected_document(text, "--italic", "--colors", "3"))

    known = set(session.visible_windows())
    program.choose(HELP, "Help", ABOUT)
    about = session.wait_for_new_window(known, "the about box")
    expect_centred(session, about, "the about box")
    session.activate(about)
    session.keys("Escape")
    session.wait_gone(about, "the about box to close on Esc")
    log("the about box opened centred and closed on Esc")

    check_save_and_fade_info(session, program)

    program.exit_and_wait()
    stored = program.stored_settings()
    expect(stored.get("Italic") == "1", f"Italic is {stored.get('Italic')!r}, not 1")
    expect(stored.get("NumberColors") == "3", f"NumberColors is {stored.get('NumberColors')!r}")
    log("stored: Italic=1, NumberColors=3")


def check_save_and_fade_info(session, program):
    """Save Fade through the real prompt and file dialog, then Fade Info, whose short message
    still leaves its box room for the title."""
    known = set(session.visible_windows())
    program.command(SAVE_FADE, "Save Fade")
    prompt = session.wait_for_new_window(known, "the name prompt", MAIN_TITLE)
    session.activate(prompt)
    session.type_text("Sunset")
    known = set(session.visible_windows())
    session.keys("Return")
    session.wait_gone(prompt, "the name prompt to close")
    dialog = session.wait_for_new_window(known, "the save dialog")
    path = os.path.join(session.home, "sunset.fad")
    session.activate(dialog)
    session.type_text(path)
    session.keys("Return")
    session.wait_gone(dialog, "the save dialog to close")
    # The dialog is gone before the program has written the file.
    poll(f"Save Fade to write {path}", lambda: os.path.exists(path))
    with open(path, "rb") as f:
        expect(f.read().startswith(b"[Main]\r\nFadeName=Sunset\r\n"), f"{path} holds no fade")
    log(f"saved the fade as {path}")

    known = set(session.visible_windows())
    program.command(FADE_INFO, "Fade Info")
    box = session.wait_for_new_window(known, "the Fade Info message", MAIN_TITLE)
    width = session.geometry(box).width
    expect(width >= MIN_TITLED_BOX_WIDTH,
           f"the Fade Info box is {width} px wide, too narrow for its title")
    session.activate(box)
    session.keys("Return")
    session.wait_gone(box, "the Fade Info message to close")
    log(f"Fade Info showed its box {width} px wide")


def scenario_long(session, tintrix, fade_tool):
    """A million characters pasted through the real clipboard: Make HTML File writes what
    tintrix-fade gives for the same text, cut nowhere, not even inside a character."""
    program = Program(session, tintrix, fade_tool)
    # Skin-toned emoji and ASCII: a cut at Qt's old limit of 32,767 would fall inside one.
    unit = "Fade me \U0001F44D\U0001F3FD ok "
    text = (unit * (1_000_000 // len(unit) + 1))[:1_000_000]
    owner = program.paste_into_text1(text)
    try:
        output = os.path.join(session.home, "output.htm")
        known = set(session.visible_windows())
        started = time.monotonic()
        program.command(MAKE_HTML, "Make HTML File")
        box = session.wait_for_new_window(known, "the confirmation message", MAIN_TITLE)
        log(f"{len(text)} pasted characters faded into ~/output.htm in "
            f"{time.monotonic() - started:.2f} s (to the message)")
        with open(output, "rb") as f:
            document = f.read()
        compare("~/output.htm", document, program.expected_document_of_line(text))
        session.activate(box)
        session.keys("Return")
        session.wait_gone(box, "the message box to close")
    finally:
        owner.kill()
    program.exit_and_wait()


SCENARIOS = {"main": scenario_main, "configuration": scenario_configuration,
             "long": scenario_long}


def run_main(argv, doc, scenario, tools=()):
    """The main of an end-to-end script of its own: `argv` is TINTRIX TINTRIX_FADE [--keep];
    `scenario(tintrix, fade_tool, keep)` runs in X sessions it starts. Returns the exit status:
    0 passed, 1 failed, 2 a usage error, 77 when Xvfb is missing."""
    args = [a for a in argv if a != "--keep"]
    keep = len(args) != len(argv)
    if len(args) != 2:
        print(doc, file=sys.stderr)
        return 2
    tintrix, fade_tool = (os.path.abspath(a) for a in args)
    if missing_tools(["Xvfb"]):
        print("SKIPPED: Xvfb is not installed; the end-to-end tests need it", flush=True)
        return SKIP
    missing = missing_tools(TOOLS + list(tools))
    if missing:
        print(f"FAILED: the end-to-end tests need {', '.join(missing)}", flush=True)
        return 1
    # CTest ends a test that overruns with SIGTERM; the sessions still take down what they
    # started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    try:
        scenario(tintrix, fade_tool, keep)
    except E2eError as error:
        log(f"FAILED: {error}")
        return 1
    log("passed")
    return 0


def main(argv):
    args = [a for a in argv if a != "--keep"]
    keep = len(args) != len(argv)
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tintrix, fade_tool, *names = args
    names = names or list(SCENARIOS)
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        print(f"unknown scenario {unknown[0]}; known: {', '.join(SCENARIOS)}", file=sys.stderr)
        return 2

    if missing_tools(["Xvfb"]):
        print("SKIPPED: Xvfb is not installed; the end-to-end tests need it", flush=True)
        return SKIP
    missing = missing_tools(TOOLS)
    if missing:
        print(f"FAILED: the end-to-end tests need {', '.join(missing)}", flush=True)
        return 1

    # CTest ends a test that overruns with SIGTERM or SIGKILL; turn the first into an
    # exception, so the session still takes everything it started down with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))

    failed = []
    for name in names:
        started = time.monotonic()
        log(f"scenario {name}")
        try:
            with X11Session(keep=keep, name=f"tintrix-e2e-{name}") as session:
                log(f"display :{session.display}, home {session.home}")
                SCENARIOS[name](session, os.path.abspath(tintrix), os.path.abspath(fade_tool))
        except E2eError as error:
            failed.append(name)
            log(f"FAILED {name}: {error}")
            continue
        log(f"passed {name} in {time.monotonic() - started:.1f} s")
    if failed:
        log(f"failed: {', '.join(failed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
