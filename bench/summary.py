#!/usr/bin/env python3
"""Prints the short table of scripts/bench from the JSON files in a folder."""
import json
import os
import sys
import time

LABELS = {
    "BM_LoadDataFile_145x32KB_UTF8": "load data.txt, 145 x 32 KB, UTF-8",
    "BM_LoadDataFile_145x32KB_GBK": "load data.txt, 145 x 32 KB, GBK",
    "BM_DecodeAndLoad_145x32KB_UTF8": "decode + split in memory, 145 x 32 KB",
    "BM_LoadDataFile_50MB_FreeLines": "load data.txt, 50 MB of free lines",
    "BM_DecodeAndLoad_50MB_FreeLines": "decode + split in memory, 50 MB",
    "BM_Hover_100000Chars": "hover, 100,000 characters",
    "BM_HoverAndRepaint_100000Chars": "hover and repaint, 100,000 characters",
    "BM_MoveOverRevealedBox_100000Chars": "each further move, 100,000 characters",
}
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def google_rows(path):
    with open(path) as source:
        for bench in json.load(source)["benchmarks"]:
            ms = bench["real_time"] * TO_MS[bench["time_unit"]]
            speed = bench.get("bytes_per_second")
            extra = f"{speed / 1e6:7.0f} MB/s" if speed else ""
            yield LABELS.get(bench["name"], bench["name"]), ms, extra


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    load = ", ".join(f"{x:.2f}" for x in os.getloadavg())
    when = time.strftime("%Y-%m-%d %H:%M %Z")
    return f"{os.cpu_count()} cores, {model}; {when}; load average {load}"


def main():
    folder = sys.argv[1]
    print(f"machine: {machine()}")
    print(f"{'benchmark':42} {'time':>10}")
    for name in ("loader.json", "hover.json"):
        for label, ms, extra in google_rows(os.path.join(folder, name)):
            if ms < 1:
                print(f"{label:42} {ms * 1000:7.1f} us  {extra}")
            else:
                print(f"{label:42} {ms:7.1f} ms  {extra}")

    startup_table(os.path.join(folder, "startup.json"), "")
    wine = os.path.join(folder, "startup-wine.json")
    if os.path.exists(wine):
        startup_table(wine, ", quillo.exe and a bare window with the same static Qt, under Wine")
        with open(os.path.join(folder, "windows-size.json")) as source:
            size = json.load(source)
        print()
        print(f"quillo.exe {size['exe'] / 1e6:.1f} MB, stripped {size['stripped'] / 1e6:.1f} MB; "
              f"the ZIP {size['zip'] / 1e6:.1f} MB")


def startup_table(path, what):
    with open(path) as source:
        startup = json.load(source)
    bare, quillo = startup["bare"], startup["quillo"]
    print()
    print(f"start-up{what}, 145 entries of 4 KB, medians of {startup['runs']} runs "
          f"(RSS: {startup['rss_runs']})")
    print(f"{'':28} {'bare Qt':>10} {'quillo':>10} {'ratio':>6}  {'aim':8} quartiles (bare; quillo)")
    rows = [
        ("exec to window mapped", "map_ms", "ms", 1.0, "<= 1.15"),
        ("exec to window drawn", "drawn_ms", "ms", 1.0, ""),
        ("peak RSS", "rss_kb", "MB", 1 / 1024, "<= 1.10"),
    ]
    for label, key, unit, scale, aim in rows:
        b, q = bare[key] * scale, quillo[key] * scale
        spread = ""
        if key + "_iqr" in bare:
            spread = "{:.1f}-{:.1f}; {:.1f}-{:.1f}".format(*bare[key + "_iqr"],
                                                          *quillo[key + "_iqr"])
        print(f"{label:28} {b:7.1f} {unit} {q:7.1f} {unit} {q / b:6.2f}  {aim:8} {spread}")


if __name__ == "__main__":
    main()
