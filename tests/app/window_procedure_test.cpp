// The viewer's window procedure fed through the null backend's queue, as the
// frame loop takes and dispatches messages: keys, cursor, presses, close.
#include "app/window_procedure.h"

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "platform/message_queue.h"
#include "platform/null_backend.h"
#include "platform/platform.h"

using namespace platform;
using namespace platform::win;
using app::viewerState;

namespace {

class WindowProcedureTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewerState = app::ViewerState{};
        ASSERT_TRUE(init(Backend::null));
        ASSERT_TRUE(registerClass({"test", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC,
                                   &app::windowProcedure}));
        window = createWindow("test", "test", WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 400, 400);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(drain());
        viewerState = app::ViewerState{};
    }
    void TearDown() override { terminate(); }

    // The frame loop's message step until the queue is empty; true when
    // WM_QUIT was taken.
    bool drain() {
        Message message;
        while (peekMessage(message, PM_REMOVE)) {
            if (message.message == WM_QUIT) return true;
            translateMessage(message);
            dispatchMessage(message);
        }
        return false;
    }

    void type(int character) {
        KeyInput key;
        key.kind = KeyInput::Kind::character;
        key.value = character;
        null::pushKey(window, key, time += 100);
    }

    // A press and release, far enough in time from the last to be single.
    void press(MouseButton button, uint32_t gap = 1000) {
        time += gap;
        null::pushButton(window, button, true, 200, 200, time);
        null::pushButton(window, button, false, 200, 200, time + 10);
    }

    Window* window = nullptr;
    uint32_t time = 1000;
};

TEST_F(WindowProcedureTest, DigitKeysToggleTheirSwitchAndNothingElse) {
    struct Case {
        const char* what;
        KeyInput key;
        bool isosurface, transparent, wobble;
    };
    auto character = [](int c) {
        KeyInput key;
        key.kind = KeyInput::Kind::character;
        key.value = c;
        return key;
    };
    auto keypad = [](int digit, bool numLock) {
        KeyInput key;
        key.kind = KeyInput::Kind::keypadDigit;
        key.value = digit;
        key.numLock = numLock;
        return key;
    };
    const Case cases[] = {
        {"1", character('1'), false, true, false},
        {"2", character('2'), true, false, false},
        {"3", character('3'), true, true, true},
        {"4", character('4'), true, true, false},
        {"a", character('a'), true, true, false},
        {"keypad 1, Num Lock on", keypad(1, true), false, true, false},
        {"keypad 2, Num Lock on", keypad(2, true), true, false, false},
        {"keypad 3, Num Lock on", keypad(3, true), true, true, true},
        {"keypad 1, Num Lock off", keypad(1, false), true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        viewerState = app::ViewerState{};
        null::pushKey(window, c.key, time += 100);
        EXPECT_FALSE(drain());
        EXPECT_EQ(viewerState.showIsosurface, c.isosurface);
        EXPECT_EQ(viewerState.showTransparent, c.transparent);
        EXPECT_EQ(viewerState.wobble, c.wobble);
        EXPECT_FLOAT_EQ(viewerState.threshold, 0.3f);
        // A second press toggles back.
        null::pushKey(window, c.key, time += 100);
        drain();
        EXPECT_TRUE(viewerState.showIsosurface && viewerState.showTransparent && !viewerState.wobble);
    }
}

TEST_F(WindowProcedureTest, CursorPositionIsTakenFromTheLowAndHighWords) {
    const struct {
        int x, y;
    } positions[] = {{0, 90}, {90, 90}, {399, 0}, {17, 383}};
    for (const auto& p : positions) {
        SCOPED_TRACE(std::to_string(p.x) + ", " + std::to_string(p.y));
        null::pushMotion(window, p.x, p.y, time += 10);
        drain();
        EXPECT_EQ(viewerState.mouseX, p.x);
        EXPECT_EQ(viewerState.mouseY, p.y);
    }
    // Straight through the procedure: both words as unsigned 16-bit values.
    app::windowProcedure(window, WM_MOUSEMOVE, 0, makeLParam(0xFFFF, 0x8000));
    EXPECT_EQ(viewerState.mouseX, 65535);
    EXPECT_EQ(viewerState.mouseY, 32768);
}

TEST_F(WindowProcedureTest, PressesMoveTheThresholdByOneHundredthEachWithoutLimit) {
    press(MouseButton::left);
    drain();
    EXPECT_FLOAT_EQ(viewerState.threshold, 0.3f - 0.01f);
    press(MouseButton::right);
    press(MouseButton::right);
    drain();
    EXPECT_FLOAT_EQ(viewerState.threshold, 0.31f);

    viewerState = app::ViewerState{};
    for (int i = 0; i < 30; ++i) press(MouseButton::left);
    drain();
    // Float steps: thirty of them miss zero by a little.
    EXPECT_NE(viewerState.threshold, 0.0f);
    EXPECT_NEAR(viewerState.threshold, 1.5e-8f, 1e-8f);
    press(MouseButton::left);
    drain();
    EXPECT_NEAR(viewerState.threshold, -0.01f, 1e-6f);
    press(MouseButton::left);
    drain();
    EXPECT_NEAR(viewerState.threshold, -0.02f, 1e-6f);
}

TEST_F(WindowProcedureTest, SecondPressOfADoubleClickLeavesTheThresholdAlone) {
    for (MouseButton button : {MouseButton::left, MouseButton::right}) {
        SCOPED_TRACE(button == MouseButton::left ? "left" : "right");
        viewerState = app::ViewerState{};
        const float step = button == MouseButton::left ? -0.01f : 0.01f;
        press(button);
        press(button, 200);  // a double click
        drain();
        EXPECT_FLOAT_EQ(viewerState.threshold, 0.3f + step);
        // Fast clicking changes it on every other press only.
        press(button, 2000);
        press(button, 200);
        press(button, 200);
        press(button, 200);
        drain();
        EXPECT_FLOAT_EQ(viewerState.threshold, 0.3f + 3 * step);
    }
}

TEST_F(WindowProcedureTest, CloseBoxPostsQuitAndKeepsTheWindow) {
    EXPECT_EQ(app::windowProcedure(window, WM_CLOSE, 0, 0), 0);
    Message message;
    ASSERT_TRUE(peekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 0u);

    // Through the queue, as the window manager's close request arrives.
    null::pushClose(window, time += 10);
    EXPECT_TRUE(drain());
    int width = 0, height = 0;
    clientSize(window, width, height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 400);
    // The window still takes input after the close request.
    type('1');
    drain();
    EXPECT_FALSE(viewerState.showIsosurface);
}

}  // namespace
