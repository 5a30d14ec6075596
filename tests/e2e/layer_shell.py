"""KWin's and sway's Wayland sessions, headless, whose compositors offer the
layer shell: the program runs native on Wayland there, its windows layer
surfaces and its menus their popups (where it has no such support, on
XWayland, and the X server is asked about its windows as elsewhere).

A layer surface has no place the X server or the compositor's window list
knows. The program's own protocol log (WAYLAND_DEBUG) names each surface
(its namespace, its window's title), the layer and the corner and margins it
asked for, and the size and popup places the compositor gave it; where the
window stands on screen is read off the compositor's screenshot."""

import dataclasses
import os
import re
import shutil
import subprocess

from harness import DEADLINE, Image, Session, check, die_with_harness, wait_until
from receivers import XdndWatch
from wayland_session import SCREEN, WaylandSession
from window_managers import ManagedSession

LINE = re.compile(rb"(-> )?(?:\{[^}]*\} )?(\w+@\d+)\.(\w+)\((.*)\)$")
ARGUMENT = re.compile(rb'\s*(?:(")((?:[^"\\]|\\.)*)"|([^,]+))')
TOP, BOTTOM, LEFT, RIGHT = 1, 2, 4, 8  # the anchors
TOP_LAYER = 2
# The frame the program draws around a window where the compositor draws none
# (platform/caption_frame.h): left, top, right, bottom.
FRAME = (1, 20, 1, 1)


@dataclasses.dataclass(frozen=True)
class Surface:
    """A window of the program native on Wayland: a layer surface or a popup,
    known by its object and the log line that made it (ids are reused)."""
    name: str
    made_at: int


@dataclasses.dataclass
class SurfaceState:
    name: str = ""  # a layer surface's namespace: its window's title
    layer: int = 0
    parent: Surface = None
    anchor: int = 0
    margins: tuple = (0, 0, 0, 0)  # top, right, bottom, left
    place: tuple = (0, 0)  # a popup's, from its parent's corner
    size: tuple = (0, 0)
    asked: tuple = (0, 0)  # 0: the compositor's choice

    def shown(self):
        """Configured, at the size last asked for: a dialog asks for its
        content's size first and then for its frame's."""
        return self.size != (0, 0) and all(a in (0, s) for a, s in zip(self.asked, self.size))


def surfaces(log):
    """Each surface alive at the end of a protocol log, and its state."""
    alive, objects = {}, {}  # surface: state; object: surface
    for number, line in enumerate(log.splitlines()):
        found = LINE.search(line)
        if not found:
            continue
        request, target, message, rest = ((g or b"").decode() for g in found.groups())
        args = [text.decode(errors="replace") if quote else word.decode().split()[-1]
                for quote, text, word in ARGUMENT.findall(found[4])]
        surface = objects.get(target)
        if request and rest.startswith("new id ") and message in ("get_layer_surface",
                                                                   "get_popup"):
            objects[args[0]] = Surface(args[0], number)
            alive[objects[args[0]]] = SurfaceState(*(args[4], int(args[3])) if len(args) == 5
                                                   else ())
        elif surface not in alive:
            continue
        elif request and message == "get_popup":  # a layer surface's popup
            alive[objects[args[0]]].parent = surface
        elif request and message == "destroy":
            del alive[surface]
        elif request and message == "set_anchor":
            alive[surface].anchor = int(args[0])
        elif request and message == "set_size":
            alive[surface].asked = (int(args[0]), int(args[1]))
        elif request and message == "set_margin":
            alive[surface].margins = tuple(int(a) for a in args)
        elif message == "configure" and len(args) == 4:  # a popup's
            alive[surface].place = (int(args[0]), int(args[1]))
            alive[surface].size = (int(args[2]), int(args[3]))
        elif message == "configure" and len(args) == 3:
            alive[surface].size = (int(args[1]), int(args[2]))
    return alive


class DragWatch(XdndWatch):
    """The drags the program starts (on Wayland, or on XWayland), and the
    receivers' acceptances, which their own protocol logs tell."""

    def __init__(self, s):
        super().__init__(s)
        self.s = s

    def started(self):
        with open(os.path.join(self.s.root, "quillo.log"), "rb") as log:
            return super().started() + log.read().count(b".start_drag(")

    def accepted(self):
        count = 0
        for name in os.listdir(self.s.root):
            if name.endswith(".log") and name != "quillo.log":
                with open(os.path.join(self.s.root, name), "rb") as log:
                    count += len(re.findall(rb"-> wl_data_offer@\d+\.accept\(\d+, \"", log.read()))
        return count


