#!/usr/bin/env python3
"""Fails unless the ZIP a Windows user downloads holds one folder with
quillo.exe, the sample data.txt, the guide README.txt and the license, and the
two texts are UTF-8 with the mark and CR LF line ends, which every Notepad
reads right. Makes the ZIP with cpack in a folder of its own.

    check_package.py CPACK BUILD_DIR
"""
import re
import subprocess
import sys
import tempfile
import zipfile

FOLDER = "quillo-4.0-Windows/"
FILES = ["LICENSE", "README.txt", "data.txt", "quillo.exe"]
NOT_CR_LF = re.compile(rb"(?<!\r)\n|\r(?!\n)")


def main():
    cpack, build = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cpack, "-G", "ZIP", "-B", out], cwd=build, check=True,
                       stdout=subprocess.DEVNULL)
        with zipfile.ZipFile(f"{out}/{FOLDER[:-1]}.zip") as package:
            names = sorted(package.namelist())
            texts = {name: package.read(FOLDER + name) for name in ("data.txt", "README.txt")
                     if FOLDER + name in names}
    faults = [] if names == [FOLDER + name for name in FILES] else [f"the ZIP holds {names}"]
    for name, data in texts.items():
        if not data.startswith(b"\xef\xbb\xbf") or NOT_CR_LF.search(data):
            faults.append(f"{name} lacks the UTF-8 mark, or has a line end other than CR LF")
        elif data.decode("utf-8", "replace").count("\ufffd"):
            faults.append(f"{name} is not UTF-8 throughout")
    print(*faults or [f"{FOLDER}: {', '.join(FILES)}"], sep="\n",
          file=sys.stderr if faults else sys.stdout)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
