// Message translation on the null backend: what the window procedure sees
// for synthetic input, through the same queue the X11 backend feeds.
#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gl_context.h"
#include "platform/null_backend.h"
#include "platform/platform.h"

using namespace platform;
using namespace platform::win;

namespace {

std::vector<Message> dispatched;

intptr_t recordingProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    dispatched.push_back({window, message, wParam, lParam, 0});
    if (message == WM_CLOSE) {
        postQuitMessage(0);
        return 0;
    }
    return defWindowProc(window, message, wParam, lParam);
}

class MessageLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        dispatched.clear();
        ASSERT_TRUE(init(Backend::null));
        ASSERT_TRUE(registerClass({"test", CS_DBLCLKS | CS_OWNDC, recordingProc}));
        window = createWindow("test", "test", WS_VISIBLE, 0, 0, 400, 400);
        ASSERT_NE(window, nullptr);
        drain();
        dispatched.clear();
    }
    void TearDown() override { terminate(); }

    // Runs the frame loop's message step until the queue is empty; returns
    // the messages taken, WM_QUIT included but never dispatched.
    std::vector<unsigned> drain() {
        std::vector<unsigned> taken;
        Message message;
        while (peekMessage(message, PM_REMOVE)) {
            taken.push_back(message.message);
            if (message.message == WM_QUIT)
                break;
            translateMessage(message);
            dispatchMessage(message);
        }
        return taken;
    }

    Window* window = nullptr;
};

TEST_F(MessageLoopTest, SecondPressBecomesDoubleClickOnlyWhenCloseInTimeAndPlace) {
    struct Case {
        const char* what;
        MouseButton first, second;
        int dx, dy;
        uint32_t dt;
        unsigned expected;
    };
    const Case cases[] = {
        {"quick, same place", MouseButton::left, MouseButton::left, 0, 0, 200, WM_LBUTTONDBLCLK},
        {"right button", MouseButton::right, MouseButton::right, 1, -1, 100, WM_RBUTTONDBLCLK},
        {"at the time limit", MouseButton::left, MouseButton::left, 0, 0, 500, WM_LBUTTONDBLCLK},
        {"too slow", MouseButton::left, MouseButton::left, 0, 0, 501, WM_LBUTTONDOWN},
        {"moved too far", MouseButton::left, MouseButton::left, 3, 0, 100, WM_LBUTTONDOWN},
        {"other button", MouseButton::left, MouseButton::right, 0, 0, 100, WM_RBUTTONDOWN},
    };
    uint32_t time = 10000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        time += 5000;
        null::pushButton(window, c.first, true, 50, 60, time);
        null::pushButton(window, c.first, false, 50, 60, time + 10);
        null::pushButton(window, c.second, true, 50 + c.dx, 60 + c.dy, time + c.dt);
        null::pushButton(window, c.second, false, 50 + c.dx, 60 + c.dy, time + c.dt + 10);
        const std::vector<unsigned> taken = drain();
        ASSERT_EQ(taken.size(), 4u);
        EXPECT_EQ(taken[2], c.expected);
        EXPECT_EQ(loWord(dispatched.back().lParam), 50u + c.dx);
    }
}

