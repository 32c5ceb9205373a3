// Off-screen buffers and the render-texture rules, on the null backend (four
// pretend formats: two window, two off-screen).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/offscreen_request.h"
#include "platform/gl_context.h"
#include "platform/null_backend.h"
#include "platform/platform.h"
#include "tests/common/window_context.h"

using namespace platform;
using namespace platform::win;

namespace {

std::vector<std::string> errors;

class WglTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink = setErrorSink([](const char* message) { errors.push_back(message); });
        null::setGlStrings("2.1 Null", "GL_ARB_multitexture GL_ARB_fragment_program");
        const testing_support::WindowContext w = testing_support::openWindowWithContext(Backend::null);
        ASSERT_EQ(w.error, "");
        dc = w.dc;
        context = w.context;
        // The viewer's request for its off-screen buffer format.
        const FLOAT none[] = {0, 0};
        UINT count = 0;
        ASSERT_TRUE(
            wglChoosePixelFormatARB(dc, app::kOffscreenFormatRequest, none, 1, &pbufferFormat, &count));
        ASSERT_EQ(count, 1u);
        errors.clear();
    }
    void TearDown() override {
        terminate();
        setErrorSink(previousSink);
    }

    ErrorSink previousSink = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    int pbufferFormat = 0;
};

TEST_F(WglTest, OffScreenBufferFollowsTheRenderTextureRules) {
    HPBUFFERARB pbuffer = wglCreatePbufferARB(dc, pbufferFormat, 512, 256, app::kOffscreenBufferAttributes);
    ASSERT_NE(pbuffer, nullptr);
    int width = 0, height = 0;
    EXPECT_TRUE(wglQueryPbufferARB(pbuffer, WGL_PBUFFER_WIDTH_ARB, &width));
    EXPECT_TRUE(wglQueryPbufferARB(pbuffer, WGL_PBUFFER_HEIGHT_ARB, &height));
    EXPECT_EQ(width * 1000 + height, 512256);
    HDC pdc = wglGetPbufferDCARB(pbuffer);
    HGLRC pcontext = wglCreateContext(pdc);
    ASSERT_NE(pcontext, nullptr);
    EXPECT_FALSE(wglMakeCurrent(dc, pcontext)) << "formats differ";
    ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
    EXPECT_FALSE(wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB)) << "bound while current";
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_FALSE(wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB)) << "not bound";
    EXPECT_TRUE(wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_FALSE(wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB)) << "already bound";
    EXPECT_TRUE(wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_FALSE(wglBindTexImageARB(pbuffer, WGL_BACK_LEFT_ARB));
    EXPECT_TRUE(wglDestroyPbufferARB(pbuffer));
    EXPECT_EQ(wglGetPbufferDCARB(pbuffer), nullptr);
}

TEST_F(WglTest, BadOffScreenRequestsFailWithAMessage) {
    struct Case {
        const char* what;
        int format, width, height;
        std::vector<int> attributes;
    };
    const Case cases[] = {
        {"window format", 1, 64, 64, {0, 0}},
        {"zero size", 3, 0, 64, {0, 0}},
        {"too large", 3, 100000, 64, {0, 0}},
        {"unknown attribute", 3, 64, 64, {0x1234, 1, 0, 0}},
        {"texture without target", 3, 64, 64, {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errors.clear();
        EXPECT_EQ(wglCreatePbufferARB(dc, c.format, c.width, c.height, c.attributes.data()), nullptr);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("Null: ", 0), 0u) << errors[0];
    }
}

}  // namespace
