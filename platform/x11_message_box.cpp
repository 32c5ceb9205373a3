// The modal message box of the X11 backend: a small window with the text and
// an OK button, drawn with the core X font, that returns once dismissed.
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11_platform.h"

namespace platform {

namespace {

std::vector<std::string> linesOf(const char* text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += *p;
        }
    }
    lines.push_back(line);
    return lines;
}

}  // namespace

bool x11MessageBox(const char* text, const char* caption) {
    LibraryX11& lib = x11();
    Display* display = lib.display;
    if (!display) return false;
    XFontStruct* font = XLoadQueryFont(display, "fixed");
    const int lineHeight = font ? font->ascent + font->descent : 13;
    const std::vector<std::string> lines = linesOf(text);
    int textWidth = 120;
    for (const std::string& line : lines)
        textWidth = std::max(textWidth, font ? XTextWidth(font, line.c_str(), static_cast<int>(line.size()))
                                             : static_cast<int>(line.size()) * 6);
    const int width = textWidth + 40;
    const int buttonTop = 20 + lineHeight * static_cast<int>(lines.size()) + 12;
    const int height = buttonTop + 26 + 14;
    const int buttonLeft = (width - 64) / 2;

    const unsigned long white = WhitePixel(display, lib.screen);
    const unsigned long black = BlackPixel(display, lib.screen);
    ::Window box = XCreateSimpleWindow(display, lib.root, 100, 100, width, height, 0, black, white);
    XSelectInput(display, box, ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);
    XStoreName(display, box, caption);
    XSetWMProtocols(display, box, &lib.wmDeleteWindow, 1);
    XMapRaised(display, box);
    XSetInputFocus(display, box, RevertToParent, CurrentTime);
    GC gc = XCreateGC(display, box, 0, nullptr);
    if (font) XSetFont(display, gc, font->fid);

    bool done = false;
    while (!done) {
        XEvent event;
        // NOTE: the box takes only its own events; the viewer's window keeps
        // its input queued for the frame loop. Close requests are client
        // messages, which no event mask selects, so they are polled for.
        if (XCheckTypedWindowEvent(display, box, ClientMessage, &event)) {
            done = static_cast<Atom>(event.xclient.data.l[0]) == lib.wmDeleteWindow;
            continue;
        }
        if (!XCheckWindowEvent(display, box, ExposureMask | KeyPressMask | ButtonPressMask, &event)) {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 50);
            continue;
        }
        switch (event.type) {
        case Expose:
            XClearWindow(display, box);
            XSetForeground(display, gc, black);
            for (size_t i = 0; i < lines.size(); ++i)
                XDrawString(display, box, gc, 20, 20 + lineHeight * static_cast<int>(i + 1) - 3,
                            lines[i].c_str(), static_cast<int>(lines[i].size()));
            XDrawRectangle(display, box, gc, buttonLeft, buttonTop, 64, 26);
            XDrawString(display, box, gc, buttonLeft + 25, buttonTop + 17, "OK", 2);
            break;
        case KeyPress: {
            const KeySym symbol = XLookupKeysym(&event.xkey, 0);
            done = symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape || symbol == XK_space;
            break;
        }
        case ButtonPress:
            done = event.xbutton.x >= buttonLeft && event.xbutton.x <= buttonLeft + 64 &&
                   event.xbutton.y >= buttonTop && event.xbutton.y <= buttonTop + 26;
            break;
        default:
            break;
        }
    }
    XFreeGC(display, gc);
    if (font) XFreeFont(display, font);
    XDestroyWindow(display, box);
    XSync(display, False);
    return true;
}

}  // namespace platform
