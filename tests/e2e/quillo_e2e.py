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

    quillo_e2e.py --quillo PATH [--receiver PATH] [--window-manager openbox] CASE [ROW]
    quillo_e2e.py --wine --quillo quillo.exe --receiver drop_target.exe
                  --probe window_probe.exe [--fake-tool fake_sysinfo.exe]
                  [--planted DIR] CASE [ROW]

Every wait is bounded; whatever a case starts is stopped when it ends.
"""

import argparse
import collections
import os
import shutil
import signal
import subprocess
import sys
import time

import receivers
from harness import (APP_TITLE, EXIT_TIMEOUT, LIGHT_CYAN, MAIN_TITLE, Failure, Session,
                     WineSession, box_rows, check, die_with_harness, snapshot, stop, wait_exit,
                     wait_rows, wait_steady, wait_until, write_data)


def session(args, screen="1024x768x24"):
    """Linux: an Xvfb of the case's own. Wine: the stage's X server."""
    return WineSession(args) if args.wine else Session(args, screen=screen)


# --- start-up ---------------------------------------------------------------

SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                      "examples", "data.txt")

# Every figure is a logical pixel: at 150 % the window is 1.5 times larger on
# screen, and sits 1.5 times further from the corner.
# A box is 106.5 x 12.0 px, so 106 or 107 px wide once rounded.
STARTUP_CASES = {
    "scale-100": {"scale": None, "screen": "1024x768x24", "window": (668, 100, 132, 176),
                  "box_widths": (106, 107), "box_height": 12},
    "scale-150": {"scale": "1.5", "screen": "1280x1024x24", "window": (1002, 150, 198, 264),
                  "box_widths": (159, 160, 161), "box_height": 18},
}


# Windows reads the screen's scale from the registry (dots per inch).
DESKTOP_KEY = r"HKEY_CURRENT_USER\Control Panel\Desktop"


def case_startup(args):
    row = STARTUP_CASES[args.row]
    with session(args, screen=row["screen"]) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        shutil.copy(SAMPLE, os.path.join(work, "data.txt"))
        extra = {}
        if row["scale"] and args.wine:
            s.reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                  str(round(96 * float(row["scale"]))))
        elif row["scale"]:
            extra = {"QT_SCALE_FACTOR": row["scale"]}
        try:
            quillo = s.start_quillo(work, extra_env=extra)
            window = s.wait_window(quillo, MAIN_TITLE)
        finally:
            if row["scale"] and args.wine:
                s.reg("delete", DESKTOP_KEY, "/v", "LogPixels")
        s.wait_drawn(window)

        frame, on_top = s.frame(window, MAIN_TITLE)
        check(frame == row["window"],
              f"window at {frame} (x, y, width, height), expected {row['window']}")
        check(on_top, "not kept on top of other windows")

        image, rows = wait_rows(s, window, lambda n: n >= 10, "ten boxes or more in view")
        # Without a window manager Windows draws no frame: the client area is
        # all there is on screen, and the boxes start at its left edge.
        x, y, width, _ = s.geometry(window)
        box_height = row["box_height"]
        if s.window_manager:
            # The frame takes its share of the form's height, as on Windows:
            # ten whole rows, not twelve.
            whole = sum(bottom - top + 1 == box_height for top, bottom in rows)
            check(whole == 10, f"{whole} whole rows in view, expected 10")
        first_top, first_bottom = rows[0]
        check(first_bottom - first_top + 1 == box_height,
              f"first box {first_bottom - first_top + 1} px high, expected {box_height}")
        middle = first_top + box_height // 2
        check(image.pixel(x, middle) == LIGHT_CYAN,
              "the first box does not start at the window's left edge")
        right = max(px for px in range(x, x + width) if image.pixel(px, middle) == LIGHT_CYAN)
        check(right - x + 1 in row["box_widths"],
              f"the first box is {right - x + 1} px wide, expected {row['box_widths']}")
        # The title is drawn in dark blue (#0000C0): antialiasing blends the
        # edges of the strokes into the background but leaves their cores.
        ink = [image.pixel(px, py) for py in range(first_top, first_bottom + 1)
               for px in range(x, right + 1)]
        check(any(r < 0x30 and g < 0x30 and 0xB0 <= b <= 0xD0 for r, g, b in ink),
              "no dark blue text in the first box")
        # Only the menu bar lies between the window's top and the first box.
        check(first_top - y < 40 * box_height // 12,
              f"the first box starts {first_top - y} px below the window's top")
        check(quillo.poll() is None, "the program ended by itself")


# --- fatal errors ------------------------------------------------------------

def many_entries(count):
    # Free lines between the entries use no slot and must not be counted.
    lines = []
    for k in range(1, count + 1):
        lines += [f"条目{k}=内容 {k}", "# 注释行"]
    return lines


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_unreadable(path):
    write_data(os.path.dirname(path), ["标题=内容"])
    os.chmod(path, 0)


NOT_A_FILE = "\n不是普通文件"

FATAL_CASES = {
    # row: (how to make data.txt in the working directory, expected exit code,
    #       what the report says after the full path of data.txt, or None
    #       when it names a line instead of the path)
    "missing-file": (lambda path: None, 53, ""),
    "too-many-entries": (lambda path: write_data(os.path.dirname(path), many_entries(146)), 9,
                         None),
    "data-is-directory": (lambda path: os.mkdir(path), 75, NOT_A_FILE),
    "no-read-permission": (write_unreadable, 75, ""),
    "50mb-line": (lambda path: write_bytes(path, b"a=" + b"x" * (50 * 1024 * 1024) + b"\r\n"), 7,
                  None),
    # Opened the ordinary way, a pipe with no writer blocks the program for
    # good, and a device reads as an empty file.
    "named-pipe": (os.mkfifo, 75, NOT_A_FILE),
    "link-to-dev-zero": (lambda path: os.symlink("/dev/zero", path), 75, NOT_A_FILE),
    "link-to-dev-urandom": (lambda path: os.symlink("/dev/urandom", path), 75, NOT_A_FILE),
}
REPORT_LINES = {"too-many-entries": "data.txt 第 291 行", "50mb-line": "data.txt 第 1 行"}


def start_unprivileged(s, work):
    """Root reads any file, so the program runs as nobody to be denied one."""
    for directory in (s.root, work):
        os.chmod(directory, 0o755)
    runtime = os.path.join(s.root, "runtime-nobody")
    os.mkdir(runtime, 0o700)
    shutil.chown(runtime, "nobody")
    # A copy, since nobody may not reach into the build tree's folders.
    program = os.path.join(s.root, "quillo")
    shutil.copy(s.quillo, program)
    argv = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", program]
    return s.start(argv, work, "quillo", {"XDG_RUNTIME_DIR": runtime})


def prepare_run(s, prepare):
    """The working folder with data.txt made by prepare, and what it holds."""
    work = os.path.join(s.root, "run")
    os.mkdir(work)
    data = os.path.join(work, "data.txt")
    prepare(data)
    return work, data, snapshot(data)


def case_fatal(args):
    prepare, expected, after_path = FATAL_CASES[args.row]
    with session(args) as s:
        work, data, before = prepare_run(s, prepare)

        if args.row == "no-read-permission" and os.geteuid() == 0:
            quillo = start_unprivileged(s, work)
        else:
            quillo = s.start_quillo(work)
        report = s.wait_window(quillo, APP_TITLE)
        # The report stands over the main window, which is already on screen.
        check(s.visible_windows(quillo, MAIN_TITLE), "no main window behind the report")
        check(not s.stacking or s.above(quillo, APP_TITLE, MAIN_TITLE),
              "the report lies under the main window")
        said = REPORT_LINES.get(args.row) or \
            s.native(os.path.join(os.path.realpath(work), "data.txt")) + after_path + "\n"
        text = s.clipboard_after_copy(report, f"运行时错误 '{expected}'")
        check(said in text, f"the report does not say {said!r}: {text!r}")
        check(quillo.poll() is None,
              f"the program ended ({quillo.returncode}) before the report was dismissed")

        s.focus(report)
        s.xdo("key", "Return")
        code = wait_exit(quillo)
        check(code == expected, f"exit code {code}, expected {expected}")
        check(snapshot(data) == before, f"data.txt changed: {before} -> {snapshot(data)}")


# --- bad input that still loads ------------------------------------------------

def garbage():
    """64 KB of every byte value but "=", then one entry line."""
    state, out = 12345, bytearray()
    for _ in range(65536):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state >> 16 & 0xFF)
    return bytes(out).replace(b"=", b"x") + b"\r\nlast=\xff\xfe\x00\x81"


LOAD_CASES = {
    # row: (the bytes of data.txt, boxes expected)
    "empty-file": (lambda: b"", 0),
    "binary-garbage": (garbage, 1),
    "50mb-of-free-lines": (lambda: b"free line, no sign\r\n" * (50 * 1024 * 1024 // 20), 0),
}


def case_loads(args):
    make, boxes = LOAD_CASES[args.row]
    with session(args) as s:
        work, data, before = prepare_run(s, lambda path: write_bytes(path, make()))

        quillo = s.start_quillo(work)
        window = s.wait_window(quillo, MAIN_TITLE)
        s.wait_drawn(window)
        check(not s.visible_windows(quillo, APP_TITLE), "an error was reported")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")
        image, rows = wait_rows(s, window, lambda n: n == boxes, f"{boxes} boxes in view")
        if rows:
            left = s.geometry(window)[0]
            area = (left, rows[0][0], 106, rows[0][1] - rows[0][0] + 1)
            s.xdo("mousemove", str(left + 20), str(rows[0][0] + 5))
            wait_until("the hover to show the content", lambda: not s.screenshot().region(
                *area).same_but_cursor(image.region(*area)), 10)
            check(quillo.poll() is None, f"the program ended ({quillo.returncode}) on a hover")
        stop(quillo)
        check(quillo.returncode == -signal.SIGTERM, f"ended with {quillo.returncode}")
        check(snapshot(data) == before, "data.txt changed")


# --- drag out ------------------------------------------------------------------

LONG_CONTENT = ("长文本 long text = 0123456789，" * 5000)[:100000]

# Box number, title and content; the rows share one data.txt.
DRAG_ENTRIES = [
    ("中文", "王晓明，北京市海淀区中关村大街 27 号 5 层 501 室"),
    ("等号", "  a = b == c  =  x "),
    ("长文", LONG_CONTENT),
]
# row: (box number, how data.txt is encoded)
DRAG_CASES = {"chinese": (1, "utf-8"), "equals-and-spaces": (2, "utf-8"), "long": (3, "utf-8"),
              "chinese-utf-16": (1, "utf-16"), "chinese-gbk": (1, "gbk")}

RECEIVER_PLACE = (120, 300, 360, 200)


def wait_drop(directory, number, timeout=20):
    stem = os.path.join(directory, f"drop-{number}")

    def probe():
        if os.path.exists(stem + ".txt") and os.path.exists(stem + ".actions"):
            with open(stem + ".txt", "rb") as text, open(stem + ".actions", "rb") as actions:
                return text.read().decode("utf-8"), actions.read().decode()
        return None
    return wait_until(f"drop {number} at the receiver", probe, timeout)


DragRun = collections.namedtuple("DragRun", "drops data before receiver quillo window")


def start_with_receiver(s, lines, encoding="utf-8", program=None, extra_env=None):
    """The program on a data.txt of lines, in a working folder (which may
    hold the program already), with the drop receiver beside it; both
    windows shown."""
    work = os.path.join(s.root, "run")
    drops = os.path.join(s.root, "drops")
    os.makedirs(work, exist_ok=True)
    os.mkdir(drops)
    data = write_data(work, lines, encoding)
    before = snapshot(data)
    receiver = s.start([s.receiver, s.native(drops)] + [str(v) for v in RECEIVER_PLACE], work,
                       "receiver")
    quillo = s.start_quillo(work, program, extra_env)
    window = s.wait_window(quillo, MAIN_TITLE)
    s.wait_window(receiver, "drop receiver")
    return DragRun(drops, data, before, receiver, quillo, window)


def drag_to_receiver(s, drops, grab, target):
    """Drags from grab to the receiver at target, letting go once the
    receiver has seen the drag enter it."""
    def enters():
        return sum(name.startswith("enter-") for name in os.listdir(drops))
    before = enters()
    s.drag(grab, target, lambda: enters() > before)


def case_drag(args):
    check(args.receiver, "--receiver is needed for the drag cases")
    box, encoding = DRAG_CASES[args.row]
    title, content = DRAG_ENTRIES[box - 1]
    with session(args) as s:
        drops, data, before, receiver, quillo, window = start_with_receiver(
            s, [f"{t}={c}" for t, c in DRAG_ENTRIES], encoding)
        image, rows = wait_rows(s, window, lambda n: n == len(DRAG_ENTRIES),
                                f"{len(DRAG_ENTRIES)} boxes in view")
        left, _, _, _ = s.geometry(window)
        top, bottom = rows[box - 1]
        grab = (left + 40, (top + bottom) // 2)
        rx, ry, rw, rh = RECEIVER_PLACE
        target = (rx + rw // 2, ry + rh // 2)

        # Hovering shows the content; what the box shows then is what it must
        # still show after its text has been dragged out.
        box_area = (left, top, 106, bottom - top + 1)
        title_shown = image.region(*box_area)
        s.move(grab[0] - 4, grab[1])
        s.move(*grab)
        shown = wait_steady(s, box_area, lambda shot: not shot.same_but_cursor(title_shown),
                            "the hover to show the content")

        for number in (1, 2):
            drag_to_receiver(s, drops, grab, target)
            received, actions = wait_drop(drops, number)
            check(received == content,
                  f"drop {number}: received {len(received)} characters "
                  f"{received[:60]!r}..., expected {len(content)} {content[:60]!r}...")
            check(actions == "copy", f"drop {number}: the source offered '{actions}', not copy only")
            s.move(*target)
            try:
                wait_steady(s, box_area, lambda shot: shot.same_but_cursor(shown), "", 5)
            except Failure:
                after = s.screenshot().region(*box_area)
                raise Failure(f"drop {number}: the box shows something else after the drag "
                              f"(columns {after.columns_differing_from(shown)} of the box differ)")

        check(not os.path.exists(os.path.join(drops, "drop-3.txt")), "a drop too many")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode}) during the drags")
        check(receiver.poll() is None, f"the receiver ended ({receiver.returncode})")
        check(snapshot(data) == before, "data.txt changed")


# --- drops into the programs users drop into -------------------------------------

DROP_INTO_ENTRIES = DRAG_ENTRIES[:2] + [
    ("换行", "第一行\n第二行"),  # a lone LF: inside the content, not a line end
    ("长文", LONG_CONTENT[:39003]),
]
# row: the receiver, started on the case's session
DROP_INTO_CASES = {
    "chromium": lambda s: receivers.Chromium(s, RECEIVER_PLACE),
    "mousepad": receivers.Mousepad,
}


def first_difference(got, expected):
    at = next((i for i, (x, y) in enumerate(zip(got, expected)) if x != y),
              min(len(got), len(expected)))
    return (f"{len(got)} bytes ({len(expected)} expected), differing from byte {at}: "
            f"{got[at:at + 24]!r} for {expected[at:at + 24]!r}")


def case_drop_into(args):
    """Each entry dragged into one running receiver arrives exactly, in UTF-8."""
    with session(args) as s:
        work, data, before = prepare_run(s, lambda path: write_data(
            os.path.dirname(path), [f"{t}={c}" for t, c in DROP_INTO_ENTRIES]))
        quillo = s.start_quillo(work)
        with DROP_INTO_CASES[args.row](s) as receiver, receivers.XdndWatch(s) as watch:
            window = s.wait_window(quillo, MAIN_TITLE)
            _, rows = wait_rows(s, window, lambda n: n == len(DROP_INTO_ENTRIES),
                                f"{len(DROP_INTO_ENTRIES)} boxes in view")
            left = s.geometry(window)[0]
            for number, ((title, content), (top, bottom)) in enumerate(
                    zip(DROP_INTO_ENTRIES, rows), 1):
                accepted = watch.accepted()
                s.drag((left + 40, (top + bottom) // 2), receiver.target,
                       lambda: watch.accepted() > accepted)
                received, expected = receiver.received(number), content.encode()
                check(received == expected, f"{args.row} received {title} as "
                      + first_difference(received, expected))
        check(quillo.poll() is None, f"the program ended ({quillo.returncode}) during the drags")
        check(snapshot(data) == before, "data.txt changed")


# --- menu ----------------------------------------------------------------------

def menu_captions(session, main_window):
    """The screen points of the menu bar's three captions (文件, 恢复, 帮助):
    the middles of the runs of dark text in the bar, read off a screenshot,
    so that they hold for any style, font and scale."""
    x, y, width, _ = session.geometry(main_window)

    def probe():
        image = session.screenshot()
        rows = box_rows(session, main_window, image)
        bottom = rows[0][0] if rows else y + 20
        dark = [px for px in range(x, x + width)
                if any(sum(image.pixel(px, py)) < 3 * 96 for py in range(y + 1, bottom - 1))]
        runs = []
        for px in dark:
            if runs and px - runs[-1][1] <= 5:
                runs[-1][1] = px
            else:
                runs.append([px, px])
        return [((a + b) // 2, (y + bottom) // 2) for a, b in runs] if len(runs) == 3 else None
    return wait_until("the three captions of the menu bar", probe, 10)


def wait_popup(session, quillo, main_window):
    """The program's popup menu, once it is shown."""
    def popup():
        found = [w for w in session.visible_windows(quillo) if w != main_window]
        return found[0] if found else None
    return wait_until("the menu to open", popup, 10)


