// Window, message queue and message box of the host, with the Windows
// user-interface names the viewer is written against. Pairs with
// gl_context.h (rendering contexts) and glyphs.h (font glyphs). No host
// header is included: callers see only the opaque types below.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Windows message, style and result constants with their Windows values.
// Code written against these names does `using namespace platform::win;`.
namespace win {
constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_CREATE = 0x0001;
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;

// wParam of WM_MOUSEWHEEL: the keys in the low word, the turn in the high
// word, in multiples of WHEEL_DELTA per notch (positive away from the user).
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes (wParam of WM_KEYDOWN) of the keys that make no character.
constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_PRIOR = 0x21;  // Page Up
constexpr unsigned VK_NEXT = 0x22;   // Page Down
constexpr unsigned VK_UP = 0x26;
constexpr unsigned VK_DOWN = 0x28;
constexpr unsigned VK_SHIFT = 0x10;
constexpr unsigned VK_F1 = 0x70;
constexpr unsigned VK_F2 = 0x71;
constexpr unsigned VK_F7 = 0x76;
constexpr unsigned VK_F12 = 0x7B;

constexpr unsigned SIZE_RESTORED = 0;

constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

constexpr unsigned CS_VREDRAW = 0x0001;
constexpr unsigned CS_HREDRAW = 0x0002;
constexpr unsigned CS_DBLCLKS = 0x0008;
constexpr unsigned CS_OWNDC = 0x0020;

constexpr unsigned WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr unsigned WS_VISIBLE = 0x10000000;
constexpr unsigned WS_POPUP = 0x80000000;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

constexpr unsigned PM_NOREMOVE = 0x0000;
constexpr unsigned PM_REMOVE = 0x0001;

constexpr unsigned MB_OK = 0x00000000;
constexpr unsigned MB_ICONERROR = 0x00000010;
constexpr unsigned MB_ICONEXCLAMATION = 0x00000030;
constexpr unsigned MB_ICONWARNING = 0x00000030;
constexpr unsigned MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
}  // namespace win

// Which implementation serves the calls. `automatic` is the host's window
// system (X11 on Linux, Win32 on Windows); `null` keeps everything in memory
// for tests.
enum class Backend { automatic, x11, win32, null };

// Connects to the window system; false (and an error) when it is missing,
// e.g. no display. Calls other than messageBox need a successful init.
bool init(Backend backend = Backend::automatic);

// Closes every window, context and off-screen buffer and the connection.
void terminate();

// The backend init() chose; `automatic` before init or after terminate.
Backend currentBackend();

// Receives every error of the layer, prefixed by the backend ("X11: ...").
using ErrorSink = void (*)(const char* message);

// Installs a new sink (null restores the default, which writes to standard
// error) and returns the previous one.
ErrorSink setErrorSink(ErrorSink sink);

// The last error reported through the sink, "" when none since init.
const char* lastError();

// What to do when the connection to the window system breaks during the run
// (the display went away). The layer reports the error through the sink,
// then calls the handler, which must end the process; without a handler the
// process ends with status 1.
using ConnectionLostHandler = void (*)();
void setConnectionLostHandler(ConnectionLostHandler handler);

// ---- Windows and messages ----------------------------------------------

struct Window;  // a top-level window with a client area

using WindowProc = intptr_t (*)(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

struct Message {
    Window* window = nullptr;
    unsigned message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;  // milliseconds, window-system clock
};

// Packs and unpacks the low and high 16-bit words of a long parameter.
constexpr intptr_t makeLParam(int low, int high) {
    return static_cast<intptr_t>((static_cast<uint32_t>(high) & 0xFFFFu) << 16 |
                                 (static_cast<uint32_t>(low) & 0xFFFFu));
}
constexpr unsigned loWord(intptr_t value) { return static_cast<unsigned>(value) & 0xFFFFu; }
constexpr unsigned hiWord(intptr_t value) { return (static_cast<unsigned>(value) >> 16) & 0xFFFFu; }

struct WindowClass {
    const char* name = nullptr;
    unsigned style = 0;  // CS_* flags; CS_DBLCLKS turns second presses into *DBLCLK
    WindowProc procedure = nullptr;
};

// Registers a window class; false when the name is empty, taken or the
// procedure is missing.
bool registerClass(const WindowClass& windowClass);

// Creates a window of a registered class whose client area is width x height
// pixels; it is shown at once when style has WS_VISIBLE. Null on failure.
Window* createWindow(const char* className, const char* title, unsigned style, int x, int y, int width,
                     int height);

// Shows (SW_SHOW) or hides (SW_HIDE) the window.
void showWindow(Window* window, int command);

// Destroys the window: WM_DESTROY goes to its procedure, nothing after that.
void destroyWindow(Window* window);

// Current client-area size.
void clientSize(const Window* window, int& width, int& height);

// Takes the next message without waiting: false when the queue is empty.
// WM_QUIT is reported here and must not be dispatched.
bool peekMessage(Message& message, unsigned removeFlag = win::PM_REMOVE);

// Waits until a message is queued or `timeoutMilliseconds` have passed (a
// negative timeout waits without end); true when a message is there. The
// process uses no CPU time while it waits.
bool waitMessage(int timeoutMilliseconds = -1);

// Keeps the pointer's messages coming to the window while a button is held
// beyond its edges, until releaseCapture (a drag). X11 does so by itself
// during a press; Windows only when asked.
void setCapture(Window* window);
void releaseCapture();

// Character translation happens when input is queued (WM_CHAR follows its
// key), so this only exists to keep the classic loop shape.
bool translateMessage(const Message& message);

// Runs the procedure of the message's window and returns its result.
intptr_t dispatchMessage(const Message& message);

// Default handling: WM_CLOSE destroys the window; everything else returns 0.
intptr_t defWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

// Makes the next peekMessage report WM_QUIT with the given exit code.
void postQuitMessage(int exitCode);

// Shows a modal box with text, caption and an OK button and returns IDOK
// once it is dismissed (Enter, Escape, a click on OK or the close box). Also
// writes "caption: text" to standard error; with no display it does only that.
int messageBox(Window* owner, const char* text, const char* caption, unsigned style);

// Reads what the window shows now (the window system's copy, not GL's) as
// top-row-first RGB bytes; false when the window is not visible.
bool readWindowPixels(Window* window, int& width, int& height, std::vector<unsigned char>& rgb);

}  // namespace platform
