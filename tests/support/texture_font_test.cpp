// The texture font in a real window: the frame-rate line as the frame loop
// draws it, compared with a reference picture.
#include "support/texture_font.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/common/png_image.h"
#include "tests/common/window_context.h"

namespace {

TEST(TextureFont, FrameRateLineMatchesTheReference) {
    const testing_support::WindowContext w = testing_support::openWindowWithContext();
    ASSERT_EQ(w.error, "");
    // The window state the viewer sets before it makes the font, then one
    // overlay frame.
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 400, 400, 0, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    RgbImage shot;
    {
        TextureFont font(-12, 400, w.dc);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glColor4f(1, 1, 1, 1);
        glLoadIdentity();
        glTranslatef(20, 30, -10);
        font.print("FPS %f", 59.5);
        platform::swapBuffers(w.dc);
        glFinish();
        ASSERT_TRUE(platform::readWindowPixels(w.window, shot.width, shot.height, shot.pixels));
    }
    platform::terminate();
    ASSERT_EQ(shot.width, 400);
    shot = shot.crop(0, 0, 160, 48);
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
