"""quillo.exe under Wine: the session on the test stage's X server and Wine
prefix, and the cases that only Windows has (DLLs planted beside the
program). The other cases run under Wine as on Linux (--wine).
"""

import contextlib
import os
import shutil
import signal

from boxes import DRAG_ENTRIES, drag_to_receiver, start_with_receiver, wait_drop
from harness import Session, check, check_running, wait_rows
from menus import open_dialog


class WineSession(Session):
    """quillo.exe under Wine, on the X server and in the Wine prefix that the
    test stage set up for all its cases: Wine's desktop process, which carries
    the clipboard, serves one display only. Windows are found by the process
    id that Wine gives them; a window's frame, which Windows draws nowhere
    without a window manager, comes from the probe."""

    stacking = True

    def __init__(self, args, screen=None):
        super().__init__(args)
        self.probe = os.path.abspath(args.probe)

    def _open_display(self):
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
        try:
            return super().__exit__(kind, value, trace)
        finally:
            self.close_windows()

    def close_windows(self):
        """Ends whatever still shows a window, such as an editor the program
        started: the next case must find the screen bare."""
        for window in self.search("--name", "."):
            _, pid = self.x("xdotool", "getwindowpid", str(window))
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

    @contextlib.contextmanager
    def scaled(self, scale):
        """Windows reads the screen's scale from the registry (dots per inch)."""
        desktop = r"HKEY_CURRENT_USER\Control Panel\Desktop"
        if scale:
            self.reg("add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                     str(round(96 * float(scale))))
        try:
            yield {}
        finally:
            if scale:
                self.reg("delete", desktop, "/v", "LogPixels")

    def probed(self, title):
        """What the probe says of the window titled title: its frame (x, y,
        width, height), its client's width and height, topmost and more."""
        code, out = self.x("wine", self.probe, title)
        check(code == 0, f"the probe found no window titled '{title}'")
        return [int(v) for v in out.split()]

    def frame(self, window, title):
        x, y, width, height, _, _, topmost, _ = self.probed(title)
        return (x, y, width, height), topmost == 1

    def above(self, proc, upper, lower):
        """Whether Windows' z-order puts the window titled upper above the
        one titled lower, as the probe finds it going down from upper."""
        code, _ = self.x("wine", self.probe, upper, lower)
        check(code in (0, 3), f"the probe found no window titled '{upper}' or '{lower}'")
        return code == 0

    def client_size(self, window, title):
        return tuple(self.probed(title)[4:6])

    def reg(self, *argv):
        """One change to the prefix's registry, through Wine's reg.exe."""
        code, _ = self.x("wine", "reg", *argv, "/f")
        check(code == 0, f"reg {' '.join(argv)} failed")


def case_planted_dlls(args, session):
    """quillo.exe started in a folder of downloads that also holds DLLs named
    like system ones, which forward to the real ones and leave NAME.dll.ran
    when loaded (tests/wine/planted_dll.cpp). Told to prefer them, as Windows
    would, Wine loads none into the program while it starts, reveals a box,
    drops its content and shows the about box."""
    check(args.wine and args.planted, "planted-dlls runs under Wine, with --planted")
    planted = [name for name in os.listdir(args.planted) if name.endswith(".dll")]
    check(planted, f"no DLLs in {args.planted}")
    title, content = DRAG_ENTRIES[0]
    with session() as s:
        work = os.path.join(s.root, "run")
        os.mkdir(work)
        for name in planted:
            shutil.copy(os.path.join(args.planted, name), work)
        overrides = ",".join(name[:-4] for name in planted) + "=n,b"
        drops, _, quillo, window = start_with_receiver(
            s, [f"{title}={content}"], program=shutil.copy(s.quillo, work),
            extra_env={"WINEDLLOVERRIDES": overrides})
        _, rows = wait_rows(s, window, lambda n: n == 1, "the box in view")
        grab = (s.geometry(window)[0] + 40, sum(rows[0]) // 2)
        drag_to_receiver(s, drops, grab)
        check(wait_drop(drops, 1)[0] == content, "the drop differs from the content")
        open_dialog(s, quillo, window, "about")
        check_running(quillo)
        ran = [name for name in os.listdir(work) if name.lower().endswith(".ran")]
        check(not ran, f"DLLs from the program's folder ran inside it: {ran}")
