#!/usr/bin/env python3
"""Fails when the ZIP a Windows user downloads does not hold what it should:
one folder with quillo.exe, the sample data.txt, the guide README.txt and the
license; the two texts in UTF-8 with the mark and CR LF line ends, which every
Notepad reads right. Makes the ZIP with cpack in a folder of its own.

    check_package.py CPACK BUILD_DIR
"""
import re
import subprocess
import sys
import tempfile
import zipfile

FOLDER = "quillo-4.0-Windows/"
FILES = {"quillo.exe", "data.txt", "README.txt", "LICENSE"}
BOM = b"\xef\xbb\xbf"
# What the guide must tell: the limits, the error numbers and the message.
GUIDE_SAYS = ["标题=内容", "145", "1,048,576", "256 MB", "quillo4", "'53'", "'9'", "'7'", "'75'",
              "此时系统信息不可用", "编辑数据", "恢复", "复制"]


def notepad_text(name, data):
    """The faults of a text that every Notepad should open right."""
    faults = []
    if not data.startswith(BOM):
        faults.append(f"{name} does not start with the UTF-8 mark")
    if re.search(rb"(?<!\r)\n|\r(?!\n)", data):
        faults.append(f"{name} has a line end other than CR LF")
    try:
        data.decode("utf-8")
    except UnicodeDecodeError as error:
        faults.append(f"{name} is not UTF-8: {error}")
    return faults


def main():
    cpack, build = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cpack, "-G", "ZIP", "-B", out], cwd=build, check=True,
                       stdout=subprocess.DEVNULL)
        with zipfile.ZipFile(f"{out}/{FOLDER[:-1]}.zip") as package:
            names = set(package.namelist())
            texts = {name: package.read(FOLDER + name) for name in ("data.txt", "README.txt")
                     if FOLDER + name in names}
    faults = []
    if names != {FOLDER + name for name in FILES}:
        faults.append(f"the ZIP holds {sorted(names)}, expected {sorted(FILES)} in {FOLDER}")
    for name, data in texts.items():
        faults += notepad_text(name, data)
    guide = texts.get("README.txt", b"").decode("utf-8", "replace")
    faults += [f"the guide does not say {said!r}" for said in GUIDE_SAYS if said not in guide]
    if faults:
        print(*faults, sep="\n", file=sys.stderr)
        return 1
    print(f"{FOLDER}: {', '.join(sorted(FILES))}; the texts read right in Notepad")
    return 0


if __name__ == "__main__":
    sys.exit(main())
