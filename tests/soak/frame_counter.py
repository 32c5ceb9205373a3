#!/usr/bin/python3
"""frame_counter.py TITLE COUNT_FILE: counts the frames that the window called
TITLE shows, from outside the program, and keeps the count in COUNT_FILE.

Every frame ends with the whole back buffer put onto the window. The X
DAMAGE extension reports each drawing on the window as a rectangle; a
rectangle that covers the whole window is one frame shown. The count file is
rewritten (atomically) a few times a second; the counter ends when the window
or the display goes away."""
import os
import sys
import time

from Xlib import X, display, error
from Xlib.ext import damage

# The window search is the close script's own.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "scripts"))
from close_window import find  # noqa: E402


def publish(path, frames):
    temporary = path + ".tmp"
    with open(temporary, "w") as out:
        out.write("%d\n" % frames)
    os.replace(temporary, path)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: frame_counter.py TITLE COUNT_FILE\n")
        return 2
    title, path = sys.argv[1], sys.argv[2]
    screen = display.Display()
    if not screen.has_extension("DAMAGE"):
        sys.stderr.write("frame_counter.py: the display has no DAMAGE extension\n")
        return 1
    screen.damage_query_version()
    window = None
    for _ in range(300):
        window = find(screen.screen().root, title)
        if window is not None:
            break
        time.sleep(0.1)
    if window is None:
        sys.stderr.write("frame_counter.py: no window called %r\n" % title)
        return 1
    window.change_attributes(event_mask=X.StructureNotifyMask)
    window.damage_create(damage.DamageReportRawRectangles)
    screen.sync()
    frames = 0
    published = 0.0
    publish(path, frames)
    try:
        while True:
            while screen.pending_events() == 0:
                now = time.monotonic()
                if now - published > 0.2:
                    publish(path, frames)
                    published = now
                time.sleep(0.005)
                # Reading is what notices a server that went away.
                screen.flush()
            event = screen.next_event()
            if event.type == X.DestroyNotify:
                break
            if not hasattr(event, "area"):
                continue
            area, whole = event.area, event.drawable_geometry
            if area.x == 0 and area.y == 0 and area.width == whole.width and area.height == whole.height:
                frames += 1
    except (error.ConnectionClosedError, error.XError, OSError):
        pass
    publish(path, frames)
    return 0


if __name__ == "__main__":
    sys.exit(main())
