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
    "BM_ReadAndDecode_Largest": "read + decode alone, 145 x 1,048,575 chars",
    "BM_LoadDataFile_Largest": "load data.txt, 145 x 1,048,575 chars",
    "BM_Hover/1000": "hover, 1,000 characters",
    "BM_Hover/100000": "hover, 100,000 characters",
    "BM_Hover/1048573": "hover, 1,048,573 characters",
    "BM_HoverAndRepaint/1000": "hover and repaint, 1,000 characters",
    "BM_HoverAndRepaint/100000": "hover and repaint, 100,000 characters",
    "BM_HoverAndRepaint/1048573": "hover and repaint, 1,048,573 characters",
    "BM_MoveOverRevealedBox/1000": "each further move, 1,000 characters",
    "BM_MoveOverRevealedBox/100000": "each further move, 100,000 characters",
    "BM_MoveOverRevealedBox/1048573": "each further move, 1,048,573 characters",
    "BM_RestoreAll145Revealed": "Restore and repaint, 145 revealed",
    "BM_PageWith145Revealed": "a page and repaint, 145 revealed",
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

    drag = os.path.join(folder, "drag.json")
    if os.path.exists(drag):
        with open(drag) as source:
            drops = json.load(source)
        print(f"\nrelease to the text in the target, medians of {drops.pop('runs')} "
              "(the editor takes the largest once)")
        print(f"{'target and content':42} {'time':>10}  the program's part: "
              "drop, answers, INCR pieces; the X server's intake of them alone")
        for label, d in drops.items():
            print(f"{label:42} {d['ms']:7.0f} ms  {d['drop ms']:.1f} + {d['answers ms']:.1f} + "
                  f"{d['pieces ms']:.1f} ms ({d['pieces']:.0f} pieces); {d['intake ms']:.1f} ms")

    instructions = os.path.join(folder, "instructions.json")
    if os.path.exists(instructions):
        instructions_tables(instructions)

    startup_table(os.path.join(folder, "startup.json"), "")
    largest = os.path.join(folder, "startup-largest.json")
    if os.path.exists(largest):
        startup_table(largest, "", aims=False)
        largest_aims(largest, os.path.join(folder, "loader.json"))
    wine = os.path.join(folder, "startup-wine.json")
    if os.path.exists(wine):
        startup_table(wine, ", quillo.exe and a bare window with the same static Qt, under Wine")
        with open(os.path.join(folder, "windows-size.json")) as source:
            size = json.load(source)
        print()
        print(f"quillo.exe {size['exe'] / 1e6:.1f} MB, stripped {size['stripped'] / 1e6:.1f} MB; "
              f"the ZIP {size['zip'] / 1e6:.1f} MB")


def instructions_tables(path):
    with open(path) as source:
        counts = json.load(source)
    print()
    print("loadDataFile, instructions (callgrind) per byte of data.txt, 145 entries of 4,096 "
          "characters")
    print(f"{'text':20} {'encoding':8} {'bytes':>10} {'instructions':>13} {'per byte':>9}  aim")
    for row in counts["loader"]:
        aim = "<= 3" if row["text"] == "ASCII" else "<= 8"
        print(f"{row['text']:20} {row['encoding']:8} {row['bytes']:10,} "
              f"{row['instructions'] / 1e6:11.2f} M {row['per_byte']:9.2f}  {aim}")
    print()
    print("start-up to drawn and idle, instructions (callgrind)")
    print(f"{'data.txt':28} {'bare Qt':>10} {'quillo':>10} {'ratio':>6}  aim")
    for key, label, aim in (("startup_empty", "empty", "<= 1.05"),
                            ("startup_entries", "145 entries of 4,096 chars", "<= 1.30")):
        bare, quillo = counts[key]["bare"], counts[key]["quillo"]
        print(f"{label:28} {bare / 1e6:8.1f} M {quillo / 1e6:8.1f} M {quillo / bare:6.2f}  {aim}")
    loader = counts["startup_entries"]["quillo_loader"]
    boxes = counts["startup_entries"]["quillo"] - loader - counts["startup_empty"]["quillo"]
    print(f"of which loadDataFile {loader / 1e6:.1f} M; each box "
          f"{boxes / 145 / 1e3:.0f} k (what the entries add beyond the loader, / 145)")


def startup_table(path, what, aims=True):
    with open(path) as source:
        startup = json.load(source)
    bare, quillo = startup["bare"], startup["quillo"]
    print()
    print(f"start-up{what}, {startup.get('data', '145 entries of 4 KB')}, "
          f"medians of {startup['runs']} runs "
          f"(RSS: {startup['rss_runs']})")
    print(f"{'':28} {'bare Qt':>10} {'quillo':>10} {'ratio':>6}  {'aim':8} quartiles (bare; quillo)")
    rows = [
        ("exec to window mapped", "map_ms", "ms", 1.0, "<= 1.05" if aims else ""),
        ("exec to window drawn", "drawn_ms", "ms", 1.0, "<= 1.05" if aims else ""),
        ("peak RSS", "rss_kb", "MB", 1 / 1024, "<= 1.05" if aims else ""),
    ]
    for label, key, unit, scale, aim in rows:
        b, q = bare[key] * scale, quillo[key] * scale
        spread = ""
        if key + "_iqr" in bare:
            spread = "{:.1f}-{:.1f}; {:.1f}-{:.1f}".format(*bare[key + "_iqr"],
                                                          *quillo[key + "_iqr"])
        print(f"{label:28} {b:7.1f} {unit} {q:7.1f} {unit} {q / b:6.2f}  {aim:8} {spread}")


def largest_aims(path, loader):
    """Start-up with the largest file against reading and decoding it alone,
    and its peak RSS against its text in UTF-16 and the bare window."""
    with open(path) as source:
        startup = json.load(source)
    decode = {label: ms for label, ms, _ in google_rows(loader)}
    alone = decode[LABELS["BM_ReadAndDecode_Largest"]]
    drawn = startup["quillo"]["drawn_ms"]
    text_mb = 145 * 1_048_575 * 2 / 2**20
    bare_mb = startup["bare"]["rss_kb"] / 1024
    rss_mb = startup["quillo"]["rss_kb"] / 1024
    print(f"drawn {drawn:.0f} ms against read + decode alone {alone:.0f} ms: "
          f"{drawn / alone:.2f} (aim <= 2)")
    print(f"peak RSS {rss_mb:.0f} MB against the text in UTF-16 ({text_mb:.0f} MB) and the bare "
          f"window ({bare_mb:.0f} MB): {rss_mb / (text_mb + bare_mb):.2f} (aim <= 1.10)")


if __name__ == "__main__":
    main()
