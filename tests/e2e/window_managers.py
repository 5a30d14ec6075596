"""A real window manager on the case's Xvfb: it frames the windows, says how
far each frame reaches (_NET_FRAME_EXTENTS) and keeps their stacking order
(_NET_CLIENT_LIST_STACKING). Each is a column of the end-to-end table
(tests/e2e/cases.cmake); a new one is one more entry here.
"""

import os

from harness import Session, check, wait_until

# name: how to start it with its default settings, not the user's.
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
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
        manager = self.start(WINDOW_MANAGERS[self.window_manager], self.root,
                             "window-manager", env)

        def running():
            check(manager.poll() is None, f"{self.window_manager} ended ({manager.returncode})")
            return "window id #" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")[1]
        wait_until(f"{self.window_manager} to take the screen", running, 10)

    def frame(self, window, title):
        """The X window and the frame the window manager says it drew around."""
        (x, y, width, height), on_top = super().frame(window, title)
        _, out = self.x("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
        check(" = " in out, f"{self.window_manager} sets no _NET_FRAME_EXTENTS")
        left, right, top, bottom = (int(v) for v in out.split(" = ")[1].split(","))
        return (x - left, y - top, width + left + right, height + top + bottom), on_top

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
