#!/usr/bin/env python3
"""Instruction counts under callgrind, which repeat to within 0.1% whatever
the machine's load, where times do not.

The loader: quillo_load_file loads one data file of 145 entries of 4,096
characters, and callgrind counts loadDataFile alone (--toggle-collect, so the
process's start is left out); the figure is per byte of the file. The texts:
Chinese and ASCII mixed as real snippets are, Chinese alone, ASCII alone; in
UTF-8 without a mark, in UTF-16 little-endian (Notepad's "Unicode") and in
GBK (the ANSI code page, decoded by iconv here).

Start-up: Quillo (build/quillo) and the bare window (a Qt window with the
same menu bar and a Chinese label) from the start of the process until the
window has been drawn and the event loop comes back: with
QUILLO_END_WHEN_DRAWN set, each ends itself there
(platform/qt/end_when_drawn.h), so callgrind (--dump-instr=no) counts
exactly that. On an empty data.txt and on the 145 mixed entries, under the X
server in DISPLAY. The per-box cost is what the entries add beyond the
loader: (start-up with the entries - its loadDataFile - the empty start-up)
/ 145.

Writes the figures as JSON to the file named by --json.
"""
import argparse
import json
import os
import re
import subprocess
import tempfile

ENTRIES = 145
CHARS = 4096
TEXTS = {
    "Chinese and ASCII": ("条目{}=", "北京市海淀区中关村大街 27 号 Room 501, Example Co. "),
    "Chinese": ("条目{}=", "北京市海淀区中关村大街二十七号五零一室示例公司"),
    "ASCII": ("entry {}=", "Room 501, Example Co., 27 Zhongguancun Street, Haidian District "),
}
ENCODINGS = {
    "UTF-8": lambda text: text.encode("utf-8"),
    "UTF-16": lambda text: b"\xff\xfe" + text.encode("utf-16-le"),
    "GBK": lambda text: text.encode("gbk"),
}


def entries(title, filler):
    lines = []
    for i in range(1, ENTRIES + 1):
        line = title.format(i)
        while len(line) < CHARS:
            line += filler
        lines.append(line[:CHARS] + "\r\n")
    return "".join(lines)


def callgrind(command, cwd, extra=(), env=None):
    """Runs the command under callgrind; returns the path of its output."""
    out = tempfile.NamedTemporaryFile(prefix="quillo-callgrind-", delete=False).name
    done = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                           *extra, *command], cwd=cwd, env=env, capture_output=True, text=True,
                          timeout=900)
    if done.returncode != 0:
        raise SystemExit(f"{command[0]} failed under callgrind: {done.stderr[-2000:]}")
    return out


def total(path):
    with open(path) as source:
        for line in source:
            if line.startswith(("summary:", "totals:")):
                return int(line.split()[1])
    raise SystemExit(f"no total in {path}")


def inclusive(path, function):
    """The instructions of `function` and all it calls, as callgrind_annotate sums them."""
    done = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", path],
                          capture_output=True, text=True, check=True)
    for line in done.stdout.splitlines():
        if function in line:
            return int(re.match(r"\s*([\d,]+)", line).group(1).replace(",", ""))
    return 0


def loader(build, folder):
    rows = []
    driver = os.path.join(build, "quillo_load_file")
    for text_name, (title, filler) in TEXTS.items():
        text = entries(title, filler)
        for encoding, encode in ENCODINGS.items():
            if encoding == "GBK" and text_name == "ASCII":
                continue  # ASCII alone is UTF-8 as well: it never reaches the code page
            path = os.path.join(folder, f"data-{encoding}-{len(rows)}.txt")
            with open(path, "wb") as out:
                out.write(encode(text))
            size = os.path.getsize(path)
            output = callgrind([driver, path], folder,
                               ["--toggle-collect=quillo::loadDataFile*"])
            count = total(output)
            os.unlink(output)
            rows.append({"encoding": encoding, "text": text_name, "bytes": size,
                         "instructions": count, "per_byte": count / size})
    return rows


def startup(build, folder, data):
    with open(os.path.join(folder, "data.txt"), "wb") as out:
        out.write(data)
    env = dict(os.environ, QUILLO_END_WHEN_DRAWN="1")
    result = {}
    for name, program in (("bare", "quillo_bare_window"), ("quillo", "quillo")):
        command = [os.path.join(build, program)]
        # A run outside callgrind first, so that caches (fonts) are as warm as they stay.
        subprocess.run(command, cwd=folder, env=env, timeout=60, check=True,
                       capture_output=True)
        output = callgrind(command, folder, ["--dump-instr=no"], env)
        result[name] = total(output)
        if name == "quillo":
            result["quillo_loader"] = inclusive(output, "quillo::loadDataFile(")
        os.unlink(output)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the build with the programs")
    parser.add_argument("--json", required=True)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    with tempfile.TemporaryDirectory(prefix="quillo-instructions-") as folder:
        result = {"loader": loader(build, folder)}
        mixed = entries(*TEXTS["Chinese and ASCII"]).encode("utf-8")
        result["startup_empty"] = startup(build, folder, b"")
        result["startup_entries"] = startup(build, folder, mixed)
    with open(args.json, "w") as out:
        json.dump(result, out, indent=2)


if __name__ == "__main__":
    main()
