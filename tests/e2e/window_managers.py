"""A real window manager on the case's Xvfb: it frames the windows, says how
far each frame reaches (_NET_FRAME_EXTENTS) and stacks the frames. Each is a
column of the end-to-end table (tests/e2e/cases.cmake); a new one is one more
entry here (a desktop that brings its own display server is one in quillo_e2e.py).
"""

import os

from harness import Session, check, wait_until

# name: how to start it with its default settings, not the user's, and the
# files it finds in its home folder. Openbox tells its frame before a window
# shows, Fluxbox only once it has framed it; JWM keeps windows in layers.
WINDOW_MANAGERS = {
    "openbox": (["openbox", "--sm-disable"], {}),
    # No wallpaper: Fluxbox's own would fail here and say so in a window.
    "fluxbox": (["fluxbox"], {".fluxbox/overlay": "background: none\n"}),
    "jwm": (["jwm"], {}),
}


class ManagedSession(Session):
    stacking = True

    def __init__(self, args, **options):
        super().__init__(args, **options)
        self.window_manager = args.window_manager

    def _open_display(self):
        """The Xvfb, then the window manager, which has taken the screen once
        the root names its check window."""
        super()._open_display()
        env = {"XDG_CONFIG_HOME": os.path.join(self.root, "config"), "HOME": self.root}
        argv, files = WINDOW_MANAGERS[self.window_manager]
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(self.root, name)), exist_ok=True)
            with open(os.path.join(self.root, name), "w") as f:
                f.write(text)
        manager = self.start(argv, self.root, "window-manager", env)

        def running():
            check(manager.poll() is None, f"{self.window_manager} ended ({manager.returncode})")
            return "window id #" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")[1]
        wait_until(f"{self.window_manager} to take the screen", running)

    def frame(self, window, title):
        """The X window and the frame the window manager says it drew around."""
        (x, y, width, height), on_top = super().frame(window, title)
        _, out = self.x("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
        check(" = " in out, f"{self.window_manager} sets no _NET_FRAME_EXTENTS")
        left, right, top, bottom = (int(v) for v in out.split(" = ")[1].split(","))
        return (x - left, y - top, width + left + right, height + top + bottom), on_top

    def above(self, proc, upper, lower):
        """Whether the window titled upper lies above the one titled lower, as
        the X server stacks the frames around them. (_NET_CLIENT_LIST_STACKING
        would not do: JWM lists each of its layers top first.)"""
        frames = [self.frame_window(self.wait_window(proc, title)) for title in (upper, lower)]
        _, out = self.x("xwininfo", "-root", "-children")
        top_first = [int(line.split()[0], 16) for line in out.splitlines()
                     if line.strip().startswith("0x")]
        check(all(f in top_first for f in frames), f"'{upper}' or '{lower}' has no frame")
        return top_first.index(frames[0]) < top_first.index(frames[1])

    def frame_window(self, window):
        """The window on the root that holds window: the frame drawn around it."""
        while True:
            _, out = self.x("xwininfo", "-tree", "-id", str(window))
            root = int(out.split("Root window id: ")[1].split()[0], 16)
            parent = int(out.split("Parent window id: ")[1].split()[0], 16)
            if parent == root:
                return window
            window = parent
