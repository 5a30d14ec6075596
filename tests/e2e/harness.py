"""What the end-to-end tests share: a session of the real program under an
X server, driven only from outside, with every wait bounded.
"""

import ctypes
import hashlib
import os
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

# A sanitizer build starts several times slower than a normal one.
START_TIMEOUT = 30.0
EXIT_TIMEOUT = 15.0
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


def wait_until(what, probe, timeout):
    """Calls probe until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL)


class Session:
    """One Xvfb, a scratch directory and every process the case starts."""

    def __init__(self, args, screen="1024x768x24"):
        self.quillo = os.path.abspath(args.quillo)
        self.receiver = args.receiver and os.path.abspath(args.receiver)
        self.screen = screen
        self.processes = []
        self.root = tempfile.mkdtemp(prefix="quillo-e2e-")
        self.display = None
        self.env = None
        # With a window manager, windows have frames and a stacking order.
        self.window_manager = getattr(args, "window_manager", None)
        self.stacking = bool(self.window_manager)

    def __enter__(self):
        try:
            self._start_xvfb()
            if self.window_manager:
                self._start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, value, trace):
        for proc in reversed(self.processes):
            stop(proc)
        if kind is not None:
            self.dump_logs()
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    def _start_xvfb(self):
        # The project's one way to start an X server: on a free display,
        # which it names on its output once it takes clients.
        with open(os.path.join(self.root, "xvfb.log"), "wb") as log:
            xvfb = subprocess.Popen([XVFB_SERVER, self.screen], stdout=subprocess.PIPE,
                                    stderr=log, preexec_fn=die_with_harness)
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + 10
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

    def _start_window_manager(self):
        """Openbox with its default settings, not the user's; it has taken
        the screen once the root names its check window."""
        env = {"XDG_CONFIG_HOME": os.path.join(self.root, "config"), "HOME": self.root}
        manager = self.start([self.window_manager, "--sm-disable"], self.root,
                             "window-manager", env)

        def running():
            check(manager.poll() is None, f"{self.window_manager} ended ({manager.returncode})")
            return "window id #" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")[1]
        wait_until(f"{self.window_manager} to take the screen", running, 10)

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

    def x(self, *argv, timeout=10):
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

    def visible_windows(self, proc, title=None):
        argv = ["xdotool", "search", "--all", "--onlyvisible", "--pid", str(proc.pid)]
        argv += ["--name", f"^{title}$"] if title else ["--name", ""]
        _, out = self.x(*argv)
        return [int(line) for line in out.split()]

    def wait_window(self, proc, title, timeout=START_TIMEOUT):
        def probe():
            check(proc.poll() is None,
                  f"the program exited with {proc.returncode} before showing '{title}'")
            found = self.visible_windows(proc, title)
            return found[0] if found else None
        return wait_until(f"a window titled '{title}'", probe, timeout)

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
        top. With no window manager the X window is the whole of it; a window
        manager says how far its frame reaches beyond it."""
        _, state = self.x("xprop", "-id", str(window), "_NET_WM_STATE")
        x, y, width, height = self.geometry(window)
        if self.window_manager:
            _, out = self.x("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
            check(" = " in out, f"{self.window_manager} sets no _NET_FRAME_EXTENTS")
            left, right, top, bottom = (int(v) for v in out.split(" = ")[1].split(","))
            x, y, width, height = x - left, y - top, width + left + right, height + top + bottom
        return (x, y, width, height), "_NET_WM_STATE_ABOVE" in state

    def above(self, proc, upper, lower):
        """Whether the window titled upper lies above the one titled lower,
        in the window manager's stacking order (bottom first)."""
        _, out = self.x("xprop", "-root", "_NET_CLIENT_LIST_STACKING")
        order = [int(v, 16) for v in out.split("#")[-1].replace(",", " ").split()]
        upper_window = self.wait_window(proc, upper)
        lower_window = self.wait_window(proc, lower)
        check(upper_window in order and lower_window in order,
              f"'{upper}' or '{lower}' is missing from the stacking order")
        return order.index(upper_window) > order.index(lower_window)

    def client_size(self, window, title):
        """The width and height inside the window's frame."""
        return self.geometry(window)[2:]

    def focus(self, window):
        """Gives window the keyboard focus and waits until it has it."""
        self.xdo("windowfocus", str(window))
        wait_until("the keyboard focus", lambda: self.x("xdotool", "getwindowfocus")[1].strip()
                   == str(window), 10)

    def clipboard_after_copy(self, window, expected, timeout=10):
        """Presses Ctrl+C in window and returns the clipboard once it holds
        expected: the text of a message box, as the program copies it."""
        self.focus(window)
        self.xdo("key", "ctrl+c")

        def probe():
            code, text = self.x("xclip", "-selection", "clipboard", "-o")
            text = text.replace("\r\n", "\n")
            return text if code == 0 and expected in text else None
        return wait_until(f"the clipboard to hold {expected!r}", probe, timeout)

    def wait_drawn(self, window, timeout=START_TIMEOUT):
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
                                  env=self.env, capture_output=True, timeout=15)
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

    def click(self, x, y):
        self.move(x, y, pause=0.1)
        self.xdo("click", "1")
        time.sleep(0.1)

    def drag(self, start, end, arrived, steps=10):
        """Presses at start, moves to end and lets go once arrived() says the
        drag has reached its target: under load the program may start the
        drag after the pointer is already there, and a button let go before
        that would drop nothing. The pointer nudges meanwhile, since a drag
        hears of the pointer only when it moves."""
        self.move(*start)
        self.xdo("mousedown", "1")
        time.sleep(0.05)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i / steps,
                      start[1] + (end[1] - start[1]) * i / steps)
        nudge = 0

        def probe():
            nonlocal nudge
            nudge = 1 - nudge
            self.move(end[0] + nudge, end[1])
            return arrived()
        wait_until("the drag to reach its target", probe, 30)
        self.xdo("mouseup", "1")
        time.sleep(0.05)


