#!/usr/bin/python3
"""frame_counter.py TITLE COUNT_FILE: counts the frames the window called TITLE
shows, from outside the program, into COUNT_FILE (rewritten atomically a few
times a second) until the window or the display goes away. Every frame puts
the whole back buffer onto the window: a DAMAGE rectangle covering it all."""
import os
import sys
import time

from Xlib import X, display, error
from Xlib.ext import damage

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "scripts"))
from close_window import find  # noqa: E402


def publish(path, frames):
    with open(path + ".tmp", "w") as out:
        out.write("%d\n" % frames)
    os.replace(path + ".tmp", path)


def main(title, path):
    screen = display.Display()
    if not screen.has_extension("DAMAGE"):
        sys.exit("frame_counter.py: the display has no DAMAGE extension")
    screen.damage_query_version()
    for _ in range(300):
        window = find(screen.screen().root, title)
        if window is not None:
            break
        time.sleep(0.1)
    else:
        sys.exit("frame_counter.py: no window called %r" % title)
    window.change_attributes(event_mask=X.StructureNotifyMask)
    window.damage_create(damage.DamageReportRawRectangles)
    screen.sync()
    frames, published = 0, 0.0
    publish(path, frames)
    try:
        while True:
            while screen.pending_events() == 0:
                if time.monotonic() - published > 0.2:
                    publish(path, frames)
                    published = time.monotonic()
                time.sleep(0.005)
                screen.flush()  # what notices a server that went away
            event = screen.next_event()
            if event.type == X.DestroyNotify:
                break
            if hasattr(event, "area"):
                area, whole = event.area, event.drawable_geometry
                frames += (area.x, area.y, area.width, area.height) == (0, 0, whole.width, whole.height)
    except (error.ConnectionClosedError, error.XError, OSError):
        pass
    publish(path, frames)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: frame_counter.py TITLE COUNT_FILE")
    main(sys.argv[1], sys.argv[2])