TEST_F(MessageLoopTest, ThirdQuickPressIsAPlainPressAgain) {
    for (uint32_t t : {1000u, 1100u, 1200u})
        null::pushButton(window, MouseButton::left, true, 5, 5, t);
    EXPECT_EQ(drain(), (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(MessageLoopTest, WithoutDoubleClickStyleEveryPressIsAPress) {
    ASSERT_TRUE(registerClass({"plain", 0, recordingProc}));
    Window* plain = createWindow("plain", "plain", 0, 0, 0, 100, 100);
    drain();
    null::pushButton(plain, MouseButton::left, true, 5, 5, 1000);
    null::pushButton(plain, MouseButton::left, true, 5, 5, 1100);
    EXPECT_EQ(drain(), (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST(KeyTranslation, KeypadDigitsFollowNumLockAndShift) {
    using Kind = KeyInput::Kind;
    struct Case {
        const char* what;
        KeyInput key;
        int expected;
    };
    const Case cases[] = {
        {"main digit", {Kind::character, '1', false, false, false}, '1'},
        {"keypad 1, Num Lock on", {Kind::keypadDigit, 1, true, false, false}, '1'},
        {"keypad 3, Num Lock on", {Kind::keypadDigit, 3, true, false, false}, '3'},
        {"keypad 2, Num Lock off", {Kind::keypadDigit, 2, false, false, false}, -1},
        {"keypad 2, Num Lock on, Shift", {Kind::keypadDigit, 2, true, true, false}, -1},
        {"keypad 2, Num Lock off, Shift", {Kind::keypadDigit, 2, false, true, false}, '2'},
        {"keypad point", {Kind::keypadDecimal, 0, true, false, false}, '.'},
        {"no character", {Kind::other, 0, true, false, false}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(characterOfKey(c.key), c.expected);
    }
}

TEST_F(MessageLoopTest, KeyPressesArriveAsCharactersAndRepeatsRepeat) {
    KeyInput keypad2{KeyInput::Kind::keypadDigit, 2, true, false, false};
    null::pushKey(window, keypad2, 1);
    keypad2.repeat = true;
    null::pushKey(window, keypad2, 2);
    drain();
    std::vector<uintptr_t> characters;
    for (const Message& m : dispatched)
        if (m.message == WM_CHAR)
            characters.push_back(m.wParam);
    EXPECT_EQ(characters, (std::vector<uintptr_t>{'2', '2'}));
}

TEST_F(MessageLoopTest, MotionIsCoalescedIntoTheLatestPosition) {
    for (int i = 0; i < 50; ++i)
        null::pushMotion(window, i, 2 * i, static_cast<uint32_t>(i));
    null::pushButton(window, MouseButton::left, true, 49, 98, 60);
    null::pushMotion(window, 300, 200, 70);
    null::pushMotion(window, 301, 65535, 71);
    EXPECT_EQ(drain(), (std::vector<unsigned>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE}));
    EXPECT_EQ(loWord(dispatched[0].lParam), 49u);
    EXPECT_EQ(hiWord(dispatched[0].lParam), 98u);
    EXPECT_EQ(loWord(dispatched[2].lParam), 301u);
    EXPECT_EQ(hiWord(dispatched[2].lParam), 65535u);
    EXPECT_EQ(dispatched[2].wParam & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(MessageLoopTest, CloseLeadsToQuitWhichIsReportedNotDispatched) {
    null::pushClose(window, 5);
    null::pushMotion(window, 1, 1, 6);
    Message message;
    ASSERT_TRUE(peekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_CLOSE);
    dispatchMessage(message);
    ASSERT_TRUE(peekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(dispatchMessage(message), 0);
    EXPECT_EQ(dispatched.back().message, WM_CLOSE);
    // The procedure did not destroy the window, so its input keeps coming.
    ASSERT_TRUE(peekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_MOUSEMOVE);
    EXPECT_FALSE(peekMessage(message, PM_REMOVE));
}

TEST_F(MessageLoopTest, ResizeReportsTheClientSize) {
    null::pushResize(window, 640, 480, 1);
    null::pushResize(window, 320, 240, 2);
    EXPECT_EQ(drain(), std::vector<unsigned>{WM_SIZE});
    EXPECT_EQ(loWord(dispatched.back().lParam), 320u);
    EXPECT_EQ(hiWord(dispatched.back().lParam), 240u);
}

TEST_F(MessageLoopTest, DefaultCloseDestroysTheWindowAndDropsItsInput) {
    null::pushMotion(window, 1, 1, 1);
    defWindowProc(window, WM_CLOSE, 0, 0);
    Message message;
    EXPECT_FALSE(peekMessage(message, PM_REMOVE));
    EXPECT_EQ(dispatched.back().message, WM_DESTROY);
    EXPECT_EQ(getDC(window), nullptr);
}

}  // namespace
