"""The boxes: a hover reveals a content, a drag drops a copy of it into the
tests' own receiver and into the programs users drop into (receivers.py),
and the scroll bar and Restore move and restore the column.
"""

import os

import receivers
from harness import (MAIN_TITLE, Failure, box_rows, check, check_running, menu_captions,
                     prepare_run, reveal, start_on, wait_rows, wait_steady, wait_until)

LONG_CONTENT = ("长文本 long text = 0123456789，" * 5000)[:100000]
# The largest content an entry holds: 1,048,576 characters, with the title empty.
LARGEST_CONTENT = ("最长 largest = café，" * 60000)[:1024 * 1024]

# Box number, title and content; the rows share one data.txt.
DRAG_ENTRIES = [
    ("中文", "王晓明，北京市海淀区中关村大街 27 号 5 层 501 室"),
    ("等号", "  a = b == c  =  x "),
    ("长文", LONG_CONTENT),
]
# row: (box number, how data.txt is encoded); box 4 holds the largest content
DRAG_CASES = {"chinese": (1, "utf-8"), "equals-and-spaces": (2, "utf-8"), "long": (3, "utf-8"),
              "chinese-utf-16": (1, "utf-16"), "chinese-gbk": (1, "gbk"), "largest": (4, "utf-8")}

# The receiver's window (x, y, width, height) and the point drops aim at.
RECEIVER_PLACE = (120, 300, 360, 200)
RECEIVER_TARGET = (RECEIVER_PLACE[0] + RECEIVER_PLACE[2] // 2,
                   RECEIVER_PLACE[1] + RECEIVER_PLACE[3] // 2)


def wait_drop(directory, number):
    stem = os.path.join(directory, f"drop-{number}")

    def probe():
        if os.path.exists(stem + ".txt") and os.path.exists(stem + ".actions"):
            with open(stem + ".txt", "rb") as text, open(stem + ".actions", "rb") as actions:
                return text.read().decode("utf-8"), actions.read().decode()
        return None
    return wait_until(f"drop {number} at the receiver", probe)


def start_with_receiver(s, lines, encoding="utf-8", program=None, extra_env=None):
    """The program on a data.txt of lines, in a working folder (which may hold
    the program already), and the drop receiver beside it, once both windows
    are shown: the receiver's folder of drops, both processes, the window."""
    drops = os.path.join(s.root, "drops")
    os.mkdir(drops)
    work = prepare_run(s, lines, encoding)
    receiver = s.start([s.receiver, s.native(drops)] + [str(v) for v in RECEIVER_PLACE], work,
                       "receiver")
    quillo = s.start_quillo(work, program, extra_env)
    window = s.wait_window(quillo, MAIN_TITLE)
    s.wait_window(receiver, "drop receiver")
    return drops, receiver, quillo, window


def drag_to_receiver(s, drops, grab, target=RECEIVER_TARGET):
    """Drags from grab to the receiver at target, letting go once the
    receiver has seen the drag enter it."""
    def enters():
        return sum(name.startswith("enter-") for name in os.listdir(drops))
    before = enters()
    s.drag(grab, target, lambda: enters() > before)


def check_primary_takes_content_once(s, drops, grab, content):
    """A release over the revealed box, then Ctrl+C: each puts the whole
    content into the X11 primary selection in one change, as a plain line edit
    does. The receiver logs each change; one of xclip's own after each action
    marks where that action's changes end."""
    def changes():
        count = sum(name.startswith("primary-") for name in os.listdir(drops))
        texts = []
        for n in range(1, count + 1):
            with open(os.path.join(drops, f"primary-{n}.txt"), encoding="utf-8") as log:
                texts.append(log.read())
        return texts

    def mark(number):
        path = os.path.join(s.root, f"mark-{number}")
        with open(path, "w", encoding="utf-8") as text:
            text.write(path)
        s.start(["xclip", "-selection", "primary", "-quiet", path], s.root, f"xclip-{number}")
        wait_until(f"mark {number} in the primary selection", lambda: path in changes())
        return changes().index(path)

    s.move(*grab)
    start = mark(0) + 1
    actions = [("a release", lambda: (s.xdo("mousedown", "1"), s.move(grab[0] + 1, grab[1]),
                                      s.xdo("mouseup", "1"))),
               ("Ctrl+C", lambda: s.xdo("key", "ctrl+c"))]
    for number, (what, act) in enumerate(actions, 1):
        act()
        wait_until(f"{what} to reach the primary selection",
                   lambda: content in changes()[start:])
        end = mark(number)
        got = changes()[start:end]
        check(got == [content], f"{what} changed the primary selection {len(got)} times, to "
                                f"{[len(text) for text in got]} characters, not once to {len(content)}")
        start = end + 1


def case_drag(args, session):
    check(args.receiver, "--receiver is needed for the drag cases")
    box, encoding = DRAG_CASES[args.row]
    entries = DRAG_ENTRIES + [("", LARGEST_CONTENT)] * (box > len(DRAG_ENTRIES))
    title, content = entries[box - 1]
    with session() as s:
        drops, receiver, quillo, window = start_with_receiver(
            s, [f"{t}={c}" for t, c in entries], encoding)
        image, rows = wait_rows(s, window, lambda n: n == len(entries),
                                f"{len(entries)} boxes in view")
        # Hovering shows the content; what the box shows then is what it must
        # still show after its text has been dragged out.
        box_area, grab, shown = reveal(s, window, image, rows[box - 1])

        for number in (1, 2):
            drag_to_receiver(s, drops, grab)
            received, actions = wait_drop(drops, number)
            check(received == content,
                  f"drop {number}: received {len(received)} characters "
                  f"{received[:60]!r}..., expected {len(content)} {content[:60]!r}...")
            check(actions == "copy", f"drop {number}: the source offered '{actions}', not copy only")
            s.move(*RECEIVER_TARGET)
            try:
                wait_steady(s, box_area, lambda shot: shot.same_but_cursor(shown), "", 5)
            except Failure:
                after = s.screenshot().region(*box_area)
                raise Failure(f"drop {number}: the box shows something else after the drag "
                              f"(columns {after.columns_differing_from(shown)} of the box differ)")

        check(not os.path.exists(os.path.join(drops, "drop-3.txt")), "a drop too many")
        if not args.wine:
            check_primary_takes_content_once(s, drops, grab, content)
        check_running(quillo, " during the drags")
        check(receiver.poll() is None, f"the receiver ended ({receiver.returncode})")


# --- drops into the programs users drop into -------------------------------------

DROP_INTO_ENTRIES = DRAG_ENTRIES[:2] + [
    ("换行", "第一行\n第二行"),  # a lone LF: inside the content, not a line end
    ("长文", LONG_CONTENT[:39003]),
]
# row: the receiver, started on the case's session
DROP_INTO_CASES = {
    "chromium": lambda s: receivers.Chromium(s, RECEIVER_PLACE),
    "mousepad": receivers.Mousepad,
    "gnome-text-editor": receivers.GnomeTextEditor,
}


def first_difference(got, expected):
    at = next((i for i, (x, y) in enumerate(zip(got, expected)) if x != y),
              min(len(got), len(expected)))
    return (f"{len(got)} bytes ({len(expected)} expected), differing from byte {at}: "
            f"{got[at:at + 24]!r} for {expected[at:at + 24]!r}")


def case_drop_into(args, session):
    """Each entry dragged into one running receiver arrives exactly, in UTF-8."""
    with session() as s:
        quillo = s.start_quillo(prepare_run(s, [f"{t}={c}" for t, c in DROP_INTO_ENTRIES]))
        with DROP_INTO_CASES[args.row](s) as receiver, (
                s.drag_watch or receivers.XdndWatch)(s) as watch:
            window = s.wait_window(quillo, MAIN_TITLE)
            _, rows = wait_rows(s, window, lambda n: n == len(DROP_INTO_ENTRIES),
                                f"{len(DROP_INTO_ENTRIES)} boxes in view")
            left = s.geometry(window)[0]
            for number, ((title, content), (top, bottom)) in enumerate(
                    zip(DROP_INTO_ENTRIES, rows), 1):
                accepted, begun = watch.accepted(), watch.started()
                s.drag((left + 40, (top + bottom) // 2), receiver.target,
                       lambda: watch.accepted() > accepted,
                       started=lambda: watch.started() > begun)
                expected = content.encode()
                received = receiver.received(number, expected)
                check(received == expected, f"{args.row} received {title} as "
                      + first_difference(received, expected))
        check_running(quillo, " during the drags")


# --- scrolling and Restore -----------------------------------------------------

def down_arrow(top_left):
    """The scroll bar's down arrow, from the top left of the column (where
    box 1 sits before any scrolling): the bar is 16 x 132 px at 109, 0."""
    return top_left[0] + 117, top_left[1] + 124


def case_scroll_pages(args, session):
    """One click on the down arrow moves a page of ten rows, a second the rest
    of the way to Max; Restore brings a revealed box back to its title. Which
    entry a box holds is read the way a user would: by dragging it out."""
    with session() as s:
        drops, _, quillo, window = start_with_receiver(
            s, [f"条目{k}=内容 {k}" for k in range(1, 26)])
        image, rows = wait_rows(s, window, lambda n: n >= 10, "ten boxes or more in view")
        box_area, grab, _ = reveal(s, window, image, rows[0])
        s.click(*menu_captions(s, window)[1])  # 恢复
        wait_steady(s, box_area, lambda shot: shot.same_but_cursor(image.region(*box_area)),
                    "Restore to bring the title back")

        for number, first in ((1, 11), (2, 16)):
            unscrolled = s.screenshot().region(*box_area)
            s.click(*down_arrow(box_area))
            wait_steady(s, box_area, lambda shot: not shot.same_but_cursor(unscrolled),
                        "the column to move")
            drag_to_receiver(s, drops, grab)
            received, _ = wait_drop(drops, number)
            check(received == f"内容 {first}",
                  f"after {number} page(s) down the top box holds {received!r}, "
                  f"expected entry {first}")
        check_running(quillo)


def case_scroll_reversed(args, session):
    """Below ten entries the range is reversed (Max -1100 with five): the down
    arrow moves the value toward Max, and the column down by 1100 units."""
    with session() as s:
        quillo, window = start_on(s, [f"条目{k}=内容 {k}" for k in range(1, 6)], drawn=False)
        _, rows = wait_rows(s, window, lambda n: n == 5, "five boxes in view")
        left = s.geometry(window)[0]
        s.click(*down_arrow((left, rows[0][0])))

        def moved():
            after = box_rows(s, window, s.screenshot())
            return after if len(after) == 5 and after[0][0] != rows[0][0] else None
        moved = wait_until("the column to move down", moved)
        # 1100 units are 65.9 px: the boxes move down by 66 px, give or take
        # the rounding of their edges.
        shift = [after[0] - before[0] for before, after in zip(rows, moved)]
        check(all(65 <= d <= 67 for d in shift), f"the boxes moved by {shift} px, expected 66")
        check_running(quillo)
