#!/usr/bin/env python3
"""How long a drop takes from the release of the button until the text is in
the target, for the largest content (1,048,576 characters) and one of 39,003,
into the tests' drop receiver and, where it is installed, GNOME Text Editor:
the real program under an Xvfb of its own, driven with xdotool as in the
end-to-end tests. Each drop into the receiver is checked to arrive whole,
and each of 39,003 characters into the editor (saved and read back); the
editor takes the largest once, last, since it then lays out one line of a
million characters for minutes, and that drop is checked by its XdndFinished
alone.

The X server records the drop: the release, the program's XdndDrop, each
request of the target for the text and each piece of an INCR reply that it
asks for, and the target's XdndFinished, which it sends once it holds the
text. The program's part is what it takes to react: from the release to its
XdndDrop, and from each request or deleted piece to its answer. Writes the
medians as JSON.

    drag.py --quillo PATH --receiver PATH --json FILE [--runs N]
"""
import argparse
import json
import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import receivers  # noqa: E402
from boxes import DROP_INTO_ENTRIES, LARGEST_CONTENT, RECEIVER_PLACE, RECEIVER_TARGET  # noqa: E402
from boxes import wait_drop  # noqa: E402
from harness import MAIN_TITLE, Session, check, prepare_run, wait_rows, wait_until  # noqa: E402
from receivers import FROM_CLIENT, FROM_SERVER, XRecorder, word  # noqa: E402

# name: (title, content); the largest content leaves no room for a title.
CONTENTS = {"39,003 characters": ("长文", DROP_INTO_ENTRIES[3][1]),
            "1,048,576 characters": ("", LARGEST_CONTENT)}
CHANGE_PROPERTY, SEND_EVENT = 18, 25
PROPERTY_NOTIFY, SELECTION_REQUEST, CLIENT_MESSAGE = 28, 30, 33
BUTTON_RELEASE = 5


class DropTimes(XRecorder):
    """The drops of the program that takes XdndSelection, as the X server
    sees them: for each, the time from the release to the target's
    XdndFinished, and the program's parts of it: to its XdndDrop, to its
    answers, and to the pieces of an INCR reply, which it sends as each is
    asked for."""

    def __init__(self, s):
        super().__init__(s, core_requests=(CHANGE_PROPERTY, SEND_EVENT),
                         delivered_events=(PROPERTY_NOTIFY, CLIENT_MESSAGE),
                         device_events=(BUTTON_RELEASE, BUTTON_RELEASE))
        self.drops, self.accepted = [], 0
        self.program = None
        self.released = self.asked = None
        self.incr, self.deleted = set(), {}

    def __enter__(self):
        super().__enter__()
        self.atoms = {name: self.atom(name) for name in (
            "XdndSelection", "XdndDrop", "XdndStatus", "XdndFinished", "INCR")}
        return self

    def record(self, category, id_base, data):
        now = time.monotonic()
        kind = data[0] & 0x7F
        if category == FROM_SERVER and kind == BUTTON_RELEASE:
            self.released = now
            self.parts = {"drop ms": 0.0, "answers ms": 0.0, "pieces ms": 0.0, "pieces": 0}
        elif category == FROM_CLIENT and kind == 22 and word(data, 8) == self.atoms["XdndSelection"]:
            self.program = id_base  # SetSelectionOwner: the program starts a drag
        elif id_base != self.program:
            return
        elif kind == CLIENT_MESSAGE and word(data, 8) == self.atoms["XdndStatus"]:
            self.accepted += data[16] & 1
        elif self.released is None:
            return
        elif category == FROM_CLIENT and kind == SEND_EVENT:
            message = data[12:44]
            if message[0] & 0x7F == CLIENT_MESSAGE and word(message, 8) == self.atoms["XdndDrop"]:
                self.parts["drop ms"] += (now - self.released) * 1000
            elif self.asked is not None:  # the SelectionNotify of an answer
                self.parts["answers ms"] += (now - self.asked) * 1000
                self.asked = None
        elif category == FROM_CLIENT and kind == CHANGE_PROPERTY:
            target = (word(data, 4), word(data, 8))
            if word(data, 12) == self.atoms["INCR"]:
                self.incr.add(target)
            elif target in self.deleted:  # a piece, asked for by deleting the last
                self.parts["pieces ms"] += (now - self.deleted.pop(target)) * 1000
                self.parts["pieces"] += 1
                if word(data, 20) == 0:
                    self.incr.discard(target)
        elif kind == SELECTION_REQUEST and word(data, 16) == self.atoms["XdndSelection"]:
            self.asked = now
        elif kind == PROPERTY_NOTIFY and data[16] == 1 and (word(data, 4), word(data, 8)) in self.incr:
            self.deleted[(word(data, 4), word(data, 8))] = now
        elif kind == CLIENT_MESSAGE and word(data, 8) == self.atoms["XdndFinished"]:
            self.drops.append(dict(self.parts, ms=(now - self.released) * 1000,
                                   taken=data[16] & 1))
            self.released = None


