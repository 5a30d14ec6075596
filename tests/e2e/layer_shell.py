"""KWin's and sway's Wayland sessions, headless, where the program runs native,
each window a layer surface and each menu a popup of one. Only its protocol
log (WAYLAND_DEBUG) tells each one's title, layer, place (from the output's
corner, a popup's from its parent's) and size; the screenshot shows what is
drawn; the logs, the drags and drops."""

import contextlib
import os
import pathlib
import re
import shutil
import subprocess

from harness import DEADLINE, Image, check, wait_until
from wayland_session import SCREEN, WaylandSession

MESSAGE = re.compile(r"(-> )?(\w+@\d+)\.(\w+)\((.*)\)$", re.M)
# The frame the program draws (platform/caption_frame.h): left, top, right, bottom.
FRAME = (1, 20, 1, 1)
TOP_LAYER = 2


class Surface:
    """A window of the program; its size once configured."""

    def __init__(self, name="", layer="0"):
        self.name, self.layer, self.parent = name, int(layer), None
        self.place = self.size = (0, 0)

    def area(self):
        """Where it is on screen, frame included."""
        x, y, _, _ = self.parent.area() if self.parent else (0, 0, 0, 0)
        return (x + self.place[0], y + self.place[1], *self.size)


def surfaces(path):
    """The program's surfaces alive at the end of its protocol log, by object,
    oldest first."""
    alive = {}
    for request, target, message, rest in MESSAGE.findall(pathlib.Path(path).read_text(
            encoding="utf-8", errors="replace")):
        args = [a[7:] if a.startswith("new id ") else a.strip('"') for a in rest.split(", ")]
        surface = alive.get(target)
        if request and message == "get_layer_surface":
            alive[args[0]] = Surface(args[4], args[3])
        elif request and message == "get_popup" and rest.startswith("new id"):
            alive[args[0]] = Surface()
        elif not surface:
            continue
        elif request and message == "get_popup":  # the layer surface's popup
            alive[args[0]].parent = surface
        elif request and message == "destroy":
            del alive[target]
        elif request and message == "set_margin":  # top, right, bottom, left
            surface.place = (int(args[3]), int(args[0]))
        elif not request and message == "configure" and len(args) > 1:
            surface.size = tuple(map(int, args[-2:]))
            surface.place = tuple(map(int, args[:2])) if len(args) == 4 else surface.place
    return alive


class LayerShellSession(WaylandSession):
    """What the KWin and sway sessions share; each is its own watch of drags."""

    stacking = True
    drag_watch = contextlib.nullcontext

    def _open_display(self):
        """The compositor with its Xwayland, which writes its display (and bus)
        to the file ready, whole or not at all, and the driver of its input."""
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
        self.env.update(XDG_RUNTIME_DIR=runtime, XDG_SESSION_TYPE="wayland")
        ready = self.start_compositor_with_xwayland()
        wait_until(f"{self.window_manager} and Xwayland",
                   lambda: self.compositor_log() is not None and os.path.exists(ready))
        with open(ready) as f:
            self.display, *bus = f.read().split()
        self.env.update(DISPLAY=self.display, **{"DBUS_SESSION_BUS_ADDRESS": b for b in bus})
        self.start_driver([self.args.input_driver, str(SCREEN[0]), str(SCREEN[1])])

    def start_quillo(self, cwd, program=None, extra_env=None):
        return super().start_quillo(cwd, program, dict(extra_env or {}, WAYLAND_DEBUG="1"))

    def started(self):
        return pathlib.Path(self.root, "quillo.log").read_bytes().count(b".start_drag(")

    def accepted(self):  # in the receivers' logs
        return sum(len(re.findall(rb"-> wl_data_offer@\d+\.accept\(\d+, \"", log.read_bytes()))
                   for log in pathlib.Path(self.root).glob("*.log")
                   if log.stem not in ("quillo", "compositor"))

    def surface(self, key):
        alive = surfaces(os.path.join(self.root, "quillo.log"))
        check(key in alive, f"the program's surface {key} is gone")
        return alive[key]

    def visible_windows(self, proc, title=None):
        return [key for key, s in surfaces(os.path.join(self.root, "quillo.log")).items()
                if title in (None, s.name) and s.size[0]]

    def geometry(self, key):
        """The window inside its frame; a menu has none."""
        surface = self.surface(key)
        (x, y, width, height), (left, top, right, bottom) = surface.area(), \
            (0,) * 4 if surface.parent else FRAME
        return x + left, y + top, width - left - right, height - top - bottom

    def frame(self, key, title):
        """What is drawn in and around the window's area (the background
        shows in the screen's bottom left corner), and whether the window is
        kept on top: in the top layer or above."""
        shot, (x, y, width, height) = self.screenshot(), self.surface(key).area()
        drawn = [(px, py) for py in range(max(y - 20, 0), min(y + height + 20, SCREEN[1]))
                 for px in range(max(x - 20, 0), min(x + width + 20, SCREEN[0]))
                 if shot.pixel(px, py) != shot.pixel(0, SCREEN[1] - 1)]
        xs, ys = [px for px, _ in drawn], [py for _, py in drawn]
        return ((min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1),
                self.surface(key).layer >= TOP_LAYER)

    def above(self, proc, upper, lower):
        """In a higher layer, or in the same one made later."""
        order = {s.name: (s.layer, made) for made, s in
                 enumerate(surfaces(os.path.join(self.root, "quillo.log")).values())}
        return order[upper] > order[lower]

    def screenshot(self):
        """The compositor's own, its pixels the last bytes its shooter writes."""
        done = subprocess.run(self.shooter, env=self.env, capture_output=True, timeout=DEADLINE)
        check(done.returncode == 0 and len(done.stdout) >= SCREEN[0] * SCREEN[1] * 3,
              f"{self.shooter[0]} failed: " + done.stderr.decode(errors="replace"))
        return Image(SCREEN[0], done.stdout[-SCREEN[0] * SCREEN[1] * 3:])