class LayerShellSession(WaylandSession, ManagedSession):
    """What the KWin and sway sessions share: the program's windows, native or
    on XWayland (where the X server tells frames and stacking as under a
    window manager), and the drags it starts either way."""

    drag_watch = DragWatch

    def __init__(self, args, **options):
        super().__init__(args, **options)
        check(args.input_driver, "--input-driver is needed in a Wayland session")
        self.input_driver = args.input_driver

    def _open_display(self):
        """The compositor with its Xwayland, and the driver of its input."""
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
        self.env.update(XDG_RUNTIME_DIR=runtime, XDG_SESSION_TYPE="wayland")
        self.start_compositor_with_xwayland()
        self.display = self.env["DISPLAY"]
        self.start_driver([self.input_driver, str(SCREEN[0]), str(SCREEN[1])])

    def ready(self, path):
        """What the compositor's session writes to path once Xwayland is up."""
        wait_until(f"{self.window_manager} and Xwayland",
                   lambda: self.compositor_log() is not None and os.path.exists(path))
        with open(path) as f:
            return f.read()

    def start_quillo(self, cwd, program=None, extra_env=None):
        return super().start_quillo(cwd, program, dict(extra_env or {}, WAYLAND_DEBUG="1"))

    def native(self, window=None):
        with open(os.path.join(self.root, "quillo.log"), "rb") as log:
            alive = surfaces(log.read())
        return alive if window is None else alive.get(window)

    def visible_windows(self, proc, title=None):
        native = [s for s, state in self.native().items()
                  if title in (None, state.name) and state.shown()]
        return native or super().visible_windows(proc, title)

    def geometry(self, window):
        """The window inside its frame, as the X server tells it of X windows."""
        if not isinstance(window, Surface):
            return super().geometry(window)
        x, y, width, height = self.surface_area(window)
        if self.native(window).parent:  # a menu, unframed
            return x, y, width, height
        left, top, right, bottom = FRAME
        return x + left, y + top, width - left - right, height - top - bottom

    def surface_area(self, window):
        state = self.native(window)
        check(state, f"the program's surface {window} is gone")
        (width, height), (top, right, bottom, left) = state.size, state.margins
        if state.parent:
            x, y, _, _ = self.surface_area(state.parent)
            return (x + state.place[0], y + state.place[1], width, height)
        x = left if state.anchor & LEFT else SCREEN[0] - width - right \
            if state.anchor & RIGHT else (SCREEN[0] - width) // 2
        y = top if state.anchor & TOP else SCREEN[1] - height - bottom \
            if state.anchor & BOTTOM else (SCREEN[1] - height) // 2
        return (x, y, width, height)

    def frame(self, window, title):
        """Where the window shows on screen, and whether it is kept on top:
        a layer surface in the top layer or above, an X window as its window
        manager says."""
        if not isinstance(window, Surface):
            return super().frame(window, title)
        return self.on_screen(self.surface_area(window)), self.native(window).layer >= TOP_LAYER

    def on_screen(self, expected):
        """The bounds of what is drawn around the middle of the expected area,
        out to the background, which the screen's bottom-left corner shows."""
        shot = self.screenshot()
        background = shot.pixel(0, SCREEN[1] - 1)
        start = (expected[0] + expected[2] // 2, expected[1] + expected[3] // 2)
        seen, todo = {start}, [start]
        while todo:
            x, y = todo.pop()
            for near in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if near not in seen and 0 <= near[0] < SCREEN[0] and 0 <= near[1] < SCREEN[1] \
                        and shot.pixel(*near) != background:
                    seen.add(near)
                    todo.append(near)
        xs, ys = [x for x, _ in seen], [y for _, y in seen]
        return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)

    def client_size(self, window, title):
        return self.geometry(window)[2:]

    def above(self, proc, upper, lower):
        """A layer surface is above another in a higher layer or, in the same
        one, made later."""
        found = {state.name: (state.layer, s.made_at) for s, state in self.native().items()}
        if upper not in found or lower not in found:
            return super().above(proc, upper, lower)
        return found[upper] > found[lower]

    def focus(self, window, point=None):
        if point is None and not isinstance(window, Surface):
            return Session.focus(self, window)
        x, y, width, height = self.geometry(window) if point is None else (*point, 0, 0)
        self.click(x + width // 2, y + height // 2)


class KWinSession(LayerShellSession):
    """KWin 5.27 with Xwayland. Its input and screenshot interfaces are for
    trusted programs only; the checks are off here, in a session of the
    case's own. Every new window is maximised, so receivers take the middle."""

    window_manager = "kwin_wayland"

    def start_compositor_with_xwayland(self):
        ready = os.path.join(self.root, "ready")
        config = os.path.join(self.root, "config")
        os.mkdir(config)
        with open(os.path.join(config, "kwinrc"), "w") as f:
            f.write("[Windows]\nPlacement=Maximizing\n")
        with open(ready + ".sh", "w") as f:  # run once Xwayland is up
            f.write(f'#!/bin/sh\necho "$DISPLAY $DBUS_SESSION_BUS_ADDRESS" >{ready}.tmp &&'
                    f' mv {ready}.tmp {ready}\n')
        os.chmod(ready + ".sh", 0o755)
        self.env.update(HOME=self.root, XDG_CONFIG_HOME=config, WAYLAND_DISPLAY="wayland-quillo",
                        KWIN_WAYLAND_NO_PERMISSION_CHECKS="1",
                        KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        # The packaged binary carries a file capability that a container may
        # refuse to run; a plain copy has none.
        kwin = shutil.copy(shutil.which("kwin_wayland"), self.root)
        self.start_compositor(["dbus-run-session", "--", kwin, "--virtual", "--xwayland",
                               "--width", str(SCREEN[0]), "--height", str(SCREEN[1]),
                               "--socket", "wayland-quillo", ready + ".sh"], self.env,
                              self.env["XDG_RUNTIME_DIR"])
        self.env["DISPLAY"], self.env["DBUS_SESSION_BUS_ADDRESS"] = self.ready(ready).split()

    def screenshot(self):
        if not getattr(self, "shooter", None):
            self.shooter = subprocess.Popen(["/usr/bin/python3", "-c", KWIN_SCREENSHOT],
                                            env=self.env, text=True, stdin=subprocess.PIPE,
                                            stdout=subprocess.PIPE, preexec_fn=die_with_harness)
            self.processes.append(self.shooter)
        path = os.path.join(self.root, "screen.bgra")
        self.shooter.stdin.write(path + "\n")
        self.shooter.stdin.flush()
        check(self.shooter.stdout.readline() == "ok\n", "KWin's screenshot failed")
        with open(path, "rb") as f:
            bgra = f.read()  # premultiplied, and opaque here
        rgb = bytearray(len(bgra) // 4 * 3)
        for channel, offset in ((0, 2), (1, 1), (2, 0)):
            rgb[channel::3] = bgra[offset::4]
        return Image(SCREEN[0], bytes(rgb))


# The screen from KWin's ScreenShot2 D-Bus interface, through a pipe, into the
# file named on each line read, as rows of 4-byte pixels (B, G, R, A).
KWIN_SCREENSHOT = """
import dbus, os, sys
shots = dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
for path in sys.stdin:
    read, write = os.pipe()
    info = shots.CaptureWorkspace({}, dbus.types.UnixFd(write),
                                  dbus_interface="org.kde.KWin.ScreenShot2")
    os.close(write)
    data = b"".join(iter(lambda: os.read(read, 1 << 20), b""))
    os.close(read)
    width, stride = int(info["width"]), int(info["stride"])
    with open(path.strip(), "wb") as f:
        f.write(b"".join(data[r:r + width * 4] for r in range(0, len(data), stride)))
    print("ok", flush=True)
"""


class SwaySession(LayerShellSession):
    """sway 1.7, headless, with Debian's default configuration and what the
    tests add: a black screen, 1024 x 768, and root's X programs let in.
    sway refuses to run as root: as root, the case runs it as nobody."""

    window_manager = "sway"

    def start_compositor_with_xwayland(self):
        home = os.path.join(self.root, "sway")  # its home and runtime folder
        os.mkdir(home, 0o700)
        ready = os.path.join(home, "ready")
        with open(os.path.join(home, "config"), "w") as f:
            f.write("include /etc/sway/config\noutput * bg #000000 solid_color\n"
                    f"output * mode {SCREEN[0]}x{SCREEN[1]}\n"
                    f"exec xhost +si:localuser:root && echo $DISPLAY >{ready}.tmp"
                    f" && mv {ready}.tmp {ready}\n")
        argv = ["sway", "-c", os.path.join(home, "config")]
        if os.geteuid() == 0:
            os.chmod(self.root, 0o711)
            shutil.chown(home, "nobody")
            argv = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                    "--pdeathsig=KILL", "--"] + argv
        self.start_compositor(argv, {"PATH": os.environ["PATH"], "HOME": home,
                                     "XDG_RUNTIME_DIR": home, "WLR_BACKENDS": "headless",
                                     "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"},
                              home)
        self.env["DISPLAY"] = self.ready(ready).strip()
        socket = next(n for n in os.listdir(home) if re.fullmatch(r"wayland-\d+", n))
        self.env["WAYLAND_DISPLAY"] = os.path.join(home, socket)

    def screenshot(self):
        done = subprocess.run(["grim", "-t", "ppm", "-"], env=self.env, capture_output=True,
                              timeout=DEADLINE)
        check(done.returncode == 0, "grim failed: " + done.stderr.decode(errors="replace"))
        return Image(SCREEN[0], done.stdout[-SCREEN[0] * SCREEN[1] * 3:])
