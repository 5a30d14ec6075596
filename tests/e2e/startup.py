"""Start-up: where the window stands and what it shows; the report that ends
the program when data.txt cannot be loaded; files that load however odd
their bytes; and no desktop at all.
"""

import os
import shutil
import signal
import subprocess

import receivers
from harness import (APP_TITLE, DEADLINE, LIGHT_CYAN, MAIN_TITLE, Failure, check,
                     check_running, die_with_harness, prepare_run, reveal, start_on, stop,
                     wait_exit, wait_rows, wait_steady, wait_until, write_bytes, write_data)

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


def case_startup(args, session):
    row = STARTUP_CASES[args.row]
    with session(screen=row["screen"]) as s:
        with s.scaled(row["scale"]) as extra:
            quillo, window = start_on(s, lambda path: shutil.copy(SAMPLE, path),
                                      extra_env=extra, drawn=False)
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
        check_running(quillo, " by itself")


def case_on_top(args, session):
    """An editor that covers the window's place and has the focus still lies
    below the window: around the frame the editor shows, inside it the
    window's content (its frame may show it is no longer active). The close
    button at the right end of the caption then ends the program."""
    with session() as s:
        quillo, window = start_on(s, ["姓名=王晓明"])
        x, y, width, height = s.frame(window, MAIN_TITLE)[0]
        area = s.geometry(window)
        alone = s.screenshot()
        beside = ((x - 1, y + height // 2), (x + width // 2, y + height))

        def covering():
            shot = s.screenshot()
            return shot if all(shot.pixel(*p) != alone.pixel(*p) for p in beside) else None
        with receivers.Mousepad(s) as editor:
            s.focus(editor.window, editor.target)
            shot = wait_until("the editor around the window", covering)
            check(shot.region(*area).same_but_cursor(alone.region(*area)),
                  "the editor covers the window")
        s.click(x + width - 8, y + 8)
        check(wait_exit(quillo) == 0, f"closed, the program ended with {quillo.returncode}")


# --- fatal errors ------------------------------------------------------------

def many_entries(count):
    # Free lines between the entries use no slot and must not be counted.
    lines = []
    for k in range(1, count + 1):
        lines += [f"条目{k}=内容 {k}", "# 注释行"]
    return lines


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


def case_fatal(args, session):
    prepare, expected, after_path = FATAL_CASES[args.row]
    with session() as s:
        work = prepare_run(s, prepare)

        if args.row == "no-read-permission" and os.geteuid() == 0:
            quillo = start_unprivileged(s, work)
        else:
            quillo = s.start_quillo(work)
        report = s.wait_window(quillo, APP_TITLE)
        # The report stands over the main window, which is already on screen.
        check(s.visible_windows(quillo, MAIN_TITLE), "no main window behind the report")
        check(not s.stacking or s.above(quillo, APP_TITLE, MAIN_TITLE),
              "the report lies under the main window")
        # Asked of the X server, so that no window manager puts it in a lower
        # layer than the main window's; Windows keeps it above by itself.
        check(args.wine or s.frame(report, APP_TITLE)[1], "the report is not kept on top")
        said = REPORT_LINES.get(args.row) or \
            s.native(os.path.join(os.path.realpath(work), "data.txt")) + after_path + "\n"
        text = s.clipboard_after_copy(report, f"运行时错误 '{expected}'")
        check(said in text, f"the report does not say {said!r}: {text!r}")
        check_running(quillo, " before the report was dismissed")

        s.focus(report)
        s.xdo("key", "Return")
        code = wait_exit(quillo)
        check(code == expected, f"exit code {code}, expected {expected}")


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


def case_loads(args, session):
    make, boxes = LOAD_CASES[args.row]
    with session() as s:
        quillo, window = start_on(s, lambda path: write_bytes(path, make()))
        check(not s.visible_windows(quillo, APP_TITLE), "an error was reported")
        check_running(quillo)
        image, rows = wait_rows(s, window, lambda n: n == boxes, f"{boxes} boxes in view")
        if rows:
            reveal(s, window, image, rows[0])
            check_running(quillo, " on a hover")
        stop(quillo)
        check(quillo.returncode == -signal.SIGTERM, f"ended with {quillo.returncode}")


# --- a folder of downloads -----------------------------------------------------------

# Settings that Qt, were it to read them, would obey: another font engine on
# Windows, and a folder of Qt's plugins that holds none.
PLANTED_QT_CONF = b"[Platforms]\r\nWindowsArguments=fontengine=freetype\r\n" \
                  b"[Paths]\r\nPlugins=C:/nothing-here\r\n"


def case_planted_qt_conf(args, session):
    """The program started from a folder that also holds a qt.conf: it starts
    as usual and draws its window pixel for pixel as without the file."""
    with session() as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        program = shutil.copy(s.quillo, work)
        shots = []
        for planted in (False, True):
            if planted:
                write_bytes(os.path.join(work, "qt.conf"), PLANTED_QT_CONF)
            quillo, window = start_on(s, lambda path: shutil.copy(SAMPLE, path), program=program)
            wait_rows(s, window, lambda n: n >= 10, "ten boxes or more in view")
            area = s.geometry(window)
            shots.append(wait_steady(s, area, bool, "the window to be drawn whole"))
            check_running(quillo, " with a qt.conf beside it" if planted else "")
            stop(quillo)
            wait_until("the window to close", lambda: not s.visible_windows(quillo))
        check(shots[1].same_but_cursor(shots[0]), "a planted qt.conf changed columns "
              f"{shots[1].columns_differing_from(shots[0])} of the window")


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


def case_no_desktop(args, session):
    make_display, saying = NO_DESKTOP_CASES[args.row]
    display = make_display()
    said = saying(display)
    with session() as s:
        work = prepare_run(s, ["姓名=王晓明"])
        env = dict(s.env)
        env.pop("DISPLAY")
        if display:
            env["DISPLAY"] = display
        try:
            done = subprocess.run([s.quillo], cwd=work, env=env, capture_output=True,
                                  timeout=DEADLINE, preexec_fn=die_with_harness)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program was still running {DEADLINE:.0f} s later")
        lines = done.stderr.decode("utf-8", "replace").splitlines()
        check(done.returncode == 1, f"exit code {done.returncode}, expected 1 (no crash)")
        check(len(lines) == 1 and "needs a graphical desktop" in lines[0] and said in lines[0],
              f"standard error should say in one line that {said}: {lines}")