class Image:
    def __init__(self, width, rgb):
        self.width = width
        self.rgb = rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i:i + 3]

    def region(self, x, y, w, h):
        return Region(w, b"".join(self.rgb[((y + r) * self.width + x) * 3:
                                           ((y + r) * self.width + x + w) * 3]
                                  for r in range(h)))


class Region:
    def __init__(self, width, rgb):
        self.width = width
        self.rgb = rgb

    def columns_differing_from(self, other):
        return sorted({(i // 3) % self.width for i in range(0, len(self.rgb), 3)
                       if self.rgb[i:i + 3] != other.rgb[i:i + 3]})

    def same_but_cursor(self, other):
        """Equal but for the text cursor, which blinks once the box has the
        focus: at most two neighbouring columns may differ."""
        columns = self.columns_differing_from(other)
        return not columns or columns[-1] - columns[0] <= 1


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=3)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=3)


def wait_exit(proc, timeout=EXIT_TIMEOUT):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"the program was still running {timeout:.0f} s later")


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
    return wait_until(what, probe, 10)


def wait_steady(session, area, wanted, what, timeout=10):
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
    if os.path.exists(path) and not stat.S_ISREG(os.stat(path).st_mode) \
            and not os.path.isdir(path):
        return ("special", stat.S_IFMT(os.stat(path).st_mode))
    if os.path.isdir(path):
        return ("directory", sorted(os.listdir(path)))
    if os.path.exists(path):
        with open(path, "rb") as f:
            return ("file", hashlib.sha256(f.read()).hexdigest())
    return ("absent",)


class WineSession(Session):
    """quillo.exe under Wine, on the X server and in the Wine prefix that the
    test stage set up for all its cases: Wine's desktop process, which carries
    the clipboard, serves one display only. Windows are found by the process
    id that Wine gives them; a window's frame, which Windows draws nowhere
    without a window manager, comes from the probe."""

    def __init__(self, args):
        super().__init__(args)
        self.probe = os.path.abspath(args.probe)
        self.stacking = True

    def _start_xvfb(self):
        check(os.environ.get("DISPLAY"), "the Wine cases run on the stage's X server, "
              "and DISPLAY is not set")
        self.display = os.environ["DISPLAY"]
        self.env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "QT_SCALE_FACTOR"):
            self.env.pop(name, None)
        _, info = self.x("xdpyinfo")
        self.screen = next(line.split()[1] for line in info.splitlines()
                           if line.strip().startswith("dimensions:"))
        self.close_windows()

    def __exit__(self, kind, value, trace):
        super().__exit__(kind, value, trace)
        self.close_windows()
        return False

    def close_windows(self):
        """Ends whatever still shows a window, such as an editor the program
        started: the next case must find the screen bare."""
        _, out = self.x("xdotool", "search", "--onlyvisible", "--name", ".")
        for window in out.split():
            _, pid = self.x("xdotool", "getwindowpid", window)
            if pid.strip().isdigit():
                try:
                    os.kill(int(pid), signal.SIGKILL)
                except ProcessLookupError:
                    pass

    def start(self, argv, cwd, name, extra_env=None):
        if argv[0].lower().endswith(".exe"):
            argv = ["wine"] + list(argv)
        return super().start(argv, cwd, name, extra_env)

    def native(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def frame(self, window, title):
        code, out = self.x("wine", self.probe, title)
        check(code == 0, f"the probe found no window titled '{title}'")
        x, y, width, height, _, _, topmost, _ = (int(v) for v in out.split())
        return (x, y, width, height), topmost == 1

    def above(self, proc, upper, lower):
        """Whether Windows' z-order puts the window titled upper above the
        one titled lower, as the probe finds it going down from upper."""
        code, _ = self.x("wine", self.probe, upper, lower)
        check(code in (0, 3), f"the probe found no window titled '{upper}' or '{lower}'")
        return code == 0

    def client_size(self, window, title):
        code, out = self.x("wine", self.probe, title)
        check(code == 0, f"the probe found no window titled '{title}'")
        return tuple(int(v) for v in out.split()[4:6])

    def reg(self, *argv):
        """One change to the prefix's registry, through Wine's reg.exe."""
        code, _ = self.x("wine", "reg", *argv, "/f", timeout=30)
        check(code == 0, f"reg {' '.join(argv)} failed")