def open_menu(session, quillo, main_window, caption):
    """Opens the menu of caption 0 (文件) or 2 (帮助) and returns the screen
    points of its two commands, around the separator.

    The points were read once from a screenshot of the open menu (120 x 46 px
    with the default style and font on Linux): the first command centred 10 px
    below the popup's top, the second 12 px above its bottom, both about 40 px
    in. They are taken relative to the popup, wherever it opens."""
    session.click(*menu_captions(session, main_window)[caption])
    x, y, width, height = session.geometry(wait_popup(session, quillo, main_window))
    check(height > 30 and width > 60, f"the menu is only {width} x {height} px")
    return (x + 40, y + 10), (x + 40, y + height - 12)


def editor_windows(session):
    """Windows of Wine's own editor, whatever process shows them, titled in
    Chinese or in English."""
    found = []
    for name in (" - 记事本$", " - Notepad$"):
        found += session.x("xdotool", "search", "--onlyvisible", "--name", name)[1].split()
    return found


FAKE_XDG_OPEN = """#!/bin/sh
# Stands in for the desktop's opener: records its arguments, one per NUL.
record="$QUILLO_E2E_CALLS/call-$$"
printf '%s\\0' "$@" > "$record.tmp" && mv "$record.tmp" "$record"
"""


class FakeOpener:
    """An xdg-open first in the program's PATH that only records its calls,
    so no test ever opens a real editor."""

    def __init__(self, session):
        bin_dir = os.path.join(session.root, "bin")
        self.calls = os.path.join(session.root, "calls")
        os.mkdir(bin_dir)
        os.mkdir(self.calls)
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write(FAKE_XDG_OPEN)
        os.chmod(opener, 0o755)
        self.env = {"PATH": bin_dir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"),
                    "QUILLO_E2E_CALLS": self.calls}

    def recorded(self):
        """The argument lists of the calls so far (the program name left out)."""
        calls = []
        for name in sorted(os.listdir(self.calls)):
            if not name.endswith(".tmp"):
                with open(os.path.join(self.calls, name), "rb") as f:
                    calls.append(f.read().decode("utf-8").split("\0")[:-1])
        return calls

    def editors_running(self):
        """Whether an editor that the program started (this fake opener, or
        under Wine the real notepad) still runs. The program starts either
        before it exits, and both inherit its environment: once the program
        has ended and none runs, every call there was is recorded."""
        mark = f"QUILLO_E2E_CALLS={self.calls}".encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    environ = f.read().split(b"\0")
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    cmdline = f.read().lower()
            except OSError:
                continue  # ended meanwhile
            if mark in environ and (b"xdg-open" in cmdline or b"notepad" in cmdline):
                return True
        return False


