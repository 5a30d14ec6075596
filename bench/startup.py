#!/usr/bin/env python3
"""Start-up of Quillo against the bare Qt window, under the X server in DISPLAY.

With --wine DIR the two are quillo.exe and the bare window built for Windows
in DIR, both with the same static Qt, started under Wine (WINEPREFIX, with
its server running).

Both programs start in one folder holding a data.txt of 145 entries of 4 KB
(with --largest: of 1,048,575 characters, the largest file Quillo accepts),
alternately (which of the two goes first changes every pair), after a warm-up
run each that is not counted. The times come from quillo_map_waiter; the peak
resident set sizes from separate runs under /usr/bin/time -v, which linger
half a second after the map so the figure includes the first paint (four
seconds with the largest file, which Quillo loads after the map).

Writes the medians as JSON to the file named by --json and a line per run to
stderr when --verbose.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile

ENTRIES = 145
LINE_BYTES = 4096
FILLER = "北京市海淀区中关村大街 27 号 Room 501, Example Co. "


def write_data_file(folder):
    with open(os.path.join(folder, "data.txt"), "wb") as out:
        for i in range(1, ENTRIES + 1):
            line = f"条目{i}=".encode()
            while len(line) < LINE_BYTES - 2:
                line += FILLER.encode()
            # Cut at a character boundary, then pad to the exact size.
            line = line[: LINE_BYTES - 2].decode("utf-8", "ignore").encode()
            line += b"x" * (LINE_BYTES - 2 - len(line))
            out.write(line + b"\r\n")


LARGEST_CHARS = 1_048_575
LARGEST_PATTERN = "Room 501, Example Co., 27 Zhongguancun Street, Haidian District, 北京 "


def write_largest_file(folder):
    """As the loader benchmark's: about 152 MB, mostly ASCII."""
    with open(os.path.join(folder, "data.txt"), "wb") as out:
        for i in range(1, ENTRIES + 1):
            line = f"条目{i}="
            line += LARGEST_PATTERN * (LARGEST_CHARS // len(LARGEST_PATTERN) + 1)
            out.write(line[:LARGEST_CHARS + 1].encode() + b"\r\n")


def run_once(waiter, title, program, folder, wrap_rss=None, linger=0):
    command = [waiter, "--linger", str(linger), title]
    if wrap_rss:
        command += ["/usr/bin/time", "-v", "-o", wrap_rss]
    command += program
    done = subprocess.run(command, cwd=folder, capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        raise SystemExit(f"{os.path.basename(program[-1])} did not start: {done.stderr.strip()}")
    figures = dict(re.findall(r"(\w+)=([\d.]+)", done.stdout))
    result = {key: float(value) for key, value in figures.items()}
    if wrap_rss:
        with open(wrap_rss) as report:
            match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", report.read())
        result["rss_kb"] = float(match.group(1))
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the Linux build, with the waiter")
    parser.add_argument("--wine", help="the Windows build, to run under Wine")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--rss-runs", type=int, default=5)
    parser.add_argument("--json", required=True)
    parser.add_argument("--largest", action="store_true")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    args.build = os.path.abspath(args.build)
    waiter = os.path.join(args.build, "quillo_map_waiter")
    folder_of, prefix, suffix = args.build, [], ""
    if args.wine:
        folder_of, prefix, suffix = os.path.abspath(args.wine), ["wine"], ".exe"
    programs = {
        "bare": ("Bare Qt window", prefix + [os.path.join(folder_of, "quillo_bare_window" +
                                                          suffix)]),
        "quillo": ("Quillo", prefix + [os.path.join(folder_of, "quillo" + suffix)]),
    }
    samples = {name: [] for name in programs}
    rss = {name: [] for name in programs}
    with tempfile.TemporaryDirectory(prefix="quillo-startup-") as folder:
        (write_largest_file if args.largest else write_data_file)(folder)
        for title, program in programs.values():
            run_once(waiter, title, program, folder)
        for i in range(args.runs):
            order = list(programs) if i % 2 == 0 else list(reversed(programs))
            for name in order:
                figures = run_once(waiter, *programs[name], folder)
                samples[name].append(figures)
                if args.verbose:
                    print(f"{name:7} {figures}", file=sys.stderr)
        report = os.path.join(folder, "time-v.txt")
        for i in range(args.rss_runs):
            order = list(programs) if i % 2 == 0 else list(reversed(programs))
            for name in order:
                figures = run_once(waiter, *programs[name], folder, wrap_rss=report,
                                   linger=4000 if args.largest else 500)
                rss[name].append(figures["rss_kb"])

    result = {"runs": args.runs, "rss_runs": args.rss_runs,
              "data": "145 entries of 1,048,575 characters" if args.largest
              else "145 entries of 4 KB"}
    for name in programs:
        result[name] = {"rss_kb": statistics.median(rss[name])}
        for key in ("map_ms", "drawn_ms"):
            values = [s[key] for s in samples[name]]
            quartiles = statistics.quantiles(values, n=4)
            result[name][key] = statistics.median(values)
            result[name][key + "_iqr"] = [quartiles[0], quartiles[2]]
    with open(args.json, "w") as out:
        json.dump(result, out, indent=2)


if __name__ == "__main__":
    main()
