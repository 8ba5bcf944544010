#!/usr/bin/env python3
"""End-to-end tests of how the real tintrix keeps its fade when the session ends it.

    run_sessionend.py TINTRIX TINTRIX_FADE [--keep]

A random fade is made in the window, then the program is ended without its close mark or
Exit: SIGTERM (a logout or shutdown), SIGHUP, SIGINT, SIGKILL a little over a second later,
and the X server going away. Each time the settings file must hold the new fade. A fade left
as it was is not written again. Exit status: 0 passed, 1 failed, 77 when Xvfb is missing.
"""

import os
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from run_e2e import Program, expect, expect_random_two_colour_fade, log, run_main  # noqa: E402
from x11session import E2eError, X11Session  # noqa: E402

# Stored within a second of a change; a little more for a loaded machine.
STORED_WITHIN = 1.5


def ended(program, status):
    try:
        code = program.process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise E2eError("tintrix did not end within 15 s") from None
    expect(code == status, f"tintrix ended with status {code}, not {status}")


def settings_path(session):
    return os.path.join(session.config_home, "Tintrix", "Tintrix.conf")


def end_by_signal(session, tintrix, fade_tool, number):
    if os.path.exists(settings_path(session)):
        os.remove(settings_path(session))
    program = Program(session, tintrix, fade_tool)
    program.random_two_colour_fade()
    wait = STORED_WITHIN if number == signal.SIGKILL else 0
    time.sleep(wait)
    program.process.send_signal(number)
    # A signal asking the program to end closes it as its close mark does.
    ended(program, -signal.SIGKILL if number == signal.SIGKILL else 0)
    log(f"{signal.Signals(number).name} after {wait} s")
    expect_random_two_colour_fade(program.stored_settings())


def unchanged_is_not_rewritten(session, tintrix, fade_tool):
    path = settings_path(session)
    long_ago = 1_000_000_000
    os.utime(path, (long_ago, long_ago))
    program = Program(session, tintrix, fade_tool)
    program.make_html("a fade unchanged")
    time.sleep(STORED_WITHIN)
    program.process.kill()
    ended(program, -signal.SIGKILL)
    expect(os.stat(path).st_mtime == long_ago, "the unchanged fade was written again")
    log("an unchanged fade is not written again")


def display_lost(tintrix, fade_tool, keep):
    with X11Session(keep=keep, name="tintrix-e2e-display") as session:
        program = Program(session, tintrix, fade_tool)
        program.random_two_colour_fade()
        session.stop_display()
        # Qt ends the program with status 1 when its display is gone.
        ended(program, 1)
        log("the X server went away at once after the change")
        expect_random_two_colour_fade(program.stored_settings())


def run(tintrix, fade_tool, keep):
    with X11Session(keep=keep, name="tintrix-e2e-sessionend") as session:
        for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGKILL):
            end_by_signal(session, tintrix, fade_tool, number)
        unchanged_is_not_rewritten(session, tintrix, fade_tool)
    display_lost(tintrix, fade_tool, keep)


if __name__ == "__main__":
    sys.exit(run_main(sys.argv[1:], __doc__, run))