def case_menu_exit(args):
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        opener = FakeOpener(s)
        data = write_data(work, ["姓名=王晓明", "手机=138-0013-8000"])
        before = snapshot(data)
        quillo = s.start_quillo(work, extra_env=opener.env)
        window = s.wait_window(quillo, MAIN_TITLE)
        s.wait_drawn(window)
        _, end = open_menu(s, quillo, window, 0)
        s.click(*end)
        code = wait_exit(quillo)
        check(code == 0, f"退出 ended the program with exit code {code}")
        wait_until("the editors 退出 started to end", lambda: not opener.editors_running(), 10)
        check(not opener.recorded() and not (args.wine and editor_windows(s)),
              f"退出 started the editor: {opener.recorded()}")
        check(snapshot(data) == before, "data.txt changed")


# The program's directory is where its executable is, so each row runs a
# copy of it from a directory named as the row says. A name that a shell
# would take apart must reach the editor as one argument and start nothing;
# one in characters that code page 936 lacks must reach it whole.
EDIT_CASES = {
    "plain": "程序 目录",
    "korean": "run-한글",
    "beyond-bmp": "run-𠀋",
    "shell-characters": "a; touch injected-semicolon; $(touch injected-dollar) "
                        "`touch injected-backtick` 'q' \"d\" | touch injected-pipe &",
}


