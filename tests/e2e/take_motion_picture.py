#!/usr/bin/env python3
"""Takes docs/motion.gif: tintrix-fade --animate's fade going round in xterm under Xvfb.

    take_motion_picture.py TINTRIX_FADE [OUTPUT_FOLDER]   (default: docs/ of this checkout)

--animate draws, 20 times a second, the frames of --frames 2n --format ansi, each after a
carriage return. A screenshot takes longer than a frame stays, so the terminal here draws
those same frames the same way one at a time, each held until its screenshot is taken, and the
pictures become an animated GIF at --animate's pace.
"""

import os
import shlex
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from x11session import X11Session, missing_tools, poll  # noqa: E402

TEXT = "Fades that move"
COLORS = ["--color", "1=#FF4040", "--color", "2=#FFD040", "--color", "3=#40D0FF",
          "--color", "4=#C060FF", "--color", "5=#FF4040"]
FADE = ["--defaults", "--colors", "5", *COLORS]
# The command as the terminal shows it, over three lines.
SHOWN = [
    "$ tintrix-fade --defaults --colors 5 " + " ".join(COLORS[:4]) + " \\",
    ">   " + " ".join(COLORS[4:]) + " \\",
    ">   --animate " + shlex.quote(TEXT),
]


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    fade_tool = os.path.abspath(argv[0])
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "docs"))
    missing = missing_tools(["Xvfb", "openbox", "xdotool", "import", "convert", "xterm"])
    if missing:
        print(f"needs {', '.join(missing)}", file=sys.stderr)
        return 1
    frames = subprocess.run(
        [fade_tool, *FADE, "--format", "ansi", "--frames", str(2 * len(TEXT)), "--", TEXT],
        check=True, capture_output=True).stdout.decode().splitlines()
    with tempfile.TemporaryDirectory(prefix="tintrix-motion-") as work:
        listing = os.path.join(work, "frames")
        with open(listing, "w", encoding="utf-8") as out:
            out.write("\n".join(frames) + "\n")
        # Each frame after a carriage return, the cursor hidden, as --animate draws them. The
        # terminal marks each frame drawn (drawn.K) and goes on once it may (next.K).
        marks = shlex.quote(work)
        script = (
            f"printf '%s\\n' {' '.join(map(shlex.quote, SHOWN))}; printf '\\033[?25l'; k=0; "
            f"while IFS= read -r frame; do printf '\\r%s' \"$frame\"; : > {marks}/drawn.$k; "
            f"while [ ! -e {marks}/next.$k ]; do sleep 0.05; done; k=$((k + 1)); "
            f"done < {shlex.quote(listing)}; exec sleep 60"
        )
        with X11Session(name="tintrix-motion") as session:
            session.start(
                ["xterm", "-class", "tintrix", "-T", "motion", "-geometry", "76x5", "-fa",
                 "DejaVu Sans Mono", "-fs", "14", "-bg", "#101018", "-fg", "#D0D0D0",
                 "-xrm", "XTerm*cursorBlink: false", "-e", "sh", "-c", script],
                "xterm",
            )
            window = poll("the terminal",
                          lambda: (session.visible_windows(r"^motion$") or [None])[0])
            pictures = []
            for k in range(len(frames)):
                poll(f"frame {k}", lambda k=k: os.path.exists(os.path.join(work, f"drawn.{k}")))
                # The terminal needs a moment to show what it was sent.
                session.run(["sleep", "0.2"])
                pictures.append(os.path.join(work, f"frame{k:03}.png"))
                session.screenshot_window(window, pictures[-1])
                open(os.path.join(work, f"next.{k}"), "w", encoding="utf-8").close()
        path = os.path.join(folder, "motion.gif")
        # 5 hundredths of a second a frame: --animate's 20 frames a second.
        subprocess.run(["convert", "-delay", "5", "-loop", "0", *pictures, "-layers", "Optimize",
                        path], check=True)
        print(f"wrote {path}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
