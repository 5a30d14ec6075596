"""What the Wayland sessions share: a headless compositor in a process group of
its own; the pointer and keys through it (XTest reaches XWayland only), from a
driver that takes a command a line ("move X Y", "button 272 1", "key 29 1")
and answers "ok"; receivers native on Wayland, in the middle of the screen."""

import os
import re
import signal
import subprocess
import time

from harness import DEADLINE, Session, check, die_with_harness, wait_until

SCREEN = (1024, 768)
KEYS = {"Escape": 1, "Return": 28, "ctrl": 29, "a": 30, "s": 31, "shift": 42, "space": 57,
        "Delete": 111}  # evdev codes


class WaylandSession(Session):
    pointer = None

    def start_compositor(self, argv, env, cwd):
        """The compositor and what it starts, ended as one group with the case."""
        with open(os.path.join(self.root, "compositor.log"), "wb") as log:
            self.compositor = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                               stdout=log, stderr=subprocess.STDOUT,
                                               start_new_session=True)

    def compositor_log(self):
        check(self.compositor.poll() is None,
              f"{self.window_manager} ended ({self.compositor.returncode})")
        with open(os.path.join(self.root, "compositor.log"), "rb") as log:
            return log.read()

    def start_driver(self, argv):
        self.driver = subprocess.Popen(argv, env=self.env, text=True, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, preexec_fn=die_with_harness)
        self.processes.append(self.driver)

    def __exit__(self, kind, value, trace):
        try:
            return super().__exit__(kind, value, trace)
        finally:
            os.killpg(self.compositor.pid, signal.SIGTERM)
            self.compositor.wait(DEADLINE)

    def _call(self, line):
        self.driver.stdin.write(line + "\n")
        self.driver.stdin.flush()
        check(self.driver.stdout.readline() == "ok\n",
              f"{self.window_manager} refused the input: {line}")

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
        x, y, width, height = self.geometry(window) if point is None else (*point, 0, 0)
        self.click(x + width // 2, y + height // 2)

    def move(self, x, y, pause=0.05):
        x, y = round(x), round(y)
        self._call(f"move {x} {y}")
        self.pointer = (x, y)
        time.sleep(pause)

    def press(self, down):
        self._call(f"button 272 {int(down)}")  # BTN_LEFT

    def key(self, keys):
        codes = [KEYS[name] for name in keys.split("+")]
        for code, down in [(c, 1) for c in codes] + [(c, 0) for c in reversed(codes)]:
            self._call(f"key {code} {down}")

    def hold(self, key, down):
        self._call(f"key {KEYS[key]} {int(down)}")