def case_menu_edit(args):
    name = EDIT_CASES[args.row]
    with session(args) as s:
        work = os.path.join(s.root, "run")
        program_dir = os.path.join(s.root, name)
        os.mkdir(work)
        os.mkdir(program_dir)
        opener = FakeOpener(s)
        program = os.path.join(program_dir, os.path.basename(s.quillo))
        shutil.copy2(s.quillo, program)
        # The editor opens the data file beside the program, not the one of
        # the folder the program started in. In the ANSI code page, which
        # Notepad reads a file without a byte-order mark in.
        write_data(program_dir, ["程序目录=这一份"], "gbk")
        data = write_data(work, ["姓名=王晓明", "邮箱=xiaoming.wang@example.com"])
        before = snapshot(data)
        quillo = s.start_quillo(work, program=program, extra_env=opener.env)
        window = s.wait_window(quillo, MAIN_TITLE)
        s.wait_drawn(window)
        edit, _ = open_menu(s, quillo, window, 0)
        s.click(*edit)
        code = wait_exit(quillo)
        check(code == 0, f"编辑数据 ended the program with exit code {code}")

        if args.wine:
            # Wine's notepad, by its fixed path, titled with the file's name
            # once it has read the file (an untitled window may come first).
            def editor_on_data():
                editor = editor_windows(s)
                titles = [s.x("xdotool", "getwindowname", w)[1].strip() for w in editor]
                return editor if titles and all(t.startswith("data.txt - ") for t in titles) \
                    else None
            try:
                editor = wait_until("the editor's window on data.txt", editor_on_data, 20)
            except Failure:
                titles = [s.x("xdotool", "getwindowname", w)[1].strip() for w in editor_windows(s)]
                raise Failure(f"the editor shows another file: {titles}") from None
            check(len(editor) == 1, f"{len(editor)} editor windows")
            s.focus(int(editor[0]))
            s.xdo("key", "ctrl+a")
            s.clipboard_after_copy(int(editor[0]), "程序目录=这一份")
        else:
            wait_until("the editor to be started", opener.recorded, 10)
            wait_until("the editors started to end", lambda: not opener.editors_running(), 10)
            calls = opener.recorded()
            expected = [os.path.join(program_dir, "data.txt")]
            check(calls == [expected], f"the opener got {calls}, expected once {expected}")

        stray = [os.path.join(d, f) for d, _, files in os.walk(s.root)
                 for f in files if f.startswith("injected")]
        check(not stray, f"a command hidden in the directory's name ran: {stray}")
        check(snapshot(data) == before, "data.txt changed")