# The screen from KWin's ScreenShot2 D-Bus interface, as rows of 3-byte pixels
# (its own are B, G, R, A, premultiplied and opaque, rows as long as their pixels).
KWIN_SCREENSHOT = """
import dbus, os, sys
read, write = os.pipe()
dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2").CaptureWorkspace(
    {}, dbus.types.UnixFd(write), dbus_interface="org.kde.KWin.ScreenShot2")
os.close(write)
data = b"".join(iter(lambda: os.read(read, 1 << 20), b""))
rgb = bytearray(len(data) // 4 * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
sys.stdout.buffer.write(rgb)
"""


class KWinSession(LayerShellSession):
    """KWin 5.27, its checks of trusted programs (input, screenshots) off in a
    session of the case's own; new windows maximised, receivers in the middle."""

    window_manager = "kwin_wayland"
    shooter = ["/usr/bin/python3", "-c", KWIN_SCREENSHOT]

    def start_compositor_with_xwayland(self):
        ready = os.path.join(self.root, "ready")
        with open(os.path.join(self.root, "kwinrc"), "w") as f:
            f.write("[Windows]\nPlacement=Maximizing\n")
        self.env.update(HOME=self.root, XDG_CONFIG_HOME=self.root,
                        WAYLAND_DISPLAY="wayland-quillo", KWIN_WAYLAND_NO_PERMISSION_CHECKS="1",
                        KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        # The packaged binary carries a file capability that a container may
        # refuse to run; a plain copy has none.
        kwin = shutil.copy(shutil.which("kwin_wayland"), self.root)
        self.start_compositor(["dbus-run-session", "--", kwin, "--virtual", "--xwayland",
                               "--width", str(SCREEN[0]), "--height", str(SCREEN[1]),
                               "--socket", "wayland-quillo", "sh -c 'echo $DISPLAY $DBUS_SESSION"
                               f"_BUS_ADDRESS >{ready}.tmp && mv {ready}.tmp {ready}'"],
                              self.env, self.root)
        return ready


class SwaySession(LayerShellSession):
    """sway 1.7 with Debian's configuration, a black 1024 x 768 screen and root's
    X programs let in; it refuses to run as root, so as root the case runs it as nobody."""

    window_manager = "sway"
    shooter = ["grim", "-t", "ppm", "-"]

    def start_compositor_with_xwayland(self):
        home = os.path.join(self.root, "sway")  # its home and runtime folder
        ready = os.path.join(home, "ready")
        os.mkdir(home, 0o700)
        with open(os.path.join(home, "config"), "w") as f:
            f.write("include /etc/sway/config\noutput * bg #000000 solid_color\n"
                    f"output * mode {SCREEN[0]}x{SCREEN[1]}\n"
                    f"exec xhost +si:localuser:root && echo $DISPLAY >{ready}.tmp && mv {ready}.tmp"
                    f" {ready}\n")
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
        self.env["WAYLAND_DISPLAY"] = os.path.join(home, "wayland-1")
        return ready
