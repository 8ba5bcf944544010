#!/usr/bin/env python3
"""The companion as a whole process against what the machine allows (bench/limit.cpp).

Fades 100 M characters with `--defaults --markup-only` in every format, as 80-character lines
and as one line, to /dev/null; the limit program reads the same input and writes as many
bytes. Each pair runs in turn, median of 3, and the table gives the medians and their ratio,
and for the one line the page faults and peak memory of both. Rows after the formats: the
wave and mixed Unicode, each against plain ASCII in classic, on lines and on one line.

    bench/companion_limit.py build/bench/tintrix-fade build/bench/tintrix_limit [--chars N]
        [--before OTHER/tintrix-fade]

With --before, another build of the companion runs in turn with the two, and its ratios to
the limit follow each of the first's: a change measured in one run.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

FORMATS = ["classic", "html", "bbcode", "ansi", "minecraft", "minimessage", "json",
           "minecraft-x", "minecraft-section"]
ASCII = "The quick brown fox jumps over the lazy dog. "
# Several scripts, a combining accent (i + U+0308 is one character) and an emoji.
MIXED = ("Grüße aus Köln, café crème, Привет мир, 東京の夜, nai\u0308ve fade "
         "\U0001F389 plain words to go between them. ")


def characters(text):
    """The characters of `text` as the fade counts them, for the texts above."""
    out = []
    for c in text:
        if c == "\u0308" and out:
            out[-1] += c
        else:
            out.append(c)
    return out


def write_lines(path, pattern, chars, width):
    """chars // width lines of `width` characters of the pattern, written a block at a time:
    this process stays small, as a child's peak memory counts this one's (fork and exec)."""
    cut = characters(pattern)
    line_count = chars // width
    lines = []
    at = 0
    for _ in range(min(line_count, 1000)):
        lines.append("".join(cut[(at + k) % len(cut)] for k in range(width)) + "\n")
        at += width
    block = "".join(lines)
    with open(path, "w", encoding="utf-8") as f:
        for _ in range(line_count // len(lines)):
            f.write(block)
        f.write("".join(lines[: line_count % len(lines)]))


def write_one_line(path, pattern, chars):
    """One line of `chars` characters of the pattern, 64 Ki or so at a time: this process
    stays small, as for write_lines."""
    cut = characters(pattern)
    repeats = 65_536 // len(cut) + 1
    block = pattern * repeats
    full, rest = divmod(chars, repeats * len(cut))
    with open(path, "w", encoding="utf-8") as f:
        for _ in range(full):
            f.write(block)
        f.write(pattern * (rest // len(cut)) + "".join(cut[: rest % len(cut)]) + "\n")


def run(command, stdin_path):
    """Runs the command with its input from the file and its output to /dev/null: wall
    seconds, minor page faults and peak memory in bytes."""
    with open(stdin_path, "rb") as stdin, open(os.devnull, "wb") as devnull:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdin=stdin, stdout=devnull)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command} failed")
    return wall, usage.ru_minflt, usage.ru_maxrss * 1024


def document_bytes(fade, options, stdin_path, documents):
    """The bytes of the documents, their line feeds included, from --stats."""
    with open(stdin_path, "rb") as stdin:
        done = subprocess.run([fade, *options, "--stats"], stdin=stdin,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    found = re.search(rb"(\d+) bytes", done.stderr)
    return int(found.group(1)) + documents


def compare(fade, limit, options, stdin_path, documents, runs, before=None):
    size = document_bytes(fade, options, stdin_path, documents)
    ours, theirs, old = [], [], []
    for _ in range(runs):
        ours.append(run([fade, *options], stdin_path))
        theirs.append(run([limit, str(size)], stdin_path))
        if before:
            old.append(run([before, *options], stdin_path))
    median = lambda rows, k: statistics.median(row[k] for row in rows) if rows else 0.0
    return {"bytes": size, "time": median(ours, 0), "limit": median(theirs, 0),
            "before": median(old, 0), "faults": median(ours, 1),
            "limit_faults": median(theirs, 1), "before_faults": median(old, 1),
            "memory": median(ours, 2), "limit_memory": median(theirs, 2),
            "before_memory": median(old, 2)}


def cells(row, with_before):
    text = f"{row['time']:.3f} | {row['limit']:.3f} | {row['time'] / row['limit']:.2f}"
    if with_before:
        text += f" | {row['before'] / row['limit']:.2f}"
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("fade", help="the companion, tintrix-fade")
    parser.add_argument("limit", help="the limit program, tintrix_limit")
    parser.add_argument("--chars", type=int, default=100_000_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--formats", default=",".join(FORMATS))
    parser.add_argument("--before", help="another build of the companion, timed in turn")
    args = parser.parse_args()
    width = 80
    base = ["--defaults", "--markup-only"]
    with tempfile.TemporaryDirectory() as folder:
        inputs = {name: os.path.join(folder, name.replace(" ", "-") + ".txt")
                  for name in ["lines", "one line", "mixed lines", "mixed one line"]}
        write_lines(inputs["lines"], ASCII, args.chars, width)
        write_one_line(inputs["one line"], ASCII, args.chars)
        write_lines(inputs["mixed lines"], MIXED, args.chars, width)
        write_one_line(inputs["mixed one line"], MIXED, args.chars)
        line_count = args.chars // width
        print(f"{args.chars:,} characters, median of {args.runs}; seconds, and the ratio to "
              "the limit\n")
        before = args.before
        extra = " before |" if before else ""
        print(f"| format | lines | limit | ratio |{extra} one line | limit | ratio |{extra}")
        print("|---" * (7 + 2 * bool(before)) + "|")
        one = plain = None
        for fmt in args.formats.split(","):
            options = base + ["--format", fmt]
            lines = compare(args.fade, args.limit, options, inputs["lines"], line_count,
                            args.runs, before)
            single = compare(args.fade, args.limit, options, inputs["one line"], 1, args.runs,
                             before)
            if fmt == "classic":
                one, plain = single, lines
            print(f"| {fmt} | {cells(lines, before)} | {cells(single, before)} |", flush=True)
        if one is None:
            return
        line_mb = (args.chars + 1) / 1e6
        print(f"\nOne line in classic: {one['faults']:,.0f} page faults (the limit "
              f"{one['limit_faults']:,.0f}, ratio {one['faults'] / one['limit_faults']:.2f}); "
              f"peak memory {one['memory'] / 1e6:.1f} MB, the line's {line_mb:.1f} MB "
              f"+ {(one['memory'] / 1e6 - line_mb):.1f} MB")
        if before:
            print(f"Before: {one['before_faults']:,.0f} page faults "
                  f"(ratio {one['before_faults'] / one['limit_faults']:.2f}); peak memory "
                  f"{one['before_memory'] / 1e6:.1f} MB")
        wavy = compare(args.fade, args.limit, base + ["--wavy", "--seed", "1"], inputs["lines"],
                       line_count, args.runs, before)
        mixed = compare(args.fade, args.limit, base, inputs["mixed lines"], line_count,
                        args.runs, before)
        print(f"Classic on lines: the wave {wavy['time']:.3f} s, "
              f"{wavy['time'] / plain['time']:.2f}x plain ({plain['time']:.3f} s); "
              f"mixed Unicode {mixed['time']:.3f} s, {mixed['time'] / plain['time']:.2f}x ASCII")
        if before:
            print(f"Before: the wave {wavy['before'] / plain['before']:.2f}x plain; "
                  f"mixed Unicode {mixed['before'] / plain['before']:.2f}x ASCII")
        wavy = compare(args.fade, args.limit, base + ["--wavy", "--seed", "1"],
                       inputs["one line"], 1, args.runs, before)
        mixed = compare(args.fade, args.limit, base, inputs["mixed one line"], 1, args.runs,
                        before)
        print(f"Classic on one line: the wave {wavy['time']:.3f} s, "
              f"{wavy['time'] / one['time']:.2f}x plain ({one['time']:.3f} s); "
              f"mixed Unicode {mixed['time']:.3f} s, {mixed['time'] / one['time']:.2f}x ASCII "
              f"and {mixed['time'] / mixed['limit']:.2f}x its limit, "
              f"{mixed['faults']:,.0f} page faults (the limit {mixed['limit_faults']:,.0f}), "
              f"peak memory {mixed['memory'] / 1e6:.1f} MB")
        if before:
            print(f"Before: the wave {wavy['before'] / one['before']:.2f}x plain; "
                  f"mixed Unicode {mixed['before'] / one['before']:.2f}x ASCII, "
                  f"{mixed['before_faults']:,.0f} page faults, "
                  f"peak memory {mixed['before_memory'] / 1e6:.1f} MB")


if __name__ == "__main__":
    main()
