"""Programs that users drop into, as receivers of the end-to-end drags:
Chromium showing a page with a text area, Mousepad (GTK 3) and GNOME Text
Editor (GTK 4). Each tells what it received the way it would tell its user:
the page sends its text area's value to a server of the test's own on
127.0.0.1, and an editor saves its document.
"""

import ctypes
import http.server
import os
import shutil
import threading

from harness import DEADLINE, Failure, check, wait_until, within


def private_env(s, name):
    """Keeps a receiver's home, settings and caches in the case's own folder,
    and gives it no session bus: GLib would otherwise start one (dbus-launch)
    that outlives the case."""
    home = os.path.join(s.root, name + "-home")
    env = {"DBUS_SESSION_BUS_ADDRESS": "disabled:", "GSETTINGS_BACKEND": "memory",
           "NO_AT_BRIDGE": "1", "HOME": home}
    for variable, folder in (("XDG_CONFIG_HOME", "config"), ("XDG_CACHE_HOME", "cache"),
                             ("XDG_DATA_HOME", "data")):
        env[variable] = os.path.join(home, folder)
        os.makedirs(env[variable])
    return env


def start_receiver(s, argv, name, title):
    check(shutil.which(argv[0]), f"{argv[0]} is not installed (scripts/lib.sh installs it)")
    return s.open_app(argv, name, title, private_env(s, name))


class Receiver:
    """A running receiver: its window, the point to drop on, and received()."""

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()
        return False

    def close(self):
        pass


PAGE = """<!DOCTYPE html>
<meta charset="utf-8"><title>drop receiver</title>
<style>html, body, textarea { margin: 0; width: 100%; height: 100%; box-sizing: border-box }</style>
<textarea></textarea>
<script>
  // Each drop's value goes to the test, with the kind of input it was, and
  // the area is emptied for the next one.
  const area = document.querySelector("textarea");
  let drops = 0;
  area.addEventListener("input", event => {
    fetch(`/drop-${++drops}/${event.inputType}`, {method: "POST", body: area.value});
    area.value = "";
  });
</script>
"""


class Chromium(Receiver):
    """Chromium showing PAGE as an application window at place, on the
    case's X server: headless, it would have no window to drop on."""

    def __init__(self, s, place):
        self.posted = {}
        self.server = http.server.HTTPServer(("127.0.0.1", 0), self.handler())
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        x, y, width, height = place
        argv = ["chromium", f"--user-data-dir={os.path.join(s.root, 'chromium-profile')}",
                # As root it starts only without its sandbox; --test-type keeps
                # the warning about that from covering the page.
                "--no-sandbox", "--test-type", "--no-first-run", "--no-default-browser-check",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--disable-gpu", "--password-store=basic",
                f"--window-position={x},{y}", f"--window-size={width},{height}",
                f"--app=http://127.0.0.1:{self.server.server_port}/"]
        try:
            self.proc, self.window, self.target = start_receiver(s, argv, "chromium",
                                                                 "drop receiver")
        except BaseException:
            self.close()
            raise

    def handler(self):
        posted = self.posted

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = PAGE.encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def do_POST(self):
                length = int(self.headers.get("Content-Length", 0))
                posted[self.path] = self.rfile.read(length)
                self.send_response(204)
                self.end_headers()

            def log_message(self, *_):
                pass
        return Handler

    def received(self, number, expected):
        """The bytes of the text area after drop number, in UTF-8."""
        prefix = f"/drop-{number}/"
        path = wait_until(f"drop {number} into Chromium's text area", lambda: next(
            (p for p in list(self.posted) if p.startswith(prefix)), None))
        check(path == prefix + "insertFromDrop", f"drop {number} came as {path[len(prefix):]}")
        return self.posted[path]

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Editor(Receiver):
    """A text editor on an empty file. Each drop is saved and read back, then
    the document is emptied and saved. The keys are pressed again until the
    file is as awaited, each time after a longer while: a loaded editor may
    take seconds to insert or delete a long text or to save it, and keys
    pressed at every poll would only pile up behind it."""

    added = b""  # what the editor adds to a document it saves

    def __init__(self, s, argv, title):
        self.s, self.path = s, os.path.join(s.root, "dropped.txt")
        open(self.path, "wb").close()
        self.proc, self.window, self.target = start_receiver(
            s, argv + [self.path], argv[0], title.format(path=self.path, folder=s.root))

    def saved(self, wanted, keys=("ctrl+s",)):
        """The file once wanted(its bytes), or as it is at the deadline."""
        def read():
            with open(self.path, "rb") as f:
                return f.read()

        pace = 0.5

        def pressed():
            nonlocal pace
            for key in keys:
                self.s.key(key)
            pace = min(2 * pace, 8.0)
            return within(pace, lambda: wanted(read()))
        within(DEADLINE, pressed)
        return read()

    def received(self, number, expected):
        """The bytes the editor saves after drop number: expected, once it
        has them all, or what it held at the deadline."""
        self.s.focus(self.window, self.target)
        saved = self.saved(lambda saved: saved == expected + self.added)
        if self.saved(lambda saved: not saved, ("ctrl+a", "Delete", "ctrl+s")):
            raise Failure(f"the document was not emptied after drop {number}")
        return saved[:len(saved) - len(self.added)] if saved.endswith(self.added) else saved


