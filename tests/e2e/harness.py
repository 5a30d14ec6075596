"""What the end-to-end tests share: a session of the real program under a
bare Xvfb of the case's own (window_managers.py adds a window manager, wine.py
runs quillo.exe under Wine instead), driven only from outside, with every
wait bounded; its window read off screenshots and driven with the pointer.
"""

import contextlib
import ctypes
import hashlib
import os
import re
import select
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "Quillo4.0版"
APP_TITLE = "quillo4"  # the message box, and Qt's popup menus too
LIGHT_CYAN = bytes.fromhex("c0ffff")
XVFB_SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir,
                           "scripts", "xvfb-server")

# Every wait polls for what it waits for and ends at this deadline, generous
# for a sanitizer build (several times slower than a normal one) with every
# core busy: a wait that ends sooner only fails sooner.
DEADLINE = 60.0
POLL = 0.05


class Failure(Exception):
    pass


_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def die_with_harness():
    """Runs in each child before exec: should the harness itself be killed
    (a ctest timeout), what it started does not outlive it."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


def check(condition, message):
    if not condition:
        raise Failure(message)


def within(seconds, probe):
    """Calls probe until it returns something true, for at most seconds;
    returns that, or None."""
    deadline = time.monotonic() + seconds
    while True:
        value = probe()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(POLL)


def wait_until(what, probe, timeout=DEADLINE):
    """Calls probe until it returns something true; fails after timeout."""
    value = within(timeout, probe)
    if not value:
        raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
    return value


class Session:
    """One Xvfb, a scratch directory and every process the case starts. With
    no window manager nothing frames or stacks the windows: the X window is
    the whole of one, and there is no stacking order to check (stacking)."""

    window_manager = None
    stacking = False
    drag_watch = None  # what tells when a drag starts and is accepted, if not X11's

    def __init__(self, args, screen="1024x768x24"):
        self.args = args
        self.quillo = os.path.abspath(args.quillo)
        self.receiver = args.receiver and os.path.abspath(args.receiver)
        self.screen = screen
        self.processes = []
        self.root = tempfile.mkdtemp(prefix="quillo-e2e-")
        self.display = None
        self.env = None
        self.data_files = []  # (path, snapshot) of each data.txt the case made

    def __enter__(self):
        try:
            self._open_display()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, value, trace):
        for proc in reversed(self.processes):
            stop(proc)
        # Whatever a case does, the program never writes data.txt.
        changed = [f"{before} -> {after}" for before, after in
                   ((before, snapshot(path)) for path, before in self.data_files)
                   if after != before]
        if kind is not None or changed:
            self.dump_logs()
        shutil.rmtree(self.root, ignore_errors=True)
        check(kind is not None or not changed, f"data.txt changed: {changed}")
        return False

    def _open_display(self):
        # The project's one way to start an X server: on a free display,
        # which it names on its output once it takes clients.
        with open(os.path.join(self.root, "xvfb.log"), "wb") as log:
            xvfb = subprocess.Popen([XVFB_SERVER, self.screen], stdout=subprocess.PIPE,
                                    stderr=log, preexec_fn=die_with_harness)
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + DEADLINE
        with xvfb.stdout as pipe:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([pipe], [], [], max(left, 0))
                chunk = os.read(pipe.fileno(), 16) if ready else b""
                if not chunk:
                    raise Failure("Xvfb did not report its display")
                number += chunk
        self.display = ":" + number.decode().strip()

        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE",
                     "QT_SCALE_FACTOR", "XAUTHORITY"):
            env.pop(name, None)
        env.update(DISPLAY=self.display, XDG_RUNTIME_DIR=runtime)
        self.env = env

    # --- processes -------------------------------------------------------

    def start(self, argv, cwd, name, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        with open(os.path.join(self.root, name + ".log"), "wb") as log:
            proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=subprocess.STDOUT,
                                    preexec_fn=die_with_harness)
        self.processes.append(proc)
        return proc

    def start_quillo(self, cwd, program=None, extra_env=None):
        return self.start([program or self.quillo], cwd, "quillo", extra_env)

    def native(self, path):
        """A path as the program under test writes it."""
        return path

    @contextlib.contextmanager
    def scaled(self, scale):
        """The environment of a program started meanwhile on a screen at
        scale (such as "1.5" for 150 %), or at 100 % for None."""
        yield {"QT_SCALE_FACTOR": scale} if scale else {}

    def x(self, *argv, timeout=DEADLINE):
        """Runs an X client tool against this session's display."""
        try:
            done = subprocess.run(list(argv), env=self.env, capture_output=True,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{argv[0]} did not finish within {timeout} s")
        return done.returncode, done.stdout.decode("utf-8", "replace")

    def xdo(self, *argv):
        """One xdotool command that must succeed."""
        code, _ = self.x("xdotool", *argv)
        check(code == 0, f"xdotool {' '.join(argv)} failed")

    def dump_logs(self):
        for entry in sorted(os.listdir(self.root)):
            if entry.endswith(".log"):
                with open(os.path.join(self.root, entry), "rb") as f:
                    text = f.read().decode("utf-8", "replace").strip()
                if text:
                    print(f"--- {entry}\n{text[-6000:]}", file=sys.stderr)

    # --- windows ---------------------------------------------------------

    def search(self, *criteria):
        """The visible windows that xdotool finds by criteria. A window that
        ends while xdotool looks at it ends xdotool too, on an X error and
        with nothing found, so such a search is made again."""
        argv = ["xdotool", "search", "--onlyvisible", *criteria]

        def searched():
            try:
                done = subprocess.run(argv, env=self.env, capture_output=True, timeout=DEADLINE)
            except subprocess.TimeoutExpired:
                raise Failure(f"xdotool search did not finish within {DEADLINE} s")
            return None if b"X Error" in done.stderr else [[int(w) for w in done.stdout.split()]]
        return wait_until("a search that no window's end cut short", searched)[0]

    def visible_windows(self, proc, title=None):
        # xdotool takes a regular expression: the title's own characters match
        # only themselves.
        return self.search("--all", "--pid", str(proc.pid), "--name",
                           "^" + re.sub(r"([][.()*+?{}|^$\\])", r"\\\1", title) + "$"
                           if title else "")

    def wait_window(self, proc, title, timeout=DEADLINE):
        def probe():
            check(proc.poll() is None,
                  f"the program exited with {proc.returncode} before showing '{title}'")
            found = self.visible_windows(proc, title)
            return found[0] if found else None
        return wait_until(f"a window titled '{title}'", probe, timeout)

    def open_app(self, argv, name, title, env):
        """A program started, once its window shows: process, window, middle."""
        proc = self.start(argv, self.root, name, env)
        window = self.wait_window(proc, title)
        x, y, width, height = self.geometry(window)
        return proc, window, (x + width // 2, y + height // 2)

    def geometry(self, window):
        code, out = self.x("xwininfo", "-id", str(window))
        check(code == 0, f"xwininfo failed on window {window}")
        fields = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        return tuple(int(fields[k]) for k in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def frame(self, window, title):
        """The window's frame (x, y, width, height) and whether it is kept on
        top. With no window manager the X window is the whole of it."""
        _, state = self.x("xprop", "-id", str(window), "_NET_WM_STATE")
        return self.geometry(window), "_NET_WM_STATE_ABOVE" in state

    def client_size(self, window, title):
        """The width and height inside the window's frame."""
        return self.geometry(window)[2:]

    def focus(self, window, point=None):
        """Gives window (whose middle is at point) the keyboard focus and
        waits until it has it."""
        self.xdo("windowfocus", str(window))
        wait_until("the keyboard focus", lambda: self.x("xdotool", "getwindowfocus")[1].strip()
                   == str(window))

    def clipboard_after_copy(self, window, expected, timeout=DEADLINE):
        """Presses Ctrl+C in window and returns the clipboard once it holds
        expected: the text of a message box, as the program copies it."""
        self.focus(window)
        self.xdo("key", "ctrl+c")

        def probe():
            code, text = self.x("xclip", "-selection", "clipboard", "-o")
            text = text.replace("\r\n", "\n")
            return text if code == 0 and expected in text else None
        return wait_until(f"the clipboard to hold {expected!r}", probe, timeout)

    def wait_drawn(self, window, timeout=DEADLINE):
        """Waits until the window's menu bar is drawn. The program draws only
        once it is back in its event loop: after loading, or in the loop of
        its error report, which is then already on screen."""
        def probe():
            x, y, _, _ = self.geometry(window)
            return self.screenshot().pixel(x + 2, y + 2) not in (b"\0\0\0", b"")
        wait_until("the main window to be drawn", probe, timeout)

    def screenshot(self):
        """The whole screen, 8 bits a channel."""
        width = int(self.screen.split("x")[0])
        try:
            shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                  env=self.env, capture_output=True, timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            raise Failure("import did not finish")
        check(shot.returncode == 0, "import failed: " + shot.stderr.decode(errors="replace"))
        return Image(width, shot.stdout)

    # --- pointer and keys ----------------------------------------------------
    # One xdotool call per step with a pause between: chained in one call, the
    # button is up again before the drag has started.

    def move(self, x, y, pause=0.05):
        self.xdo("mousemove", str(round(x)), str(round(y)))
        time.sleep(pause)

    def press(self, down):
        """The left button down, or up again."""
        self.xdo("mousedown" if down else "mouseup", "1")

    def click(self, x, y):
        self.move(x, y, pause=0.1)
        self.press(True)
        self.press(False)
        time.sleep(0.1)

    def key(self, keys):
        """Presses keys as xdotool names them (ctrl+s)."""
        self.xdo("key", keys)

    def hold(self, key, down):
        """A key down, or up again."""
        self.xdo("keydown" if down else "keyup", key)

    def drag(self, start, end, arrived, steps=10, started=None):
        """Presses at start, moves to end and lets go once arrived() says the
        drag has reached its target: under load the program may start the
        drag after the pointer is already there, and a button let go before
        that would drop nothing. The pointer nudges meanwhile, since a drag
        hears of the pointer only when it moves. With started(), the pointer
        first stays beside start until the drag has begun: under XWayland a
        drag that begins over a window native on Wayland goes nowhere."""
        self.move(*start)
        self.press(True)
        time.sleep(0.05)
        if started:
            nudge = 0

            def begun():
                nonlocal nudge
                nudge = 1 - nudge
                self.move(start[0] + 15 + nudge, start[1])
                return started()
            wait_until("the drag to begin", begun)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i / steps,
                      start[1] + (end[1] - start[1]) * i / steps)
        nudge = 0

        def probe():
            nonlocal nudge
            nudge = 1 - nudge
            self.move(end[0] + nudge, end[1])
            return arrived()
        wait_until("the drag to reach its target", probe)
        self.press(False)
        time.sleep(0.05)


class Image:
    """Pixels, 3 bytes each, width to a row: the screen, or a region of it."""

    def __init__(self, width, rgb):
        self.width = width
        self.rgb = rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i:i + 3]

    def region(self, x, y, w, h):
        return Image(w, b"".join(self.rgb[((y + r) * self.width + x) * 3:
                                          ((y + r) * self.width + x + w) * 3]
                                 for r in range(h)))

    def columns_differing_from(self, other):
        return sorted({(i // 3) % self.width for i in range(0, len(self.rgb), 3)
                       if self.rgb[i:i + 3] != other.rgb[i:i + 3]})

    def same_but_cursor(self, other):
        """Equal but for the text cursor, which blinks once the box has the
        focus: at most two neighbouring columns may differ."""
        columns = self.columns_differing_from(other)
        return not columns or columns[-1] - columns[0] <= 1


def stop(proc):
    """Ends proc: asked to, or killed if it is still there 3 s later."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=3)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=DEADLINE)


def wait_exit(proc, timeout=DEADLINE):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"the program was still running {timeout:.0f} s later")


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_data(directory, lines, encoding="utf-8"):
    """data.txt as the Windows editor writes it: CR LF line ends, in UTF-8
    or in its "Unicode", UTF-16 little-endian after the mark FF FE."""
    path = os.path.join(directory, "data.txt")
    text = "".join(line + "\r\n" for line in lines)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le") if encoding == "utf-16" else
                text.encode(encoding))
    return path


def box_rows(session, main_window, image):
    """Top and bottom screen rows of each box in view that shows a title, from
    the light cyan runs down a column near the right end of the boxes, where
    short titles leave the background bare."""
    left, top, width, height = session.geometry(main_window)
    column = left + width * 100 // 132
    rows, start = [], None
    for y in range(top, top + height):
        cyan = image.pixel(column, y) == LIGHT_CYAN
        if cyan and start is None:
            start = y
        elif not cyan and start is not None:
            rows.append((start, y - 1))
            start = None
    if start is not None:
        rows.append((start, top + height - 1))  # a box cut off by the window's bottom
    return rows


def wait_rows(session, main_window, wanted, what):
    """A screenshot, and the box rows in it, once their number is as wanted."""
    def probe():
        image = session.screenshot()
        rows = box_rows(session, main_window, image)
        return (image, rows) if wanted(len(rows)) else None
    return wait_until(what, probe)


def wait_steady(session, area, wanted, what, timeout=DEADLINE):
    """The picture of a screen area once it is as wanted and the same in two
    screenshots in a row: a first hover over a long content takes a while."""
    last = None

    def probe():
        nonlocal last
        shot = session.screenshot().region(*area)
        steady = last is not None and shot.same_but_cursor(last)
        last = shot
        return shot if steady and wanted(shot) else None
    return wait_until(what, probe, timeout)


def snapshot(path):
    """What is at path: a link's target, a directory's listing, a file's hash,
    some other kind of file, or nothing. A pipe or a device is never opened."""
    if os.path.islink(path):
        return ("link", os.readlink(path))
    if not os.path.exists(path):
        return ("absent",)
    if os.path.isdir(path):
        return ("directory", sorted(os.listdir(path)))
    if not stat.S_ISREG(os.stat(path).st_mode):
        return ("special", stat.S_IFMT(os.stat(path).st_mode))
    with open(path, "rb") as f:
        return ("file", hashlib.sha256(f.read()).hexdigest())


def check_running(proc, when=""):
    check(proc.poll() is None, f"the program ended ({proc.returncode}){when}")


def prepare_run(s, data, encoding="utf-8"):
    """The folder the program starts in, with its data.txt: lines, written as
    write_data writes them, or made by a function of its path. The session
    checks at its end that the program left the file as it was."""
    work = os.path.join(s.root, "run")
    os.makedirs(work, exist_ok=True)
    path = os.path.join(work, "data.txt")
    if callable(data):
        data(path)
    else:
        write_data(work, data, encoding)
    s.data_files.append((path, snapshot(path)))
    return work


def start_on(s, data, encoding="utf-8", program=None, extra_env=None, drawn=True):
    """The program (or a copy at program) started on data (as prepare_run
    takes it), and its main window once shown, and drawn unless told not to
    wait for that."""
    work = prepare_run(s, data, encoding)
    quillo = s.start_quillo(work, program, extra_env)
    window = s.wait_window(quillo, MAIN_TITLE)
    if drawn:
        s.wait_drawn(window)
    return quillo, window


def reveal(s, window, image, row):
    """Hovers over the box at row (its top and bottom on screen) until it shows
    its content, which image shows it does not yet; returns the box's area on
    screen, the point hovered and the box's picture then."""
    left = s.geometry(window)[0]
    top, bottom = row
    area = (left, top, 106, bottom - top + 1)
    point = (left + 40, (top + bottom) // 2)
    s.move(point[0] - 4, point[1])
    s.move(*point)
    shown = wait_steady(s, area, lambda shot: not shot.same_but_cursor(image.region(*area)),
                        "the hover to show the content")
    return area, point, shown


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
    return wait_until("the three captions of the menu bar", probe)


def wait_popup(session, quillo, main_window):
    """The program's popup menu, once it is shown."""
    def popup():
        found = [w for w in session.visible_windows(quillo) if w != main_window]
        return found[0] if found else None
    return wait_until("the menu to open", popup)


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
