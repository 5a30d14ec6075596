"""GNOME's Wayland session, headless: mutter, Xwayland for the program, the
receivers native on Wayland, and the pointer and keys through mutter's
RemoteDesktop D-Bus API (XTest reaches X clients only)."""

import glob
import os
import pathlib
import re
import signal
import subprocess
import time

from harness import DEADLINE, MAIN_TITLE, Image, Session, check, wait_until

SCREEN = (1024, 768)
KEYS = {"ctrl": 29, "a": 30, "s": 31, "shift": 42, "Delete": 111}  # evdev codes
# Debian's Python with python3-dbus, one connection ("move 5 0" in, "ok" out).
DRIVER = """
import dbus, sys, time
bus, name = dbus.SessionBus(), "org.gnome.Mutter.RemoteDesktop"
deadline = time.monotonic() + 30  # mutter takes its name after Xwayland is up
while not bus.name_has_owner(name) and time.monotonic() < deadline: time.sleep(0.05)
path = bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop").CreateSession(dbus_interface=name)
session = dbus.Interface(bus.get_object(name, path), name + ".Session")
session.Start()
for call, a, b in (line.split() for line in sys.stdin):
    if call == "move": session.NotifyPointerMotionRelative(float(a), float(b))
    elif call == "button": session.NotifyPointerButton(int(a), b == "1")
    else: session.NotifyKeyboardKeycode(int(a), b == "1")
    print("ok", flush=True)
"""


class GnomeWaylandSession(Session):
    window_manager = "mutter"

    def _open_display(self):
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        env = {k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
        env.update(XDG_RUNTIME_DIR=runtime, HOME=self.root, XDG_SESSION_TYPE="wayland",
                   WAYLAND_DISPLAY="wayland-quillo")
        # mutter and its bus in a process group of their own, ended as one.
        with open(os.path.join(self.root, "mutter.log"), "wb") as log:
            self.mutter = subprocess.Popen(
                ["dbus-run-session", "--", "sh", "-c", 'echo "$DBUS_SESSION_BUS_ADDRESS" >bus &&'
                 f' exec mutter --wayland --headless --virtual-monitor {SCREEN[0]}x{SCREEN[1]}'
                 ' --wayland-display wayland-quillo'], cwd=runtime, env=env,
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)

        def started():
            check(self.mutter.poll() is None, f"mutter ended ({self.mutter.returncode})")
            with open(os.path.join(self.root, "mutter.log"), "rb") as log:
                display = re.search(rb"public X11 display (:\d+)", log.read())
            auth = glob.glob(os.path.join(runtime, ".mutter-Xwaylandauth.*"))
            bus = pathlib.Path(runtime, "bus")
            address = bus.exists() and bus.read_text().strip()
            return display and auth and address and (display[1].decode(), auth[0], address)
        self.display, auth, address = wait_until("mutter and Xwayland", started)
        env.update(DISPLAY=self.display, XAUTHORITY=auth, DBUS_SESSION_BUS_ADDRESS=address)
        self.env = env
        # New windows open in the middle of the screen, where the drops aim.
        subprocess.run(["gsettings", "set", "org.gnome.mutter", "center-new-windows", "true"],
                       env=env, check=True, timeout=DEADLINE)
        self.driver = subprocess.Popen(["/usr/bin/python3", "-c", DRIVER], env=env, text=True,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.processes.append(self.driver)
        for _ in range(10):  # motion is not accelerated: this ends at 0, 0
            self._call("move -500 -500")
        self.pointer = (0, 0)
        self.key("shift")  # the first key only gives the seat its keyboard

    def __exit__(self, kind, value, trace):
        try:
            return super().__exit__(kind, value, trace)
        finally:
            os.killpg(self.mutter.pid, signal.SIGTERM)
            self.mutter.wait(10)

    def _call(self, line):
        self.driver.stdin.write(line + "\n")
        self.driver.stdin.flush()
        check(self.driver.stdout.readline() == "ok\n", f"mutter's RemoteDesktop failed: {line}")

    def open_app(self, argv, name, title, env):
        """A program native on Wayland, once its window takes the pointer."""
        env = dict(self.env, **env, GDK_BACKEND="wayland", WAYLAND_DEBUG="1")
        del env["DISPLAY"]
        proc = self.start(argv, self.root, name, env)
        middle = (SCREEN[0] // 2, SCREEN[1] // 2)

        def entered():
            check(proc.poll() is None, f"{argv[0]} ended ({proc.returncode})")
            self.move(middle[0] + (self.pointer == middle), middle[1])
            with open(os.path.join(self.root, name + ".log"), "rb") as log:
                return re.search(rb"wl_pointer@\d+\.enter\(", log.read())
        wait_until(f"{argv[0]}'s window", entered)
        return proc, None, middle

    def focus(self, window, point=None):
        self.click(*point)

    def move(self, x, y, pause=0.05):
        x, y = round(x), round(y)
        self._call(f"move {x - self.pointer[0]} {y - self.pointer[1]}")
        self.pointer = (x, y)
        time.sleep(pause)

    def press(self, down):
        self._call(f"button 272 {int(down)}")  # BTN_LEFT

    def key(self, keys):
        codes = [KEYS[name] for name in keys.split("+")]
        for code, down in [(c, 1) for c in codes] + [(c, 0) for c in reversed(codes)]:
            self._call(f"key {code} {down}")

    def screenshot(self):
        """The main window on black: Xwayland has no root window to read."""
        width, height = SCREEN
        rgb = bytearray(width * height * 3)
        _, found = self.x("xdotool", "search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$")
        for window in found.split():
            x, y, w, h = self.geometry(window)
            shot = subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"],
                                  env=self.env, capture_output=True, timeout=DEADLINE).stdout
            shown = min(w, width - x) * 3
            for row in range(min(h, height - y) if len(shot) == w * h * 3 else 0):
                start = ((y + row) * width + x) * 3
                rgb[start:start + shown] = shot[row * w * 3:row * w * 3 + shown]
        return Image(width, bytes(rgb))
