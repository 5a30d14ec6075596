#!/usr/bin/env python3
"""Fails when a Windows program imports a DLL but KnownDLLs and API sets.

Windows looks for any other DLL in the program's folder first (quillo.exe
delay-loads those from the system folder), and a DLL of Qt or of the
compiler would have to be shipped beside it. Reads the imports with objdump.

    check_imports.py OBJDUMP PROGRAM.exe
"""
import re
import subprocess
import sys

# The values of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs
# on Windows 10 and 11, but those of the 32-bit and ARM emulation layers.
KNOWN_DLLS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus",
    "imagehlp", "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32",
    "oleaut32", "psapi", "rpcrt4", "sechost", "setupapi", "shcore", "shell32", "shlwapi",
    "user32", "wldap32", "ws2_32",
}
API_SET = re.compile(r"^(api|ext)-ms-win-[a-z0-9-]+\.dll$", re.IGNORECASE)


def allowed(name):
    lower = name.lower()
    return lower.endswith(".dll") and lower[:-4] in KNOWN_DLLS or bool(API_SET.match(name))


def main():
    objdump, program = sys.argv[1:3]
    headers = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                             check=True).stdout
    imported = re.findall(r"DLL Name: (\S+)", headers)
    searched = [name for name in imported if not allowed(name)]
    if not imported or searched:
        print(f"{program} imports {searched or 'nothing'}, which Windows would look for in "
              f"the program's folder first; all: {imported}", file=sys.stderr)
        return 1
    print(f"{len(imported)} DLLs, all KnownDLLs or API sets: {' '.join(imported)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