class Mousepad(Editor):
    def __init__(self, s):
        super().__init__(s, ["mousepad"], "{path} - Mousepad")


class GnomeTextEditor(Editor):
    added = b"\n"

    def __init__(self, s):
        super().__init__(s, ["gnome-text-editor", "--standalone"],
                         "dropped.txt ({folder}) - Text Editor")


# --- the drop target's answer ---------------------------------------------------
# Qt drops only if the target has accepted the drag (XdndStatus) before the
# button goes up; otherwise it cancels the drag. A real receiver does not say
# when it has accepted, so its answer is heard on the X server, by XRecord.

class _Range8(ctypes.Structure):
    _fields_ = [("first", ctypes.c_ubyte), ("last", ctypes.c_ubyte)]


class _Range16(ctypes.Structure):
    _fields_ = [("first", ctypes.c_ushort), ("last", ctypes.c_ushort)]


class _ExtRange(ctypes.Structure):
    _fields_ = [("ext_major", _Range8), ("ext_minor", _Range16)]


class _RecordRange(ctypes.Structure):
    _fields_ = [("core_requests", _Range8), ("core_replies", _Range8),
                ("ext_requests", _ExtRange), ("ext_replies", _ExtRange),
                ("delivered_events", _Range8), ("device_events", _Range8),
                ("errors", _Range8), ("client_started", ctypes.c_int),
                ("client_died", ctypes.c_int)]


class _InterceptData(ctypes.Structure):
    _fields_ = [("id_base", ctypes.c_ulong), ("server_time", ctypes.c_ulong),
                ("client_seq", ctypes.c_ulong), ("category", ctypes.c_int),
                ("client_swapped", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("data_len", ctypes.c_ulong)]


_InterceptProc = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.POINTER(_InterceptData))
CLIENT_MESSAGE = 33
SET_SELECTION_OWNER = 22
_RECORD_ALL_CLIENTS = 3
FROM_SERVER = 0
FROM_CLIENT = 1
_RECORD_START_OF_DATA = 4


def _xlibs():
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    display, xid = ctypes.c_void_p, ctypes.c_ulong
    for lib, name, result, arguments in (
            (x11, "XOpenDisplay", display, [ctypes.c_char_p]),
            (x11, "XInternAtom", xid, [display, ctypes.c_char_p, ctypes.c_int]),
            (x11, "XSync", ctypes.c_int, [display, ctypes.c_int]),
            (x11, "XFree", ctypes.c_int, [ctypes.c_void_p]),
            (x11, "XCloseDisplay", ctypes.c_int, [display]),
            (xtst, "XRecordAllocRange", ctypes.POINTER(_RecordRange), []),
            (xtst, "XRecordCreateContext", xid,
             [display, ctypes.c_int, ctypes.POINTER(xid), ctypes.c_int,
              ctypes.POINTER(ctypes.POINTER(_RecordRange)), ctypes.c_int]),
            (xtst, "XRecordEnableContext", ctypes.c_int,
             [display, xid, _InterceptProc, ctypes.c_void_p]),
            (xtst, "XRecordDisableContext", ctypes.c_int, [display, xid]),
            (xtst, "XRecordFreeContext", ctypes.c_int, [display, xid]),
            (xtst, "XRecordFreeData", None, [ctypes.POINTER(_InterceptData)])):
        getattr(lib, name).restype = result
        getattr(lib, name).argtypes = arguments
    return x11, xtst


