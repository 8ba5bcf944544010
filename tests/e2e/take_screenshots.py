#!/usr/bin/env python3
"""Takes the screenshots in docs/ from the real program under Xvfb with openbox.

    take_screenshots.py TINTRIX [OUTPUT_FOLDER]      (default: docs/ of this checkout)

Writes window-100.png and window-200.png (the main window at scale 1 and 2),
configuration.png (the configuration dialog) and about.png (the about box), each cropped to
the window's client area, from a fresh home folder, so they show the default fade.
"""

import os
import sys

# The helpers sit next to this script; no bytecode cache is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from run_e2e import ABOUT, CONFIGURE, HELP, Program  # noqa: E402
from x11session import X11Session, missing_tools  # noqa: E402


def park_pointer(session):
    """Moves the pointer to a corner, so that nothing shows a hover highlight."""
    width, height = session.screen_size()
    session.xdotool("mousemove", width - 1, height - 1)


def shoot(session, window, folder, name):
    path = os.path.join(folder, name)
    session.screenshot_window(window, path)
    print(f"wrote {path}", flush=True)


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    tintrix = os.path.abspath(argv[0])
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "docs"))
    missing = missing_tools(["Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xev", "import"])
    if missing:
        print(f"needs {', '.join(missing)}", file=sys.stderr)
        return 1
    os.makedirs(folder, exist_ok=True)

    with X11Session(name="tintrix-shots") as session:
        program = Program(session, tintrix, fade_tool=None)
        park_pointer(session)
        shoot(session, program.window, folder, "window-100.png")

        known = set(session.visible_windows())
        program.command(CONFIGURE, "Configure")
        dialog = session.wait_for_new_window(known, "the configuration dialog", r"^Configuration$")
        park_pointer(session)
        shoot(session, dialog, folder, "configuration.png")

        known = set(session.visible_windows())
        program.choose(HELP, "Help", ABOUT)
        about = session.wait_for_new_window(known, "the about box")
        park_pointer(session)
        shoot(session, about, folder, "about.png")

    with X11Session(name="tintrix-shots-200") as session:
        session.env["QT_SCALE_FACTOR"] = "2"
        program = Program(session, tintrix, fade_tool=None)
        park_pointer(session)
        shoot(session, program.window, folder, "window-200.png")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
