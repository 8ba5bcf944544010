#!/usr/bin/env python3
"""Two builds of the companion on the same random runs: every format and option, texts as an
argument and as standard input (a pipe, or a file), short and long lines (now and then one past
the size a file's reader holds whole), every kind of character, bytes that are no UTF-8. Each run's standard output, standard error, exit status and output file must be the
same byte for byte. A speed change must pass this against the build before it.

    bench/same_output.py OLD/tintrix-fade NEW/tintrix-fade [--runs 3000] [--seed 29]
        [--portable]

With --portable the new build runs with TINTRIX_NO_AVX2=1, on its portable paths; with
--motion the runs take the motion's options too (--phase, --frames, --moving), for two builds
that both have them.
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

FORMATS = ["classic", "html", "bbcode", "ansi", "minecraft", "minimessage", "json",
           "minecraft-x", "minecraft-section"]
# Pieces of text the cut and the escapes must get right.
PIECES = ["a", "b", "Hello", " ", "  ", "\t", "fade", "The quick brown fox. ", "é", "e\u0301",
          "ü", "Привет", "東京", "\U0001F389", "\U0001F44D\U0001F3FD", "\U0001F1E9\U0001F1EA",
          "\U0001F469\u200D\U0001F4BB", "\u0915\u094D\u0937", "&", "§", "&l", "[", "]", "<",
          ">", "\"", "'", "\\", "\x1b", "\x7f", "\u0085", "\r", "\u00A0", "\u3000", "0", "#"]
ASCII = "".join(chr(c) for c in range(0x20, 0x7F))
BAD_BYTES = [b"\xff", b"\xc3", b"\xe2\x82", b"\x80", b"\xf0\x9f", b"\xed\xa0\x80"]


def random_text(rng, longest):
    size = rng.choice([0, 1, 2, 3, 5, 9, 17, 40, 80, 120, 300, longest])
    parts = []
    made = 0
    while made < min(size, 600):
        if rng.random() < 0.03:
            parts.append(rng.choice(BAD_BYTES))
        else:
            parts.append(rng.choice(PIECES).encode())
        made += len(parts[-1])
    text = b"".join(parts)
    # A long text repeats a short one, which keeps the inputs quick to make.
    return (text * (size // max(len(text), 1) + 1))[:size] if size > made else text


def random_color(rng):
    value = rng.randrange(1 << 24)
    if rng.random() < 0.5:
        return f"#{value:06X}"
    return str(value)


def random_run(rng, motion):
    """The arguments and standard input."""
    args = ["--defaults"]
    count = rng.choice([2, 2, 3, 4, 5, 5, 10, 7, 32])
    args += ["--colors", str(count)]
    for k in range(1, count + 1):
        if count > 10 or rng.random() < 0.7:
            args += ["--color", f"{k}={random_color(rng)}"]
    for style in ["wavy", "bold", "italic", "underline"]:
        choice = rng.random()
        if choice < 0.35:
            args.append(f"--{style}")
        elif choice < 0.6:
            args.append(f"--no-{style}")
    args += ["--seed", str(rng.randrange(1000))]
    if rng.random() < 0.3:
        args += ["--font", rng.choice(["Arial", "", "Comic Sans", "a\"b<c>", "x]y", "it's"])]
    if rng.random() < 0.5:
        args.append("--markup-only")
    args += ["--format", rng.choice(FORMATS)]
    if rng.random() < 0.3:
        args += ["--blend", rng.choice(["rgb", "oklab", "oklch", "hsv"])]
    if rng.random() < 0.25:
        args.append("--merge")
    if rng.random() < 0.2:
        args.append("--skip-blanks")
    if rng.random() < 0.15:
        args += ["--max-length", str(rng.choice([0, 10, 64, 200, 1000, 100000]))]
    if rng.random() < 0.2:
        args.append("--stats")
    if rng.random() < 0.1:
        args.append(rng.choice(["--block", "--block=lines", "--block=diagonal"]))
    if motion and rng.random() < 0.3:
        choice = rng.random()
        if choice < 0.4:
            args += ["--phase", rng.choice(["0.25", "-0.5", "0.999", "0"])]
        elif choice < 0.8:
            args += ["--frames", str(rng.choice([1, 2, 3, 7]))]
        else:
            args += ["--format", "html", "--moving", rng.choice(["0.1", "2", "3600"])]
    output = rng.random() < 0.1
    if output:
        args += ["-o", "out.txt"]
    longest = rng.choice([1000, 5000, 70000])
    if rng.random() < 0.3:
        return args + ["--", random_text(rng, longest).decode("utf-8", "surrogateescape")], b""
    if rng.random() < 0.3:
        # Many lines of a few lengths in printable ASCII: the same length again and again,
        # mostly of bytes every format writes as they are.
        lengths = rng.sample([0, 1, 2, 7, 80, 255, 256, 257], 3)
        alphabet = ASCII if rng.random() < 0.5 else "abc xyz.,!?-"
        lines = ["".join(rng.choice(alphabet) for _ in range(rng.choice(lengths))).encode()
                 for _ in range(rng.choice([3, 20, 200]))]
    else:
        lines = [random_text(rng, longest if n < 3 else 300)
                 for n in range(rng.choice([0, 1, 2, 5, 50, 400]))]
    if rng.random() < 0.02:
        # A line past the companion's long-line size (1 MiB), which a file's reader does not
        # hold whole; mostly ASCII, as it must be for that.
        piece = (random_text(rng, 300) if rng.random() < 0.2 else b"") or rng.choice(ASCII).encode()
        size = (9 << 19) + rng.randrange(99)
        lines.insert(rng.randrange(len(lines) + 1), (piece * (size // len(piece) + 1))[:size])
    ending = rng.choice([b"\n", b"\r\n"])
    data = ending.join(lines) + (ending if rng.random() < 0.7 else b"")
    return args, data


def run(program, args, data, folder, env=None, from_file=False):
    """Standard input from a pipe, or (from_file) from a file, as `< file` gives it."""
    environment = {**os.environ, "HOME": folder, "XDG_CONFIG_HOME": folder, **(env or {})}
    if from_file:
        path = os.path.join(folder, "in.txt")
        with open(path, "wb") as f:
            f.write(data)
        with open(path, "rb") as stdin:
            done = subprocess.run([program, *args], stdin=stdin, capture_output=True, cwd=folder,
                                  env=environment, timeout=120)
        os.remove(path)
    else:
        done = subprocess.run([program, *args], input=data, capture_output=True, cwd=folder,
                              env=environment, timeout=120)
    path = os.path.join(folder, "out.txt")
    written = None
    if os.path.exists(path):
        with open(path, "rb") as f:
            written = f.read()
        os.remove(path)
    return done.returncode, done.stdout, done.stderr, written


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--runs", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=29)
    parser.add_argument("--portable", action="store_true")
    parser.add_argument("--motion", action="store_true")
    args = parser.parse_args()
    args.old, args.new = os.path.abspath(args.old), os.path.abspath(args.new)
    rng = random.Random(args.seed)
    failures = 0
    with tempfile.TemporaryDirectory() as old_dir, tempfile.TemporaryDirectory() as new_dir:
        for n in range(args.runs):
            argv, data = random_run(rng, args.motion)
            argv = [a.encode("utf-8", "surrogateescape") for a in argv]
            from_file = rng.random() < 0.5
            old = run(args.old, argv, data, old_dir, from_file=from_file)
            new = run(args.new, argv, data, new_dir,
                      {"TINTRIX_NO_AVX2": "1"} if args.portable else None, from_file)
            if old != new:
                failures += 1
                print(f"run {n} differs: {argv[:40]!r} with {len(data)} bytes of input",
                      file=sys.stderr)
                for name, a, b in zip(["status", "stdout", "stderr", "file"], old, new):
                    if a != b:
                        print(f"  {name}: {a!r:.200} against {b!r:.200}", file=sys.stderr)
    print(f"same_output: {args.runs - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