# --- copy from a box's menu ----------------------------------------------------

def reveal(s, window, image, row):
    """Hovers over the box at row (its top and bottom on screen) until it shows
    its content; returns the box's area on screen and the point hovered."""
    left = s.geometry(window)[0]
    top, bottom = row
    area = (left, top, 106, bottom - top + 1)
    point = (left + 40, (top + bottom) // 2)
    s.move(point[0] - 4, point[1])
    s.move(*point)
    wait_steady(s, area, lambda shot: not shot.same_but_cursor(image.region(*area)),
                "the hover to show the content")
    return area, point


# For programs that take no drops: 39,003 characters, Chinese and "=" among them.
COPIED_CONTENT = ("复制 = copy，" * 4000)[:39003]


def chinese_system(s):
    """LC_ALL and LANGUAGE of a simplified Chinese system. Without the locale
    the window's name reaches the X server garbled: where the system lacks it,
    it is compiled once beside the program."""
    env = {"LC_ALL": "zh_CN.UTF-8", "LANGUAGE": "zh_CN"}
    if "zh_CN.utf8" in subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout:
        return env
    locales = os.path.join(os.path.dirname(s.quillo), "locale")
    if not os.path.exists(os.path.join(locales, "zh_CN.UTF-8", "LC_CTYPE")):
        scratch = os.path.join(s.root, "locale")
        os.mkdir(scratch)
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8", scratch + "/zh_CN.UTF-8"],
                       capture_output=True, timeout=60)
        check(os.path.exists(scratch + "/zh_CN.UTF-8/LC_CTYPE"), "localedef failed on zh_CN")
        shutil.rmtree(locales, ignore_errors=True)
        shutil.move(scratch, locales)
    return dict(env, LOCPATH=locales)


