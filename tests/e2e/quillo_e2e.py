#!/usr/bin/env python3
"""End-to-end tests: the real program, each case under an Xvfb of its own.

The program is driven only from outside, the way a user and the desktop
would: xdotool for the pointer and keys, xwininfo and xprop for what the X
server knows of its windows, screenshots for what it draws, a second program
for drops (and Chromium and Mousepad, where users drop), a stand-in xdg-open
for the editor, the clipboard, and the exit code.
With --window-manager the case runs under a real window manager, which
frames and stacks the windows. With --wine the same cases drive quillo.exe
under Wine, with Windows programs of the tests' own as the drop target and as
a probe of window frames and their z-order.

Every wait is bounded; whatever a case starts is stopped when it ends.

The cases live in modules by subject (CASES names them), over harness.py;
tests/e2e/cases.cmake names the rows that CTest runs, and where.
"""

import argparse
import functools
import shutil
import signal
import subprocess
import sys
import time

import boxes
import menus
import startup
import wine
from gnome_wayland import GnomeWaylandSession
from harness import Failure, Session
from layer_shell import KWinSession, SwaySession
from window_managers import WINDOW_MANAGERS, ManagedSession

# The desktops that bring their own display server, as columns of the table.
DESKTOPS = {"gnome-wayland": GnomeWaylandSession, "kwin": KWinSession, "sway": SwaySession}

# case: (what runs it, its rows or None)
CASES = {
    "startup": (startup.case_startup, startup.STARTUP_CASES),
    "on-top": (startup.case_on_top, None),
    "fatal": (startup.case_fatal, startup.FATAL_CASES),
    "loads": (startup.case_loads, startup.LOAD_CASES),
    "no-desktop": (startup.case_no_desktop, startup.NO_DESKTOP_CASES),
    "drag": (boxes.case_drag, boxes.DRAG_CASES),
    "drop-into": (boxes.case_drop_into, boxes.DROP_INTO_CASES),
    "scroll-pages": (boxes.case_scroll_pages, None),
    "scroll-reversed": (boxes.case_scroll_reversed, None),
    "menu-exit": (menus.case_menu_exit, None),
    "menu-edit": (menus.case_menu_edit, menus.EDIT_CASES),
    "menu-copy": (menus.case_menu_copy, None),
    "dialog": (menus.case_dialog, menus.DIALOGS),
    "sysinfo": (menus.case_sysinfo, {"unavailable": None, "registered": None}),
    "planted-dlls": (wine.case_planted_dlls, None),
    "planted-qt-conf": (startup.case_planted_qt_conf, None),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quillo", required=True, help="the program under test")
    parser.add_argument("--receiver", help="the drop receiver, for the drag cases")
    parser.add_argument("--wine", action="store_true",
                        help="the program is quillo.exe, run under Wine on the X server in "
                             "DISPLAY and in the prefix in WINEPREFIX")
    parser.add_argument("--probe", help="window_probe.exe, with --wine")
    parser.add_argument("--fake-tool", help="a stand-in system information tool, with --wine")
    parser.add_argument("--window-manager", choices=sorted([*WINDOW_MANAGERS, *DESKTOPS]),
                        help="a window manager to start on the Xvfb, so that windows have "
                             "frames and a stacking order, or a desktop to run in")
    parser.add_argument("--planted", help="the DLLs to plant beside quillo.exe, with --wine")
    parser.add_argument("--input-driver", help="wayland_input, for the pointer and keys of the "
                                               "KWin and sway sessions")
    parser.add_argument("--held-frames", help="held_frame_answers.so, preloaded by the dialog rows")
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("row", nargs="?")
    args = parser.parse_args()
    run, rows = CASES[args.case]
    if rows is not None and args.row not in rows:
        parser.error(f"{args.case} needs one of: {', '.join(rows)}")
    desktop = DESKTOPS.get(args.window_manager)
    for tool in ("wine" if args.wine else "Xvfb", "xdotool", "xwininfo", "xprop", "xclip",
                 "import", desktop.window_manager if desktop else args.window_manager or "xprop"):
        if not shutil.which(tool):
            print(f"FAIL: {tool} is not installed (scripts/lib.sh installs it)", file=sys.stderr)
            return 1
    if "zh_cn.utf8" not in subprocess.run(["locale", "-a"], capture_output=True,
                                          text=True).stdout.lower().replace("-", ""):
        print("FAIL: the locale zh_CN.UTF-8 is missing (scripts/lib.sh makes it)", file=sys.stderr)
        return 1
    # A SIGTERM (ctest giving up) unwinds like an error, so every case still
    # stops what it started and removes its files.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    started = time.monotonic()
    try:
        # Where the case runs: under Wine on the stage's X server, in a
        # desktop, or on an Xvfb of its own, bare or under a window manager.
        kind = wine.WineSession if args.wine else desktop or \
            (ManagedSession if args.window_manager else Session)
        run(args, functools.partial(kind, args))
    except Failure as failure:
        print(f"FAIL: {args.case} {args.row or ''}: {failure}", file=sys.stderr)
        return 1
    print(f"ok: {args.case} {args.row or ''} ({time.monotonic() - started:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
