#!/usr/bin/python3
"""wait_for_frames.py [--tally FILE] TITLE COUNT [SECONDS]: waits until the
window called TITLE has shown COUNT more frames, and exits 0; exits 1 when the
window is not found, goes away or SECONDS (default 120) pass first. With
--tally the count so far is rewritten into FILE (in one step) a few times a
second and once more at the end, for a caller that watches a long run.

Every frame ends with the whole back buffer put onto the window, which the X
DAMAGE extension reports as one rectangle covering the window. The viewer's
overlay shows a measured rate from its 60th frame, and a rate measured over
frames of the run alone (not start-up) from its 120th."""
import os
import sys
import time

from Xlib import X, display, error
from Xlib.ext import damage

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from close_window import find  # noqa: E402


def publish(tally, frames):
    if tally is not None:
        with open(tally + ".tmp", "w") as out:
            out.write("%d\n" % frames)
        os.replace(tally + ".tmp", tally)


def main():
    args, tally = sys.argv[1:], None
    if args[:1] == ["--tally"] and len(args) > 1:
        args, tally = args[2:], args[1]
    if len(args) not in (2, 3):
        sys.stderr.write("usage: wait_for_frames.py [--tally FILE] TITLE COUNT [SECONDS]\n")
        return 2
    title, wanted = args[0], int(args[1])
    deadline = time.monotonic() + (float(args[2]) if len(args) == 3 else 120.0)
    screen = display.Display()
    if not screen.has_extension("DAMAGE"):
        sys.stderr.write("wait_for_frames.py: the display has no DAMAGE extension\n")
        return 1
    screen.damage_query_version()
    window = find(screen.screen().root, title)
    if window is None:
        sys.stderr.write("wait_for_frames.py: no window called %r\n" % title)
        return 1
    window.change_attributes(event_mask=X.StructureNotifyMask)
    window.damage_create(damage.DamageReportRawRectangles)
    screen.sync()
    frames, published = 0, 0.0
    try:
        while frames < wanted:
            while screen.pending_events() == 0:
                if time.monotonic() - published > 0.2:
                    publish(tally, frames)
                    published = time.monotonic()
                if time.monotonic() > deadline:
                    sys.stderr.write("wait_for_frames.py: %d of %d frames shown in time\n" % (frames, wanted))
                    return 1
                time.sleep(0.005)
                screen.flush()
            event = screen.next_event()
            if event.type == X.DestroyNotify:
                return 1
            if not hasattr(event, "area"):
                continue
            area, whole = event.area, event.drawable_geometry
            if area.x == 0 and area.y == 0 and area.width == whole.width and area.height == whole.height:
                frames += 1
    except (error.ConnectionClosedError, error.XError, OSError):
        return 1
    finally:
        publish(tally, frames)
    return 0


if __name__ == "__main__":
    sys.exit(main())
