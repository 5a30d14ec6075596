#!/usr/bin/env python3
"""Fails when a Windows program needs a DLL that Windows does not have.

quillo.exe is one file: Qt and the compiler's run-time are linked in, so the
DLLs it imports must all be Windows' own (a MinGW or Qt DLL would have to be
shipped beside it). Reads the imports with objdump.

    check_imports.py OBJDUMP PROGRAM.exe
"""
import re
import subprocess
import sys

# Windows' own DLLs and API sets; a lib*.dll or a Qt6*.dll is none of them.
FOREIGN = re.compile(r"^(lib.*|qt.*|.*mingw.*)\.dll$", re.IGNORECASE)


def main():
    objdump, program = sys.argv[1:3]
    headers = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                             check=True).stdout
    imported = re.findall(r"DLL Name: (\S+)", headers)
    foreign = [name for name in imported if FOREIGN.match(name)]
    if not imported or foreign:
        print(f"{program} imports {foreign or 'nothing'}; all: {imported}", file=sys.stderr)
        return 1
    print(f"{len(imported)} DLLs, all Windows' own: {' '.join(imported)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
