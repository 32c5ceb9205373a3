// Host-independent input translation and the thread's message queue: every
// backend reports raw input here and peekMessage takes from here.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/platform.h"

namespace platform {

// Two presses of one button count as a double click within this time and
// this distance (per axis), as on Windows.
constexpr uint32_t doubleClickMilliseconds = 500;
constexpr int doubleClickDistance = 2;

enum class MouseButton { left, right, middle };

// A key as a backend sees it, before translation into characters.
struct KeyInput {
    enum class Kind { character, keypadDigit, keypadDecimal, other };
    Kind kind = Kind::other;
    int value = 0;            // the character, or the keypad digit 0 to 9
    unsigned virtualKey = 0;  // WM_KEYDOWN's wParam: VK_F1.., VK_ESCAPE, or 0
    bool numLock = false;
    bool shift = false;
    bool repeat = false;  // auto-repeat of a key already held
};

// The character a key press produces, or -1 for none. Keypad digits give
// digits when Num Lock is on (Shift inverts it, as on Windows).
int characterOfKey(const KeyInput& key);

class MessageQueue {
public:
    // Posts a message as it is.
    void post(const Message& message);

    // Pointer motion in client coordinates; replaces a motion message of the
    // same window at the tail of the queue so stale positions never pile up.
    void motion(Window* window, int x, int y, unsigned keys, uint32_t time);

    // A button press or release; a second press of the same button within the
    // double-click time and distance becomes *DBLCLK when doubleClicks is set.
    void button(Window* window, MouseButton which, bool pressed, int x, int y, unsigned keys, uint32_t time,
                bool doubleClicks);

    // A key press: WM_KEYDOWN, then WM_CHAR when it produces a character.
    void key(Window* window, const KeyInput& key, uint32_t time);

    // A turn of the wheel by `delta` (WHEEL_DELTA a notch) at screen (x, y).
    void wheel(Window* window, int delta, int x, int y, unsigned keys, uint32_t time);

    // A new client size; replaces a WM_SIZE of the same window at the tail.
    void resize(Window* window, int width, int height, uint32_t time);

    // Part of the window must be drawn again; one WM_PAINT stands for all
    // that are queued.
    void paint(Window* window, uint32_t time);

    // The window manager asks the window to close.
    void close(Window* window, uint32_t time);

    // The next take() reports WM_QUIT with this exit code, before anything else.
    void postQuit(int exitCode);

    // Takes (or, without remove, looks at) the next message; false when empty.
    bool take(Message& message, bool remove);

    // Forgets the messages of a destroyed window.
    void dropWindow(Window* window);

    void clear();
    std::size_t size() const { return messages_.size(); }
    // True when take() would report something (a message or WM_QUIT).
    bool pending() const { return quitPosted_ || !messages_.empty(); }

private:
    struct Click {
        Window* window = nullptr;
        MouseButton button = MouseButton::left;
        int x = 0, y = 0;
        uint32_t time = 0;
        bool valid = false;
    };

    std::deque<Message> messages_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    Click lastClick_;
};

}  // namespace platform
