"""The menus and the dialogs: 文件's Edit data and Exit, the Copy of a box's
own menu, 帮助's two dialogs and the about box's system information.
"""

import os
import time
import shutil

from harness import (APP_TITLE, MAIN_TITLE, Failure, check, check_running, open_menu, reveal,
                     start_on, wait_exit, wait_popup, wait_rows, wait_until, write_data)


def editor_windows(session):
    """The windows of Wine's own editor, whatever process shows them, titled
    in Chinese or in English, and their titles."""
    found = []
    for name in (" - 记事本$", " - Notepad$"):
        found += session.search("--name", name)
    return {w: session.x("xdotool", "getwindowname", str(w))[1].strip() for w in found}


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


def case_menu_exit(args, session):
    with session() as s:
        opener = FakeOpener(s)
        quillo, window = start_on(s, ["姓名=王晓明", "手机=138-0013-8000"], extra_env=opener.env)
        s.click(*open_menu(s, quillo, window, 0)[1])  # 退出
        code = wait_exit(quillo)
        check(code == 0, f"退出 ended the program with exit code {code}")
        wait_until("the editors 退出 started to end", lambda: not opener.editors_running())
        check(not opener.recorded() and not (args.wine and editor_windows(s)),
              f"退出 started the editor: {opener.recorded()}")


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


def case_menu_edit(args, session):
    name = EDIT_CASES[args.row]
    with session() as s:
        program_dir = os.path.join(s.root, name)
        os.mkdir(program_dir)
        opener = FakeOpener(s)
        program = os.path.join(program_dir, os.path.basename(s.quillo))
        shutil.copy2(s.quillo, program)
        # The editor opens the data file beside the program, not the one of
        # the folder the program started in. In the ANSI code page, which
        # Notepad reads a file without a byte-order mark in.
        write_data(program_dir, ["程序目录=这一份"], "gbk")
        quillo, window = start_on(s, ["姓名=王晓明", "邮箱=xiaoming.wang@example.com"],
                                  program=program, extra_env=opener.env)
        s.click(*open_menu(s, quillo, window, 0)[0])  # 编辑数据
        code = wait_exit(quillo)
        check(code == 0, f"编辑数据 ended the program with exit code {code}")

        if args.wine:
            # Wine's notepad, by its fixed path, titled with the file's name
            # once it has read the file (an untitled window may come first).
            def editor_on_data():
                titles = editor_windows(s)
                return titles if titles and all(t.startswith("data.txt - ")
                                                for t in titles.values()) else None
            try:
                editor = wait_until("the editor's window on data.txt", editor_on_data)
            except Failure:
                raise Failure(f"the editor shows another file: {editor_windows(s)}") from None
            check(len(editor) == 1, f"{len(editor)} editor windows")
            s.focus(*editor)
            s.xdo("key", "ctrl+a")
            s.clipboard_after_copy(*editor, "程序目录=这一份")
        else:
            wait_until("the editor to be started", opener.recorded)
            wait_until("the editors started to end", lambda: not opener.editors_running())
            calls = opener.recorded()
            expected = [os.path.join(program_dir, "data.txt")]
            check(calls == [expected], f"the opener got {calls}, expected once {expected}")

        stray = [os.path.join(d, f) for d, _, files in os.walk(s.root)
                 for f in files if f.startswith("injected")]
        check(not stray, f"a command hidden in the directory's name ran: {stray}")


# For programs that take no drops: 39,003 characters, Chinese and "=" among them.
COPIED_CONTENT = ("复制 = copy，" * 4000)[:39003]


# A simplified Chinese system (Wine's test stage sets LC_ALL itself). Without
# the locale, which scripts/lib.sh makes, the window's name reaches the X
# server garbled.
CHINESE_SYSTEM = {"LC_ALL": "zh_CN.UTF-8", "LANGUAGE": "zh_CN"}


def case_menu_copy(args, session):
    """On a Chinese system, a right-click on a revealed box opens its menu,
    and its 复制 (by its key, C) puts the whole content on the clipboard."""
    with session() as s:
        quillo, window = start_on(
            s, ["姓名=王晓明", "长文=" + COPIED_CONTENT], drawn=False,
            extra_env={} if args.wine else CHINESE_SYSTEM)
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
        wait_until("the menu to close", lambda: menu not in s.visible_windows(quillo))
        try:
            wait_until("the clipboard", holds)
        except Failure:
            raise Failure(f"the clipboard holds {len(held)} characters {held[:40]!r}..., "
                          f"expected {len(COPIED_CONTENT)}")
        check_running(quillo)


# --- dialogs -------------------------------------------------------------------

