#include "platform/message_queue.h"

#include <cstdlib>

namespace platform {

using namespace win;

int characterOfKey(const KeyInput& key) {
    switch (key.kind) {
    case KeyInput::Kind::character:
        return key.value;
    case KeyInput::Kind::keypadDigit:
        return key.numLock != key.shift ? '0' + key.value : -1;
    case KeyInput::Kind::keypadDecimal:
        return key.numLock != key.shift ? '.' : -1;
    case KeyInput::Kind::other:
        break;
    }
    return -1;
}

void MessageQueue::post(const Message& message) { messages_.push_back(message); }

void MessageQueue::motion(Window* window, int x, int y, unsigned keys, uint32_t time) {
    Message message{window, WM_MOUSEMOVE, keys, makeLParam(x, y), time};
    if (!messages_.empty() && messages_.back().message == WM_MOUSEMOVE && messages_.back().window == window) {
        messages_.back() = message;
        return;
    }
    messages_.push_back(message);
}

void MessageQueue::button(Window* window, MouseButton which, bool pressed, int x, int y, unsigned keys,
                          uint32_t time, bool doubleClicks) {
    static const unsigned down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const unsigned up[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const unsigned dbl[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    const int index = static_cast<int>(which);
    if (!pressed) {
        messages_.push_back({window, up[index], keys, makeLParam(x, y), time});
        return;
    }
    const bool isDouble = doubleClicks && lastClick_.valid && lastClick_.window == window &&
                          lastClick_.button == which && time - lastClick_.time <= doubleClickMilliseconds &&
                          std::abs(x - lastClick_.x) <= doubleClickDistance &&
                          std::abs(y - lastClick_.y) <= doubleClickDistance;
    if (isDouble) {
        // A third press starts over, as on Windows.
        lastClick_.valid = false;
    } else {
        lastClick_ = Click{window, which, x, y, time, true};
    }
    messages_.push_back({window, isDouble ? dbl[index] : down[index], keys, makeLParam(x, y), time});
}

void MessageQueue::key(Window* window, const KeyInput& key, uint32_t time) {
    // Repeat count 1 in bits 0-15, previous key state in bit 30.
    const intptr_t lParam = 1 | (key.repeat ? (intptr_t{1} << 30) : 0);
    messages_.push_back({window, WM_KEYDOWN, key.virtualKey, lParam, time});
    const int character = characterOfKey(key);
    if (character >= 0)
        messages_.push_back({window, WM_CHAR, static_cast<uintptr_t>(character & 0xFF), lParam, time});
}

void MessageQueue::wheel(Window* window, int delta, int x, int y, unsigned keys, uint32_t time) {
    const uintptr_t wParam = (keys & 0xFFFFu) | (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16);
    messages_.push_back({window, WM_MOUSEWHEEL, wParam, makeLParam(x, y), time});
}

void MessageQueue::resize(Window* window, int width, int height, uint32_t time) {
    Message message{window, WM_SIZE, SIZE_RESTORED, makeLParam(width, height), time};
    if (!messages_.empty() && messages_.back().message == WM_SIZE && messages_.back().window == window) {
        messages_.back() = message;
        return;
    }
    messages_.push_back(message);
}

void MessageQueue::paint(Window* window, uint32_t time) {
    for (const Message& queued : messages_)
        if (queued.message == WM_PAINT && queued.window == window) return;
    messages_.push_back({window, WM_PAINT, 0, 0, time});
}

void MessageQueue::close(Window* window, uint32_t time) {
    messages_.push_back({window, WM_CLOSE, 0, 0, time});
}

void MessageQueue::postQuit(int exitCode) {
    quitPosted_ = true;
    quitCode_ = exitCode;
}

bool MessageQueue::take(Message& message, bool remove) {
    if (quitPosted_) {
        message = Message{nullptr, WM_QUIT, static_cast<uintptr_t>(quitCode_), 0, 0};
        if (remove) quitPosted_ = false;
        return true;
    }
    if (messages_.empty()) return false;
    message = messages_.front();
    if (remove) messages_.pop_front();
    return true;
}

void MessageQueue::dropWindow(Window* window) {
    for (auto it = messages_.begin(); it != messages_.end();)
        it = it->window == window ? messages_.erase(it) : it + 1;
    if (lastClick_.window == window) lastClick_.valid = false;
}

void MessageQueue::clear() {
    messages_.clear();
    quitPosted_ = false;
    lastClick_.valid = false;
}

}  // namespace platform
