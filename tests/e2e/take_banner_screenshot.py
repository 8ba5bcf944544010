#!/usr/bin/env python3
"""Takes docs/banner.png: a figlet banner faded with --block --format ansi, in xterm under Xvfb.

    take_banner_screenshot.py TINTRIX_FADE [OUTPUT_FOLDER]   (default: docs/ of this checkout)

The terminal shows the command and what it printed, as a user would see it.
"""

import os
import shlex
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from x11session import X11Session, missing_tools, poll  # noqa: E402

COLORS = ["--color", "1=#FF4040", "--color", "2=#FFD040", "--color", "3=#40D0FF",
          "--color", "4=#C060FF"]
FADE = ["--defaults", "--block", "--format", "ansi", "--colors", "4", *COLORS]
# The command as the terminal shows it, over two lines.
SHOWN = [
    "$ figlet Tintrix | tintrix-fade --defaults --block --format ansi --colors 4 \\",
    ">   " + " ".join(COLORS),
]


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    fade_tool = os.path.abspath(argv[0])
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "docs"))
    missing = missing_tools(["Xvfb", "openbox", "xdotool", "import", "xterm", "figlet"])
    if missing:
        print(f"needs {', '.join(missing)}", file=sys.stderr)
        return 1
    script = (
        f"printf '%s\\n' {' '.join(map(shlex.quote, SHOWN))}; "
        f"figlet Tintrix | {shlex.quote(fade_tool)} {' '.join(map(shlex.quote, FADE))}; "
        "printf '$ '; exec sleep 60"
    )
    with X11Session(name="tintrix-banner") as session:
        session.start(
            ["xterm", "-class", "tintrix", "-T", "banner", "-geometry", "80x10", "-fa",
             "DejaVu Sans Mono", "-fs", "12", "-bg", "#101018", "-fg", "#D0D0D0",
             "-xrm", "XTerm*cursorBlink: false", "-e", "sh", "-c", script],
            "xterm",
        )
        window = poll("the terminal", lambda: (session.visible_windows(r"^banner$") or [None])[0])
        # figlet and the fade take milliseconds; the terminal needs a moment to draw them.
        session.run(["sleep", "1"])
        path = os.path.join(folder, "banner.png")
        session.screenshot_window(window, path)
        print(f"wrote {path}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