# row: (the Help menu's command: 0 内容, 1 关于; title; client size at 96 dpi)
DIALOGS = {"help": (0, "操作说明", (312, 180)), "about": (1, "关于Quillo", (256, 212))}


def open_dialog(s, quillo, window, row):
    """Chooses the Help menu's command; the dialog's window. Once in a dozen
    loaded runs the dialog never came: while the menu stays open, the click is
    given again at a slowing pace. A click the program takes late, once the
    dialog is up, lands on a window that the modal dialog blocks."""
    command, title, _ = DIALOGS[row]
    point = open_menu(s, quillo, window, 2)[command]
    menu = wait_popup(s, quillo, window)
    clicked, pace = time.monotonic(), 2.0
    s.click(*point)

    def shown():
        nonlocal clicked, pace
        check_running(quillo)
        found = s.visible_windows(quillo, title)
        if not found and menu in s.visible_windows(quillo) and \
                time.monotonic() - clicked > pace:
            clicked, pace = time.monotonic(), pace * 2
            s.click(*point)
        return found and found[0]
    return wait_until(f"a window titled '{title}'", shown)


def escape_then_space(s, quillo, dialog, title):
    """Esc, then Space held on the focused OK button: once the button shows
    pressed, the program has handled the Esc too, and the dialog must still
    be open. Letting go of Space presses OK."""
    area = s.geometry(dialog)
    before = s.screenshot().region(*area)
    s.key("Escape")
    s.hold("space", True)
    try:
        wait_until("OK to show pressed", lambda: not s.screenshot().region(
            *area).same_but_cursor(before))
        check(s.visible_windows(quillo, title), f"Esc closed '{title}'")
    finally:
        s.hold("space", False)


def case_dialog(args, session):
    """Help's two dialogs: their client sizes, and that they stand above the
    main window; Enter closes them, Esc the about box only."""
    _, title, size = DIALOGS[args.row]
    held = None
    if args.held_frames and not args.wine:
        # On Wayland the menu then closes as its frame is answered.
        asan = filter(None, [os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0"])
        held = {"LD_PRELOAD": args.held_frames, "ASAN_OPTIONS": ":".join(asan)}
    with session() as s:
        quillo, window = start_on(s, ["姓名=王晓明"], extra_env=held)
        for key in ("Return", "Escape"):
            dialog = open_dialog(s, quillo, window, args.row)
            check(s.client_size(dialog, title) == size,
                  f"'{title}' is {s.client_size(dialog, title)} inside, expected {size}")
            check(not s.stacking or s.above(quillo, title, MAIN_TITLE),
                  f"'{title}' lies under the main window")
            check(args.wine or s.frame(dialog, title)[1], f"'{title}' is not kept on top")
            s.focus(dialog)
            if key == "Escape" and args.row == "help":
                escape_then_space(s, quillo, dialog, title)
            else:
                s.key(key)
            wait_until(f"{key} to close '{title}'",
                       lambda: not s.visible_windows(quillo, title))
        check_running(quillo)


MSINFO_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO"
MSINFO_DIR_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools Location"
FAKE_TOOL_TITLE = "fake msinfo32"


def case_sysinfo(args, session):
    """系统信息 (Alt+S) in the about box: the tool the registry names starts,
    or the message says system information is unavailable; either way the
    about box stays open."""
    registered = args.row == "registered"
    with session() as s:
        tool_dir = None
        if args.wine:
            for key in (MSINFO_KEY, MSINFO_DIR_KEY):
                s.x("wine", "reg", "delete", key, "/f")
        if registered:
            # Under a folder whose name holds a space, as the real tool's does.
            tool_dir = os.path.join(os.environ["WINEPREFIX"], "drive_c", "Program Files",
                                    "Quillo Test")
            os.makedirs(tool_dir, exist_ok=True)
            shutil.copy(args.fake_tool, os.path.join(tool_dir, "fake sysinfo.exe"))
            s.reg("add", MSINFO_KEY, "/v", "PATH", "/t", "REG_SZ", "/d",
                  r"C:\Program Files\Quillo Test\fake sysinfo.exe")
        try:
            quillo, window = start_on(s, ["姓名=王晓明"])
            about = open_dialog(s, quillo, window, "about")
            s.focus(about)
            s.xdo("key", "alt+s")
            if registered:
                _, out = s.x("xdotool", "search", "--sync", "--onlyvisible", "--name",
                             f"^{FAKE_TOOL_TITLE}$")
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
                    quillo, APP_TITLE))
            check(s.visible_windows(quillo, DIALOGS["about"][1]), "the about box closed")
            check_running(quillo)
        finally:
            if registered:
                s.x("wine", "reg", "delete", MSINFO_KEY, "/f")
                shutil.rmtree(tool_dir, ignore_errors=True)