def case_menu_copy(args):
    """On a Chinese system, a right-click on a revealed box opens its menu,
    and its 复制 (by its key, C) puts the whole content on the clipboard."""
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        data = write_data(work, ["姓名=王晓明", "长文=" + COPIED_CONTENT])
        before = snapshot(data)
        quillo = s.start_quillo(work, extra_env={} if args.wine else chinese_system(s))
        window = s.wait_window(quillo, MAIN_TITLE)
        image, rows = wait_rows(s, window, lambda n: n == 2, "two boxes in view")
        reveal(s, window, image, rows[1])
        held = ""

        def holds():
            nonlocal held
            code, held = s.x("xclip", "-selection", "clipboard", "-o")
            return code == 0 and held == COPIED_CONTENT
        check(not holds(), "the clipboard holds the content before the copy")
        s.xdo("click", "3")
        menu = wait_popup(s, quillo, window)
        s.xdo("key", "c")
        wait_until("the menu to close", lambda: menu not in s.visible_windows(quillo), 10)
        try:
            wait_until("the clipboard", holds, 10)
        except Failure:
            raise Failure(f"the clipboard holds {len(held)} characters {held[:40]!r}..., "
                          f"expected {len(COPIED_CONTENT)}")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")
        check(snapshot(data) == before, "data.txt changed")


# --- scrolling and Restore -----------------------------------------------------

def down_arrow(top_left):
    """The scroll bar's down arrow, from the top left of the column (where
    box 1 sits before any scrolling): the bar is 16 x 132 px at 109, 0."""
    return top_left[0] + 117, top_left[1] + 124