class DropReceiver(receivers.Receiver):
    def __init__(self, s, program):
        self.folder, self.count = os.path.join(s.root, "drops"), 0
        os.mkdir(self.folder)
        self.proc, _, _ = s.open_app([program, self.folder, *map(str, RECEIVER_PLACE)],
                                     "receiver", "drop receiver", {})
        self.target = RECEIVER_TARGET

    def received(self, number, expected):
        return wait_drop(self.folder, number)[0].encode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quillo", required=True)
    parser.add_argument("--receiver", required=True)
    parser.add_argument("--json", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    targets = {"drop receiver": lambda s: DropReceiver(s, args.receiver)}
    if shutil.which("gnome-text-editor"):
        targets["GNOME Text Editor"] = receivers.GnomeTextEditor
    result = {"runs": args.runs}
    with Session(args) as s:
        quillo = s.start_quillo(prepare_run(s, [f"{t}={c}" for t, c in CONTENTS.values()]))
        window = s.wait_window(quillo, MAIN_TITLE)
        _, rows = wait_rows(s, window, lambda n: n == len(CONTENTS), "the boxes in view")
        left = s.geometry(window)[0]
        for target, start in targets.items():
            with start(s) as receiver, DropTimes(s) as times:
                number = 0
                drops = [item for _ in range(args.runs) for item in enumerate(CONTENTS)]
                if target != "drop receiver":
                    drops = [drop for drop in drops if drop[0] == 0] + [(1, list(CONTENTS)[1])]
                for row, name in drops:
                    content = CONTENTS[name][1]
                    top, bottom = rows[row]
                    accepted, dropped = times.accepted, len(times.drops)
                    s.drag((left + 40, (top + bottom) // 2), receiver.target,
                           lambda: times.accepted > accepted)
                    wait_until("the target to finish the drop", lambda: len(times.drops) > dropped,
                               300)
                    check(times.drops[-1].pop("taken"), f"{target} refused {name}")
                    if target == "drop receiver" or row == 0:
                        number += 1
                        got = receiver.received(number, content.encode())
                        check(got == content.encode(), f"{target} got {len(got)} bytes of {name}")
                    result.setdefault(f"{target}, {name}", []).append(times.drops[-1])
    for key, drops in list(result.items())[1:]:
        result[key] = {field: statistics.median(d[field] for d in drops) for field in drops[0]}
        print(f"{key}: {result[key]['ms']:.0f} ms from the release; the program's part: "
              f"{result[key]['drop ms']:.1f} ms to drop, {result[key]['answers ms']:.1f} ms to "
              f"answer, {result[key]['pieces ms']:.1f} ms for {result[key]['pieces']:.0f} pieces "
              f"(medians of {len(drops)})")
    with open(args.json, "w") as out:
        json.dump(result, out, indent=2)


if __name__ == "__main__":
    main()