class XRecorder:
    """Hands what the X server records to record(category, id_base, bytes):
    the requests of every client in core_requests and the events delivered to
    every client in delivered_events and device_events, each a (first, last)
    range of codes. The category is FROM_CLIENT for a request and
    FROM_SERVER for an event; id_base names the client that made the request
    or was sent the event."""

    def __init__(self, s, core_requests=(0, 0), delivered_events=(0, 0), device_events=(0, 0)):
        self.display = s.display.encode()
        self.xauthority = s.env.get("XAUTHORITY")
        self.codes = (core_requests, delivered_events, device_events)

    def atom(self, name):
        return self.x11.XInternAtom(self.control, name.encode(), 0)

    def record(self, category, id_base, data):
        pass

    def __enter__(self):
        self.x11, self.xtst = _xlibs()
        # XRecord hands its data to a second connection, which blocks. Xlib
        # reads the server's cookie, where it wants one, from the environment.
        if self.xauthority:
            os.environ["XAUTHORITY"] = self.xauthority
        self.control = self.x11.XOpenDisplay(self.display)
        self.data = self.x11.XOpenDisplay(self.display)
        if not self.control or not self.data:
            self.close_displays()
            raise Failure("cannot open the display to record")
        ranges = self.xtst.XRecordAllocRange()
        for field, (first, last) in zip(("core_requests", "delivered_events", "device_events"),
                                        self.codes):
            getattr(ranges.contents, field).first = first
            getattr(ranges.contents, field).last = last
        clients = ctypes.c_ulong(_RECORD_ALL_CLIENTS)
        self.context = self.xtst.XRecordCreateContext(self.control, 0, ctypes.byref(clients), 1,
                                                      ctypes.byref(ranges), 1)
        self.x11.XFree(ranges)
        self.x11.XSync(self.control, 0)
        self.callback = _InterceptProc(self.intercept)
        self.recording = threading.Event()
        self.thread = threading.Thread(target=self.xtst.XRecordEnableContext, daemon=True,
                                       args=(self.data, self.context, self.callback, None))
        self.thread.start()
        # The server says when it records: anything before that goes unseen.
        wait_until("the X server to record", lambda: self.recording.is_set())
        return self

    def intercept(self, _, record):
        data = record.contents
        if data.category == _RECORD_START_OF_DATA:
            self.recording.set()
        elif data.category in (FROM_CLIENT, FROM_SERVER):
            self.record(data.category, data.id_base, bytes(data.data[:data.data_len * 4]))
        self.xtst.XRecordFreeData(record)

    def __exit__(self, *_):
        self.xtst.XRecordDisableContext(self.control, self.context)
        self.x11.XSync(self.control, 0)
        self.thread.join(5)
        if not self.thread.is_alive():
            self.xtst.XRecordFreeContext(self.control, self.context)
            self.close_displays()
        return False

    def close_displays(self):
        for display in (self.control, self.data):
            if display:
                self.x11.XCloseDisplay(display)


class XdndWatch(XRecorder):
    """Counts the drags that start (a client takes XdndSelection) and the
    XdndStatus messages in which a drop target accepts one."""

    def __init__(self, s):
        super().__init__(s, core_requests=(SET_SELECTION_OWNER, SET_SELECTION_OWNER),
                         delivered_events=(CLIENT_MESSAGE, CLIENT_MESSAGE))
        self.count = 0
        self.drags = 0

    def accepted(self):
        return self.count

    def started(self):
        return self.drags

    def __enter__(self):
        super().__enter__()
        self.status, self.selection = self.atom("XdndStatus"), self.atom("XdndSelection")
        return self

    def record(self, category, id_base, data):
        if category == FROM_CLIENT and len(data) >= 12:
            # SetSelectionOwner: the selection at 8.
            self.drags += word(data, 8) == self.selection
        elif category == FROM_SERVER and len(data) >= 32 and data[0] & 0x7F == CLIENT_MESSAGE:
            # A client message: its type at 8, its data from 12; the second
            # word's low bit is the target's "accepted".
            self.count += word(data, 8) == self.status and data[16] & 1


def word(data, at):
    """The 32-bit word at a byte offset of a request or event."""
    return int.from_bytes(data[at:at + 4], "little")