def case_scroll_pages(args):
    """One click on the down arrow moves a page of ten rows, a second the rest
    of the way to Max; Restore brings a revealed box back to its title. Which
    entry a box holds is read the way a user would: by dragging it out."""
    with session(args) as s:
        drops, data, before, _, quillo, window = start_with_receiver(
            s, [f"条目{k}=内容 {k}" for k in range(1, 26)])
        image, rows = wait_rows(s, window, lambda n: n >= 10, "ten boxes or more in view")
        box_area, grab = reveal(s, window, image, rows[0])
        left, top = box_area[:2]
        s.click(*menu_captions(s, window)[1])  # 恢复
        wait_steady(s, box_area, lambda shot: shot.same_but_cursor(image.region(*box_area)),
                    "Restore to bring the title back")

        target = (RECEIVER_PLACE[0] + RECEIVER_PLACE[2] // 2,
                  RECEIVER_PLACE[1] + RECEIVER_PLACE[3] // 2)
        for number, first in ((1, 11), (2, 16)):
            unscrolled = s.screenshot().region(*box_area)
            s.click(*down_arrow((left, top)))
            wait_steady(s, box_area, lambda shot: not shot.same_but_cursor(unscrolled),
                        "the column to move")
            drag_to_receiver(s, drops, grab, target)
            received, _ = wait_drop(drops, number)
            check(received == f"内容 {first}",
                  f"after {number} page(s) down the top box holds {received!r}, "
                  f"expected entry {first}")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")
        check(snapshot(data) == before, "data.txt changed")


def case_scroll_reversed(args):
    """Below ten entries the range is reversed (Max -1100 with five): the down
    arrow moves the value toward Max, and the column down by 1100 units."""
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        write_data(work, [f"条目{k}=内容 {k}" for k in range(1, 6)])
        quillo = s.start_quillo(work)
        window = s.wait_window(quillo, MAIN_TITLE)
        _, rows = wait_rows(s, window, lambda n: n == 5, "five boxes in view")
        left = s.geometry(window)[0]
        s.click(*down_arrow((left, rows[0][0])))

        def moved():
            after = box_rows(s, window, s.screenshot())
            return after if len(after) == 5 and after[0][0] != rows[0][0] else None
        moved = wait_until("the column to move down", moved, 10)
        # 1100 units are 65.9 px: the boxes move down by 66 px, give or take
        # the rounding of their edges.
        shift = [after[0] - before[0] for before, after in zip(rows, moved)]
        check(all(65 <= d <= 67 for d in shift), f"the boxes moved by {shift} px, expected 66")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")


# --- dialogs -------------------------------------------------------------------

# row: (the Help menu's command: 0 内容, 1 关于; title; client size at 96 dpi)
DIALOGS = {"help": (0, "操作说明", (312, 180)), "about": (1, "关于Quillo", (256, 212))}


def open_dialog(s, quillo, window, row):
    command, title, _ = DIALOGS[row]
    s.click(*open_menu(s, quillo, window, 2)[command])
    return s.wait_window(quillo, title)


def escape_then_space(s, quillo, dialog, title):
    """Esc, then Space held on the focused OK button: once the button shows
    pressed, the program has handled the Esc too, and the dialog must still
    be open. Letting go of Space presses OK."""
    area = s.geometry(dialog)
    before = s.screenshot().region(*area)
    s.xdo("key", "Escape")
    s.xdo("keydown", "space")
    try:
        wait_until("OK to show pressed", lambda: not s.screenshot().region(
            *area).same_but_cursor(before), 10)
        check(s.visible_windows(quillo, title), f"Esc closed '{title}'")
    finally:
        s.xdo("keyup", "space")


def case_dialog(args):
    """Help's two dialogs: their client sizes, and that they stand above the
    main window; Enter closes them, Esc the about box only."""
    _, title, size = DIALOGS[args.row]
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        write_data(work, ["姓名=王晓明"])
        quillo = s.start_quillo(work)
        window = s.wait_window(quillo, MAIN_TITLE)
        s.wait_drawn(window)
        for key in ("Return", "Escape"):
            dialog = open_dialog(s, quillo, window, args.row)
            check(s.client_size(dialog, title) == size,
                  f"'{title}' is {s.client_size(dialog, title)} inside, expected {size}")
            check(not s.stacking or s.above(quillo, title, MAIN_TITLE),
                  f"'{title}' lies under the main window")
            s.focus(dialog)
            if key == "Escape" and args.row == "help":
                escape_then_space(s, quillo, dialog, title)
            else:
                s.xdo("key", key)
            wait_until(f"{key} to close '{title}'",
                       lambda: not s.visible_windows(quillo, title), 10)
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")


MSINFO_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO"
MSINFO_DIR_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools Location"
FAKE_TOOL_TITLE = "fake msinfo32"


def case_sysinfo(args):
    """系统信息 (Alt+S) in the about box: the tool the registry names starts,
    or the message says system information is unavailable; either way the
    about box stays open."""
    registered = args.row == "registered"
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        write_data(work, ["姓名=王晓明"])
        tool_dir = None
        if args.wine:
            for key in (MSINFO_KEY, MSINFO_DIR_KEY):
                s.x("wine", "reg", "delete", key, "/f", timeout=30)
        if registered:
            # Under a folder whose name holds a space, as the real tool's does.
            tool_dir = os.path.join(os.environ["WINEPREFIX"], "drive_c", "Program Files",
                                    "Quillo Test")
            os.makedirs(tool_dir, exist_ok=True)
            shutil.copy(args.fake_tool, os.path.join(tool_dir, "fake sysinfo.exe"))
            s.reg("add", MSINFO_KEY, "/v", "PATH", "/t", "REG_SZ", "/d",
                  r"C:\Program Files\Quillo Test\fake sysinfo.exe")
        try:
            quillo = s.start_quillo(work)
            window = s.wait_window(quillo, MAIN_TITLE)
            s.wait_drawn(window)
            about = open_dialog(s, quillo, window, "about")
            s.focus(about)
            s.xdo("key", "alt+s")
            if registered:
                _, out = s.x("xdotool", "search", "--sync", "--onlyvisible", "--name",
                             f"^{FAKE_TOOL_TITLE}$", timeout=20)
                check(out.strip(), "the system information tool did not start")
                check(not s.visible_windows(quillo, APP_TITLE), "a message was shown too")
            else:
                message = s.wait_window(quillo, APP_TITLE)
                check(not s.stacking or s.above(quillo, APP_TITLE, DIALOGS["about"][1]) and
                      s.above(quillo, DIALOGS["about"][1], MAIN_TITLE),
                      "the message or the about box lies under the window it belongs to")
                s.clipboard_after_copy(message, "此时系统信息不可用")
                s.focus(message)
                s.xdo("key", "Return")
                wait_until("the message to close", lambda: not s.visible_windows(
                    quillo, APP_TITLE), 10)
            check(s.visible_windows(quillo, DIALOGS["about"][1]), "the about box closed")
            check(quillo.poll() is None, f"the program ended ({quillo.returncode})")
        finally:
            if registered:
                s.x("wine", "reg", "delete", MSINFO_KEY, "/f", timeout=30)
                shutil.rmtree(tool_dir, ignore_errors=True)


# --- DLLs beside the program ----------------------------------------------------

def case_planted_dlls(args):
    """quillo.exe started in a folder of downloads that also holds DLLs named
    like system ones, which forward to the real ones and leave NAME.dll.ran
    when loaded (tests/wine/planted_dll.cpp). Told to prefer them, as Windows
    would, Wine loads none into the program while it starts, reveals a box,
    drops its content and shows the about box."""
    check(args.wine and args.planted, "planted-dlls runs under Wine, with --planted")
    planted = [name for name in os.listdir(args.planted) if name.endswith(".dll")]
    check(planted, f"no DLLs in {args.planted}")
    title, content = DRAG_ENTRIES[0]
    with session(args) as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        for name in planted:
            shutil.copy(os.path.join(args.planted, name), work)
        overrides = ",".join(name[:-4] for name in planted) + "=n,b"
        drops, _, _, _, quillo, window = start_with_receiver(
            s, [f"{title}={content}"], program=shutil.copy(s.quillo, work),
            extra_env={"WINEDLLOVERRIDES": overrides})
        _, rows = wait_rows(s, window, lambda n: n == 1, "the box in view")
        grab = (s.geometry(window)[0] + 40, sum(rows[0]) // 2)
        rx, ry, rw, rh = RECEIVER_PLACE
        drag_to_receiver(s, drops, grab, (rx + rw // 2, ry + rh // 2))
        check(wait_drop(drops, 1)[0] == content, "the drop differs from the content")
        open_dialog(s, quillo, window, "about")
        check(quillo.poll() is None, f"the program ended ({quillo.returncode})")
        ran = [name for name in os.listdir(work) if name.lower().endswith(".ran")]
        check(not ran, f"DLLs from the program's folder ran inside it: {ran}")


# --- no desktop -------------------------------------------------------------------

def unused_display():
    number = next(n for n in range(4242, 5000) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
    return f":{number}"


# row: (what DISPLAY is, or None for unset; what the one line must say)
NO_DESKTOP_CASES = {
    "display-unset": (lambda: None, lambda display: "DISPLAY is not set"),
    "display-unreachable": (unused_display, lambda display:
                            f'the X11 display "{display}" that DISPLAY names cannot be opened'),
}


def case_no_desktop(args):
    make_display, saying = NO_DESKTOP_CASES[args.row]
    display = make_display()
    said = saying(display)
    with session(args) as s:
        work, data, before = prepare_run(s, lambda path: write_data(os.path.dirname(path),
                                                                     ["姓名=王晓明"]))
        env = dict(s.env)
        env.pop("DISPLAY")
        if display:
            env["DISPLAY"] = display
        try:
            done = subprocess.run([s.quillo], cwd=work, env=env, capture_output=True,
                                  timeout=EXIT_TIMEOUT, preexec_fn=die_with_harness)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program was still running {EXIT_TIMEOUT:.0f} s later")
        lines = done.stderr.decode("utf-8", "replace").splitlines()
        check(done.returncode == 1, f"exit code {done.returncode}, expected 1 (no crash)")
        check(len(lines) == 1 and "needs a graphical desktop" in lines[0] and said in lines[0],
              f"standard error should say in one line that {said}: {lines}")
        check(snapshot(data) == before, "data.txt changed")


CASES = {
    "startup": (case_startup, STARTUP_CASES),
    "fatal": (case_fatal, FATAL_CASES),
    "loads": (case_loads, LOAD_CASES),
    "drag": (case_drag, DRAG_CASES),
    "drop-into": (case_drop_into, DROP_INTO_CASES),
    "menu-exit": (case_menu_exit, None),
    "menu-edit": (case_menu_edit, EDIT_CASES),
    "menu-copy": (case_menu_copy, None),
    "no-desktop": (case_no_desktop, NO_DESKTOP_CASES),
    "scroll-pages": (case_scroll_pages, None),
    "scroll-reversed": (case_scroll_reversed, None),
    "dialog": (case_dialog, DIALOGS),
    "sysinfo": (case_sysinfo, {"unavailable": None, "registered": None}),
    "planted-dlls": (case_planted_dlls, None),
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
    parser.add_argument("--window-manager", help="a window manager (openbox) to start on the "
                        "Xvfb, so that windows have frames and a stacking order")
    parser.add_argument("--planted", help="the DLLs to plant beside quillo.exe, with --wine")
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("row", nargs="?")
    args = parser.parse_args()
    run, rows = CASES[args.case]
    if rows is not None and args.row not in rows:
        parser.error(f"{args.case} needs one of: {', '.join(rows)}")
    for tool in ("wine" if args.wine else "Xvfb", "xdotool", "xwininfo", "xprop", "xclip",
                 "import", args.window_manager or "xprop"):
        if not shutil.which(tool):
            print(f"FAIL: {tool} is not installed (scripts/lib.sh installs it)", file=sys.stderr)
            return 1
    # A SIGTERM (ctest giving up) unwinds like an error, so every case still
    # stops what it started and removes its files.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    started = time.monotonic()
    try:
        run(args)
    except Failure as failure:
        print(f"FAIL: {args.case} {args.row or ''}: {failure}", file=sys.stderr)
        return 1
    print(f"ok: {args.case} {args.row or ''} ({time.monotonic() - started:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
