#!/usr/bin/python3
"""close_window.py TITLE|ID: asks the window called TITLE (the first found),
or the window with that numeric ID, to close, as a window manager's close box
does (a WM_DELETE_WINDOW message), and exits 0 when such a window was found."""
import sys

from Xlib import X, display, protocol


def find(window, title):
    if window.get_wm_name() == title:
        return window
    for child in window.query_tree().children:
        found = find(child, title)
        if found is not None:
            return found
    return None


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: close_window.py TITLE|ID\n")
        return 2
    screen = display.Display()
    if sys.argv[1].isdigit():
        window = screen.create_resource_object("window", int(sys.argv[1]))
    else:
        window = find(screen.screen().root, sys.argv[1])
    if window is None:
        sys.stderr.write("close_window.py: no window called %r\n" % sys.argv[1])
        return 1
    protocols = screen.intern_atom("WM_PROTOCOLS")
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    # A round trip, not just a flush: the request must have reached the
    # server before this client goes away.
    screen.sync()
    return 0


if __name__ == "__main__":
    sys.exit(main())
