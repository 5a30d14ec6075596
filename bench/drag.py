#!/usr/bin/env python3
"""A drag of a content of 1,048,573 characters out of the real program into
the tests' drop receiver, under an Xvfb of its own, driven with xdotool as in
the end-to-end tests; a content of 20 characters beside it shows what the
driving itself costs. Checks that the whole text arrives, and writes the
median time from the press to the drop of each as JSON.

    drag.py --quillo PATH --receiver PATH --json FILE [--runs N]
"""
import argparse
import json
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from boxes import drag_to_receiver, start_with_receiver, wait_drop  # noqa: E402
from harness import Session, check, wait_rows, wait_steady  # noqa: E402

LONG = ("长文本 long text = 0123456789，" * 40000)[:1_048_573]
SHORT = "短的内容，a short text!!!"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quillo", required=True)
    parser.add_argument("--receiver", required=True)
    parser.add_argument("--json", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    times = {"long": [], "short": []}
    with Session(args) as s:
        drops, _, _, window = start_with_receiver(s, [f"长={LONG}", f"短={SHORT}"])
        image, rows = wait_rows(s, window, lambda n: n == 2, "2 boxes in view")
        left, _, _, _ = s.geometry(window)
        number = 0
        for run in range(args.runs):
            for box, (name, content) in enumerate((("long", LONG), ("short", SHORT))):
                top, bottom = rows[box]
                grab = (left + 40, (top + bottom) // 2)
                box_area = (left, top, 106, bottom - top + 1)
                before = s.screenshot().region(*box_area)
                s.move(grab[0] - 4, grab[1])
                s.move(*grab)
                if run == 0:
                    wait_steady(s, box_area, lambda shot: not shot.same_but_cursor(before),
                                "the hover to show the content")
                number += 1
                pressed = time.monotonic()
                drag_to_receiver(s, drops, grab)
                received, actions = wait_drop(drops, number)
                times[name].append((time.monotonic() - pressed) * 1000)
                check(received == content and actions == "copy",
                      f"drop {number}: {len(received)} characters ({actions}), "
                      f"expected {len(content)} (copy)")
    result = {name: statistics.median(values) for name, values in times.items()}
    result["runs"] = args.runs
    with open(args.json, "w") as out:
        json.dump(result, out, indent=2)
    print(f"press to drop: {result['long']:.0f} ms for 1,048,573 characters, "
          f"{result['short']:.0f} ms for {len(SHORT)}")


if __name__ == "__main__":
    main()
