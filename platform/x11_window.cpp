// The X11 backend: the display connection, windows and their input, and the
// operations table that ties in the GLX half.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/x11_platform.h"

namespace platform {

using namespace win;

namespace {

LibraryX11 library;

// NOTE: the connection stays open until the process ends, and a later init
// reuses it. Closing it makes Mesa unload its driver, and the driver's
// once-per-process allocations then turn into leaks without a name.
Display* connection = nullptr;

int handleError(Display*, XErrorEvent* event) {
    library.errorCode = event->error_code;
    return 0;
}

// Xlib calls this when the server goes away (killed, or its socket closed);
// nothing can be drawn or read any more. It must not return.
int handleConnectionLoss(Display* display) {
    char detail[160];
    std::snprintf(detail, sizeof detail, "the X server of display \"%s\" went away",
                  display ? DisplayString(display) : "");
    connectionLost(detail);
}

unsigned findNumLockMask(Display* display) {
    unsigned mask = 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    for (int modifier = 0; modifier < 8 && numLock; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock) mask = 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

bool x11Init() {
    library = LibraryX11{};
    XSetIOErrorHandler(handleConnectionLoss);
    if (!connection) connection = XOpenDisplay(nullptr);
    library.display = connection;
    if (!library.display) {
        const char* name = std::getenv("DISPLAY");
        reportError("X11", "Failed to open display \"%s\"", name ? name : "(DISPLAY is not set)");
        return false;
    }
    library.screen = DefaultScreen(library.display);
    library.root = RootWindow(library.display, library.screen);
    library.wmProtocols = XInternAtom(library.display, "WM_PROTOCOLS", False);
    library.wmDeleteWindow = XInternAtom(library.display, "WM_DELETE_WINDOW", False);
    library.numLockMask = findNumLockMask(library.display);
    // NOTE: without this a held key arrives as release/press pairs and every
    // repeat would look like a fresh press.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(library.display, True, &supported);
    if (!glxInit()) {
        library.display = nullptr;
        return false;
    }
    return true;
}

void x11Terminate() {
    glxTerminate();
    if (library.display) XSync(library.display, True);  // drop what is still queued
    library = LibraryX11{};
}

bool x11CreateWindow(Window& window) {
    Display* display = library.display;
    XVisualInfo* visual = glxWindowVisual();
    if (!visual) {
        reportError("GLX", "No double-buffered RGBA format can draw to a window");
        return false;
    }
    auto native = std::make_unique<WindowX11>();
    native->visual = visual->visualid;
    native->colormap = XCreateColormap(display, library.root, visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = native->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | ExposureMask | FocusChangeMask;
    grabErrors();
    native->handle =
        XCreateWindow(display, library.root, 0, 0, window.width, window.height, 0, visual->depth, InputOutput,
                      visual->visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
    XFree(visual);
    if (releaseErrors() || !native->handle) {
        XFreeColormap(display, native->colormap);
        reportError("X11", "Failed to create a %d x %d window", window.width, window.height);
        return false;
    }
    XSetWMProtocols(display, native->handle, &library.wmDeleteWindow, 1);
    XStoreName(display, native->handle, window.title.c_str());
    XClassHint* hint = XAllocClassHint();
    hint->res_name = const_cast<char*>(window.className.c_str());
    hint->res_class = const_cast<char*>(window.className.c_str());
    XSetClassHint(display, native->handle, hint);
    XFree(hint);
    XSizeHints* size = XAllocSizeHints();
    size->flags = PSize | PPosition;
    size->width = window.width;
    size->height = window.height;
    XSetWMNormalHints(display, native->handle, size);
    XFree(size);
    window.x11 = native.release();
    return true;
}

void x11DestroyWindow(Window& window) {
    if (!window.x11) return;
    XDestroyWindow(library.display, window.x11->handle);
    ++library.drawablesDestroyed;
    XFreeColormap(library.display, window.x11->colormap);
    XFlush(library.display);
    delete window.x11;
    window.x11 = nullptr;
}

void x11ShowWindow(Window& window, bool show) {
    Display* display = library.display;
    if (show) {
        XMapRaised(display, window.x11->handle);
        // Like ShowWindow, return once the window is on screen.
        XEvent event;
        XSync(display, False);
        for (int tries = 0; tries < 200; ++tries) {
            if (XCheckTypedWindowEvent(display, window.x11->handle, MapNotify, &event)) break;
            XSync(display, False);
        }
    } else {
        XUnmapWindow(display, window.x11->handle);
        XSync(display, False);
    }
}

Window* windowOf(::Window handle) {
    for (const auto& w : windows())
        if (w->x11 && w->x11->handle == handle) return w.get();
    return nullptr;
}

unsigned keysOf(unsigned state) {
    unsigned keys = 0;
    if (state & Button1Mask) keys |= MK_LBUTTON;
    if (state & Button2Mask) keys |= MK_MBUTTON;
    if (state & Button3Mask) keys |= MK_RBUTTON;
    if (state & ShiftMask) keys |= MK_SHIFT;
    if (state & ControlMask) keys |= MK_CONTROL;
    return keys;
}

// The Windows virtual-key code of the keys the viewer reads without a character.
unsigned virtualKeyOf(KeySym symbol) {
    if (symbol >= XK_F1 && symbol <= XK_F12) return VK_F1 + static_cast<unsigned>(symbol - XK_F1);
    switch (symbol) {
    case XK_Escape:
        return VK_ESCAPE;
    case XK_Prior:
        return VK_PRIOR;
    case XK_Next:
        return VK_NEXT;
    case XK_Up:
        return VK_UP;
    case XK_Down:
        return VK_DOWN;
    default:
        return 0;
    }
}

KeyInput keyOf(XKeyEvent& event) {
    KeyInput key;
    key.numLock = (event.state & library.numLockMask) != 0;
    key.shift = (event.state & ShiftMask) != 0;
    key.repeat = event.keycode == library.lastKeycode;
    // The keypad keys are told by their Num Lock level, whatever the state.
    const KeySym keypad = XkbKeycodeToKeysym(library.display, event.keycode, 0, 1);
    if (keypad >= XK_KP_0 && keypad <= XK_KP_9) {
        key.kind = KeyInput::Kind::keypadDigit;
        key.value = static_cast<int>(keypad - XK_KP_0);
        return key;
    }
    if (keypad == XK_KP_Decimal) {
        key.kind = KeyInput::Kind::keypadDecimal;
        return key;
    }
    char text[8];
    KeySym symbol = 0;
    key.virtualKey = virtualKeyOf(XkbKeycodeToKeysym(library.display, event.keycode, 0, 0));
    if (XLookupString(&event, text, sizeof text, &symbol, nullptr) == 1) {
        key.kind = KeyInput::Kind::character;
        key.value = static_cast<unsigned char>(text[0]);
    }
    return key;
}

void handleEvent(XEvent& event) {
    Window* window = windowOf(event.xany.window);
    if (!window) return;
    MessageQueue& messages = queue();
    switch (event.type) {
    case ConfigureNotify:
        if (event.xconfigure.width != window->width || event.xconfigure.height != window->height) {
            window->width = event.xconfigure.width;
            window->height = event.xconfigure.height;
            messages.resize(window, window->width, window->height, 0);
        }
        break;
    case Expose:
        if (event.xexpose.count == 0) messages.paint(window, 0);
        break;
    case ClientMessage:
        if (event.xclient.message_type == library.wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == library.wmDeleteWindow)
            messages.close(window, static_cast<uint32_t>(event.xclient.data.l[1]));
        break;
    case KeyPress:
        messages.key(window, keyOf(event.xkey), static_cast<uint32_t>(event.xkey.time));
        library.lastKeycode = event.xkey.keycode;
        break;
    case KeyRelease:
        library.lastKeycode = 0;
        break;
    case ButtonPress:
    case ButtonRelease: {
        const unsigned button = event.xbutton.button;
        // NOTE: X reports a notch of the wheel as a press and release of
        // button 4 (away from the user) or 5; Windows as one WM_MOUSEWHEEL.
        if ((button == 4 || button == 5) && event.type == ButtonPress) {
            messages.wheel(window, button == 4 ? WHEEL_DELTA : -WHEEL_DELTA, event.xbutton.x_root,
                           event.xbutton.y_root, keysOf(event.xbutton.state),
                           static_cast<uint32_t>(event.xbutton.time));
        }
        if (button < 1 || button > 3) break;  // extra buttons are not reported
        const MouseButton which = button == 1   ? MouseButton::left
                                  : button == 3 ? MouseButton::right
                                                : MouseButton::middle;
        const bool pressed = event.type == ButtonPress;
        unsigned keys = keysOf(event.xbutton.state);
        const unsigned bit = which == MouseButton::left    ? MK_LBUTTON
                             : which == MouseButton::right ? MK_RBUTTON
                                                           : MK_MBUTTON;
        keys = pressed ? keys | bit : keys & ~bit;  // the state is from before the event
        messages.button(window, which, pressed, event.xbutton.x, event.xbutton.y, keys,
                        static_cast<uint32_t>(event.xbutton.time), (window->classStyle & CS_DBLCLKS) != 0);
        break;
    }
    case MotionNotify:
        messages.motion(window, event.xmotion.x, event.xmotion.y, keysOf(event.xmotion.state),
                        static_cast<uint32_t>(event.xmotion.time));
        break;
    default:
        break;
    }
}

void x11PollEvents() {
    Display* display = library.display;
    XEvent event;
    while (XPending(display)) {
        XNextEvent(display, &event);
        handleEvent(event);
    }
}

void x11WaitEvents(int timeoutMilliseconds) {
    Display* display = library.display;
    // NOTE: XPending flushes our requests and reads what the server sent;
    // only with nothing read yet is it safe to sleep on the socket.
    if (XPending(display) == 0) {
        pollfd socket{ConnectionNumber(display), POLLIN, 0};
        poll(&socket, 1, timeoutMilliseconds < 0 ? -1 : timeoutMilliseconds);
    }
    x11PollEvents();
}

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

bool x11ReadWindowPixels(Window& window, int& width, int& height, std::vector<unsigned char>& rgb) {
    grabErrors();
    XImage* image =
        XGetImage(library.display, window.x11->handle, 0, 0, window.width, window.height, AllPlanes, ZPixmap);
    if (releaseErrors() || !image) {
        reportError("X11", "Failed to read the window's pixels");
        return false;
    }
    width = image->width;
    height = image->height;
    rgb.resize(static_cast<size_t>(width) * height * 3);
    const int shifts[] = {shiftOf(image->red_mask), shiftOf(image->green_mask), shiftOf(image->blue_mask)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            unsigned char* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            out[0] = static_cast<unsigned char>((pixel & image->red_mask) >> shifts[0]);
            out[1] = static_cast<unsigned char>((pixel & image->green_mask) >> shifts[1]);
            out[2] = static_cast<unsigned char>((pixel & image->blue_mask) >> shifts[2]);
        }
    XDestroyImage(image);
    return true;
}

}  // namespace

LibraryX11& x11() { return library; }

void grabErrors() {
    XSync(library.display, False);
    library.errorCode = 0;
    library.previousHandler = XSetErrorHandler(handleError);
}

int releaseErrors() {
    XSync(library.display, False);
    XSetErrorHandler(library.previousHandler);
    return library.errorCode;
}

const BackendOps& x11Backend() {
    static const BackendOps ops = {
        "X11",
        x11Init,
        x11Terminate,
        x11CreateWindow,
        x11DestroyWindow,
        x11ShowWindow,
        x11PollEvents,
        x11WaitEvents,
        nullptr,  // a press grabs the pointer by itself
        x11ReadWindowPixels,
        x11MessageBox,
        glxFormatCount,
        glxFormatAttribute,
        glxFormatFitsWindow,
        glxCreateContext,
        glxDestroyContext,
        glxMakeCurrent,
        glxSwapBuffers,
        glxCreatePbuffer,
        glxDestroyPbuffer,
        glxBindTexImage,
        glxReleaseTexImage,
        glxGetGlProc,
        glxGlString,
    };
    return ops;
}

}  // namespace platform
