#!/usr/bin/env python3
"""End-to-end test of the entry field's preview: the real tintrix under Xvfb paints each
character of a known fade in the colour Make HTML File gives it, and paints anew after a random
fade and after SET in the configuration dialog.

    run_preview.py TINTRIX TINTRIX_FADE [--keep]

The field's pixels are read from a screenshot of the window; the expected colours come from
tintrix-fade, which starts from the same stored fade. Exit status: 0 passed, 1 failed, 77 when
Xvfb is missing.
"""

import collections
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from run_e2e import CONFIGURE, Program, expect, log, run_main  # noqa: E402
from x11session import X11Session  # noqa: E402

TEXT = "IIIIIIIIIIII"
FIELD = (11, 40, 248, 21)  # the entry field in the window's client area: x, y, width, height
SET_BUTTON = (136, 16)  # "SET" in the configuration dialog
TOLERANCE = 48  # per channel, for anti-aliasing and the field's subpixel placement
INK = 24  # per channel from the field's colour, where a glyph's pixels start


def field_pixels(session, program, name):
    """The field's pixels as rows of (r, g, b), from a screenshot of the window."""
    path = os.path.join(session.workdir, name)
    session.screenshot_window(program.window, path)
    x, y, width, height = FIELD
    raw = subprocess.run(["convert", path, "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                          "-depth", "8", "rgb:-"], stdout=subprocess.PIPE, check=True).stdout
    expect(len(raw) == width * height * 3, f"the screenshot gave {len(raw)} bytes")
    return [[tuple(raw[(r * width + c) * 3:(r * width + c) * 3 + 3]) for c in range(width)]
            for r in range(height)]


def background(rows):
    """The field's own colour: the commonest pixel, as the glyphs cover little of it."""
    return collections.Counter(p for row in rows for p in row).most_common(1)[0][0]


def stands_out(pixel, ground):
    """Whether a pixel is ink on the ground: a random fade may be as pale as a light yellow,
    so ink is told by its distance from the ground, not by how dark it is."""
    return max(abs(a - b) for a, b in zip(pixel, ground)) > INK


def glyph_colours(rows):
    """The colour of each glyph: columns with ink make a glyph, and its pixel furthest from the
    ground (the one the glyph covers whole) is its colour."""
    ground = background(rows)
    distance = lambda p: max(abs(a - b) for a, b in zip(p, ground))  # noqa: E731
    glyphs, current = [], None
    for c in range(len(rows[0])):
        column = [row[c] for row in rows if stands_out(row[c], ground)]
        if column:
            fullest = max(column, key=distance)
            current = fullest if current is None else max(current, fullest, key=distance)
        elif current is not None:
            glyphs.append(current)
            current = None
    if current is not None:
        glyphs.append(current)
    return glyphs, ground


def fade_colours(session, fade_tool):
    """What Make HTML File gives each character of TEXT from the stored fade."""
    out = session.run([fade_tool, "--format", "html", "--markup-only", "--", TEXT])
    return [tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))
            for h in re.findall(r"color:#([0-9a-f]{6})", out)]


def expect_painted(session, program, fade_tool, name):
    rows = field_pixels(session, program, f"{name}.png")
    shown, ground = glyph_colours(rows)
    # A character whose colour is the field's own, near enough, shows no glyph to count.
    expected = [c for c in fade_colours(session, fade_tool) if stands_out(c, ground)]
    expect(len(shown) == len(expected),
           f"{name}: {len(shown)} glyphs in the field, not {len(expected)}")
    for k, (got, want) in enumerate(zip(shown, expected)):
        expect(all(abs(a - b) <= TOLERANCE for a, b in zip(got, want)),
               f"{name}: character {k} is painted {got}, its colour is {want}")
    log(f"{name}: each of {len(expected)} characters in its colour, {expected[0]} to "
        f"{expected[-1]}")
    return shown


def scenario(session, tintrix, fade_tool):
    folder = os.path.join(session.config_home, "Tintrix")
    os.makedirs(folder)
    with open(os.path.join(folder, "Tintrix.conf"), "w") as f:
        f.write("[Fader]\nNumberColors=2\nColor1=255\nColor2=16711680\nBold=1\nWaVy=0\n")
    program = Program(session, tintrix, fade_tool)
    program.type_into_text1(TEXT)
    # Away from the field, so that its cursor is not among the glyphs.
    session.keys("Tab")
    first = expect_painted(session, program, fade_tool, "known")
    expect(first[0][0] > first[0][2] and first[-1][2] > first[-1][0],
           "the fade does not run from red to blue")

    program.random_two_colour_fade()
    # The stored fade, which tintrix-fade reads, follows within a second.
    session.run(["sleep", "1.5"])
    second = expect_painted(session, program, fade_tool, "random")
    expect(second != first, "the field looks the same after a random fade")

    known = set(session.visible_windows())
    program.command(CONFIGURE, "Configure")
    dialog = session.wait_for_new_window(known, "the configuration dialog", r"^Configuration$")
    known = set(session.visible_windows())
    session.click(dialog, *SET_BUTTON)
    picker = session.wait_for_new_window(known, "the colour picker")
    session.keys("alt+h", "ctrl+a")
    session.type_text("#00ff00")
    session.keys("Return")
    session.wait_gone(picker, "the colour picker to close")
    session.run(["sleep", "1.5"])
    third = expect_painted(session, program, fade_tool, "set")
    expect(third[0][1] > third[0][0] and third[0][1] > third[0][2],
           f"the first character is {third[0]}, not green, after SET")


def run(tintrix, fade_tool, keep):
    with X11Session(keep=keep, name="tintrix-e2e-preview") as session:
        scenario(session, tintrix, fade_tool)


if __name__ == "__main__":
    sys.exit(run_main(sys.argv[1:], __doc__, run, tools=["convert"]))
