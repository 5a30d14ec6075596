"""GNOME's Wayland session, headless: mutter, Xwayland for the program, the
receivers native on Wayland, and the pointer and keys through mutter's
RemoteDesktop D-Bus API."""

import glob
import os
import pathlib
import re
import subprocess

from harness import DEADLINE, MAIN_TITLE, Image, wait_until
from wayland_session import SCREEN, WaylandSession

# Debian's Python with python3-dbus, one connection ("move 5 0" in, "ok" out).
DRIVER = """
import dbus, sys, time
bus, name = dbus.SessionBus(), "org.gnome.Mutter.RemoteDesktop"
deadline = time.monotonic() + 30  # mutter takes its name after Xwayland is up
while not bus.name_has_owner(name) and time.monotonic() < deadline: time.sleep(0.05)
path = bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop").CreateSession(dbus_interface=name)
session = dbus.Interface(bus.get_object(name, path), name + ".Session")
session.Start()
for _ in range(10):  # motion is relative and not accelerated: this ends at 0, 0
    session.NotifyPointerMotionRelative(-500.0, -500.0)
x = y = 0.0
for call, a, b in (line.split() for line in sys.stdin):
    if call == "move":
        session.NotifyPointerMotionRelative(float(a) - x, float(b) - y)
        x, y = float(a), float(b)
    elif call == "button": session.NotifyPointerButton(int(a), b == "1")
    else: session.NotifyKeyboardKeycode(int(a), b == "1")
    print("ok", flush=True)
"""


class GnomeWaylandSession(WaylandSession):
    window_manager = "mutter"

    def _open_display(self):
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        env = {k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
        env.update(XDG_RUNTIME_DIR=runtime, HOME=self.root, XDG_SESSION_TYPE="wayland",
                   WAYLAND_DISPLAY="wayland-quillo")
        self.start_compositor(
            ["dbus-run-session", "--", "sh", "-c", 'echo "$DBUS_SESSION_BUS_ADDRESS" >bus &&'
             f' exec mutter --wayland --headless --virtual-monitor {SCREEN[0]}x{SCREEN[1]}'
             ' --wayland-display wayland-quillo'], env, runtime)

        def started():
            display = re.search(rb"public X11 display (:\d+)", self.compositor_log())
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
        self.start_driver(["/usr/bin/python3", "-c", DRIVER])
        self.key("shift")  # the first key only gives the seat its keyboard

    def screenshot(self):
        """The main window on black: Xwayland has no root window to read."""
        width, height = SCREEN
        rgb = bytearray(width * height * 3)
        for window in self.search("--name", f"^{MAIN_TITLE}$"):
            x, y, w, h = self.geometry(window)
            shot = subprocess.run(["import", "-window", str(window), "-depth", "8", "rgb:-"],
                                  env=self.env, capture_output=True, timeout=DEADLINE).stdout
            shown = min(w, width - x) * 3
            for row in range(min(h, height - y) if len(shot) == w * h * 3 else 0):
                start = ((y + row) * width + x) * 3
                rgb[start:start + shown] = shot[row * w * 3:row * w * 3 + shown]
        return Image(width, bytes(rgb))
