// Backend selection, the error sink, window classes, windows and the message
// loop: the host-independent half of platform.h.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/glyphs.h"
#include "platform/internal.h"

namespace platform {

using namespace win;

namespace {

struct State {
    const BackendOps* ops = nullptr;
    Backend chosen = Backend::automatic;
    ErrorSink sink = nullptr;
    ConnectionLostHandler connectionLost = nullptr;
    std::string lastError;
    std::map<std::string, WindowClass> classes;
    std::vector<std::unique_ptr<Window>> windows;
    MessageQueue queue;
};

// Never destroyed: windows that nobody destroys end with the process, and
// exit must not free their records while the backend's parts stay allocated.
State& state() {
    static State* instance = new State;
    return *instance;
}

void defaultSink(const char* message) { std::fprintf(stderr, "volview: %s\n", message); }

bool liveWindow(const Window* window) {
    for (const auto& w : state().windows)
        if (w.get() == window) return true;
    return false;
}

}  // namespace

const BackendOps* backend() { return state().ops; }
MessageQueue& queue() { return state().queue; }
const std::vector<std::unique_ptr<Window>>& windows() { return state().windows; }

void reportError(const char* prefix, const char* format, ...) {
    char text[512];
    int used = std::snprintf(text, sizeof text, "%s: ", prefix);
    va_list args;
    va_start(args, format);
    std::vsnprintf(text + used, sizeof text - used, format, args);
    va_end(args);
    state().lastError = text;
    (state().sink ? state().sink : defaultSink)(text);
}

void setConnectionLostHandler(ConnectionLostHandler handler) { state().connectionLost = handler; }

void connectionLost(const char* detail) {
    reportError("Platform", "Lost the connection to the window system: %s", detail);
    if (state().connectionLost) state().connectionLost();
    std::exit(1);
}

ErrorSink setErrorSink(ErrorSink sink) {
    ErrorSink previous = state().sink ? state().sink : defaultSink;
    state().sink = sink;
    return previous;
}

const char* lastError() { return state().lastError.c_str(); }

bool init(Backend which) {
    State& s = state();
    if (s.ops) terminate();
    s.lastError.clear();
    const BackendOps* ops = nullptr;
    switch (which) {
    case Backend::null:
        ops = &nullBackend();
        break;
    case Backend::x11:
#if VOLVIEW_HAVE_X11
        ops = &x11Backend();
#else
        reportError("Platform", "This build has no X11 backend");
        return false;
#endif
        break;
    case Backend::win32:
#if VOLVIEW_HAVE_WIN32
        ops = &win32Backend();
#else
        reportError("Platform", "This build has no Win32 backend");
        return false;
#endif
        break;
    case Backend::automatic:
#if VOLVIEW_HAVE_X11
        ops = &x11Backend();
        which = Backend::x11;
#elif VOLVIEW_HAVE_WIN32
        ops = &win32Backend();
        which = Backend::win32;
#else
        reportError("Platform", "This build has no window system backend");
        return false;
#endif
        break;
    }
    if (!ops->init()) return false;
    s.ops = ops;
    s.chosen = which;
    return true;
}

void terminate() {
    State& s = state();
    if (!s.ops) return;
    destroyContexts();
    while (!s.windows.empty()) destroyWindow(s.windows.back().get());
    s.ops->terminate();
    s.ops = nullptr;
    s.chosen = Backend::automatic;
    s.classes.clear();
    s.queue.clear();
}

Backend currentBackend() { return state().chosen; }

bool registerClass(const WindowClass& windowClass) {
    State& s = state();
    if (!s.ops || !windowClass.name || !*windowClass.name || !windowClass.procedure) {
        reportError("Platform", "Window class without a name or a procedure");
        return false;
    }
    if (!s.classes.emplace(windowClass.name, windowClass).second) {
        reportError("Platform", "Window class \"%s\" is already registered", windowClass.name);
        return false;
    }
    return true;
}

Window* createWindow(const char* className, const char* title, unsigned style, int, int, int width,
                     int height) {
    State& s = state();
    if (!s.ops) return nullptr;
    auto found = s.classes.find(className ? className : "");
    if (found == s.classes.end()) {
        reportError("Platform", "No window class \"%s\"", className ? className : "(null)");
        return nullptr;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        reportError("Platform", "Invalid window size %d x %d", width, height);
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->className = found->first;
    window->title = title ? title : "";
    window->procedure = found->second.procedure;
    window->classStyle = found->second.style;
    window->width = width;
    window->height = height;
    window->dc.window = window.get();
    if (!s.ops->createWindow(*window)) return nullptr;
    Window* result = window.get();
    s.windows.push_back(std::move(window));
    s.queue.resize(result, width, height, 0);
    if (style & WS_VISIBLE) showWindow(result, SW_SHOW);
    return result;
}

void showWindow(Window* window, int command) {
    if (!backend() || !liveWindow(window)) return;
    const bool show = command != SW_HIDE;
    if (window->visible == show) return;
    backend()->showWindow(*window, show);
    window->visible = show;
}

void destroyWindow(Window* window) {
    State& s = state();
    if (!s.ops || !liveWindow(window)) return;
    window->procedure(window, WM_DESTROY, 0, 0);
    s.ops->destroyWindow(*window);
    s.queue.dropWindow(window);
    s.windows.erase(std::find_if(s.windows.begin(), s.windows.end(),
                                 [window](const auto& w) { return w.get() == window; }));
}

void clientSize(const Window* window, int& width, int& height) {
    width = window ? window->width : 0;
    height = window ? window->height : 0;
}

bool peekMessage(Message& message, unsigned removeFlag) {
    if (!backend()) return false;
    backend()->pollEvents();
    return state().queue.take(message, (removeFlag & PM_REMOVE) != 0);
}

bool waitMessage(int timeoutMilliseconds) {
    if (!backend()) return false;
    backend()->pollEvents();
    if (state().queue.pending()) return true;
    backend()->waitEvents(timeoutMilliseconds);
    return state().queue.pending();
}

void setCapture(Window* window) {
    if (backend() && backend()->setCapture && liveWindow(window)) backend()->setCapture(window);
}

void releaseCapture() {
    if (backend() && backend()->setCapture) backend()->setCapture(nullptr);
}

bool translateMessage(const Message& message) { return message.message == WM_KEYDOWN; }

intptr_t dispatchMessage(const Message& message) {
    if (message.message == WM_QUIT || !liveWindow(message.window)) return 0;
    return message.window->procedure(message.window, message.message, message.wParam, message.lParam);
}

intptr_t defWindowProc(Window* window, unsigned message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE) destroyWindow(window);
    return 0;
}

void postQuitMessage(int exitCode) { state().queue.postQuit(exitCode); }

int messageBox(Window*, const char* text, const char* caption, unsigned) {
    text = text ? text : "";
    caption = caption ? caption : "";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (backend()) backend()->messageBox(text, caption);
    return IDOK;
}

bool readWindowPixels(Window* window, int& width, int& height, std::vector<unsigned char>& rgb) {
    if (!backend() || !liveWindow(window) || !window->visible) return false;
    return backend()->readWindowPixels(*window, width, height, rgb);
}

bool glyphRequestSupported(HDC dc, unsigned code, unsigned format, const GLYPHMETRICS* metrics,
                           const MAT2* transform) {
    const bool identity = !transform || (transform->eM11.value == 1 && transform->eM11.fract == 0 &&
                                         transform->eM22.value == 1 && transform->eM22.fract == 0 &&
                                         transform->eM12.value == 0 && transform->eM12.fract == 0 &&
                                         transform->eM21.value == 0 && transform->eM21.fract == 0);
    return dc && dc->font && metrics && code <= 255 && identity &&
           (format == GGO_METRICS || format == GGO_GRAY8_BITMAP);
}

// A device context keeps the font selected into it; the glyph backends read
// it from there.
bool selectFont(HDC dc, Font* font) {
    if (!dc) return false;
    dc->font = font;
    return font != nullptr;
}

}  // namespace platform
