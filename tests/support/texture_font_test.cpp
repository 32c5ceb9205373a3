// The texture font in a real window: its lists and textures, the frame-rate
// line compared with a reference picture, and text it must not draw.
#include "support/texture_font.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/gl_context.h"
#include "platform/platform.h"
#include "tests/common/png_image.h"

using namespace platform;
using namespace platform::win;

namespace {

intptr_t proc(Window* w, unsigned m, uintptr_t wp, intptr_t lp) { return defWindowProc(w, m, wp, lp); }

class TextureFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(init(Backend::x11)) << lastError();
        ASSERT_TRUE(registerClass({"test", CS_OWNDC | CS_DBLCLKS, proc}));
        window = createWindow("test", "test", WS_VISIBLE, 0, 0, 400, 400);
        ASSERT_NE(window, nullptr);
        dc = getDC(window);
        PIXELFORMATDESCRIPTOR pfd;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        ASSERT_TRUE(setPixelFormat(dc, choosePixelFormat(dc, pfd), pfd));
        context = wglCreateContext(dc);
        ASSERT_TRUE(wglMakeCurrent(dc, context));
        // The window state the viewer sets before it makes the font.
        glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 400, 400, 0, 0.1, 1000);
        glMatrixMode(GL_MODELVIEW);
        font = new TextureFont(-12, 400, dc);
    }
    void TearDown() override {
        delete font;
        terminate();
    }

    // Draws one overlay frame as the frame loop does and returns the top-left
    // corner of the window where the text goes.
    RgbImage drawOverlay(const char* format, double value) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glColor4f(1, 1, 1, 1);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(20, 30, -10);
        font->print(format, value);
        glPopMatrix();
        swapBuffers(dc);
        glFinish();
        RgbImage image;
        EXPECT_TRUE(readWindowPixels(window, image.width, image.height, image.pixels));
        return image.width == 400 ? image.crop(0, 0, 160, 48) : image;
    }

    Window* window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    TextureFont* font = nullptr;
};

TEST_F(TextureFontTest, FrameRateLineMatchesTheReference) {
    const RgbImage shot = drawOverlay("FPS %f", 59.5);
    const std::string reference = VOLVIEW_REFERENCE_DIR "/fps_text.png";
    if (std::getenv("VOLVIEW_UPDATE_REFERENCES")) {
        ASSERT_TRUE(writePng(reference, shot));
        GTEST_SKIP() << "wrote " << reference;
    }
    RgbImage expected;
    ASSERT_TRUE(readPng(reference, expected)) << reference;
    const int different = countDifferentPixels(shot, expected, 40);
    writePng("fps_text_actual.png", shot);
    // Rasteriser and hinting versions may move a few edge pixels.
    EXPECT_GE(different, 0);
    EXPECT_LE(different, shot.width * shot.height / 50) << "see fps_text_actual.png";
}

}  // namespace
