// The X11/GLX backend under a display: the window and its context, off-screen
// buffers of both deliverable sizes, and an off-screen image that reaches the
// window through bind and release, checked in a screenshot of the window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/gl_context.h"
#include "platform/platform.h"

using namespace platform;
using namespace platform::win;

namespace {

intptr_t proc(Window* w, unsigned m, uintptr_t wp, intptr_t lp) { return defWindowProc(w, m, wp, lp); }

struct Rgb {
    int r, g, b;
};

class GlxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(init()) << lastError();
        ASSERT_TRUE(registerClass({"test", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC, proc}));
        window = createWindow("test", "test", WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0,
                              400, 400);
        ASSERT_NE(window, nullptr);
        dc = getDC(window);
        PIXELFORMATDESCRIPTOR pfd;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        ASSERT_TRUE(setPixelFormat(dc, choosePixelFormat(dc, pfd), pfd)) << lastError();
        context = wglCreateContext(dc);
        ASSERT_TRUE(wglMakeCurrent(dc, context)) << lastError();
    }
    void TearDown() override { terminate(); }

    // The window's pixel at (x, y), y down, after the last swap.
    Rgb windowPixel(int x, int y) {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb;
        EXPECT_TRUE(readWindowPixels(window, width, height, rgb));
        if (width != 400 || height != 400)
            return {-1, -1, -1};
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }

    // The viewer's off-screen buffer: its format request and attributes.
    HPBUFFERARB createViewerPbuffer(int size) {
        auto choose = reinterpret_cast<BOOL (*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*)>(
            getProcAddress("wglChoosePixelFormatARB"));
        auto create = reinterpret_cast<HPBUFFERARB (*)(HDC, int, int, int, const int*)>(
            getProcAddress("wglCreatePbufferARB"));
        if (!choose || !create)
            return nullptr;
        const int formatAttributes[] = {WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_BIND_TO_TEXTURE_RGBA_ARB, 1,
                                        WGL_COLOR_BITS_ARB, 24, WGL_ALPHA_BITS_ARB, 8,
                                        WGL_DEPTH_BITS_ARB, 16, 0, 0};
        const FLOAT none[] = {0, 0};
        int format = 0;
        UINT count = 0;
        if (!choose(dc, formatAttributes, none, 1, &format, &count) || count != 1)
            return nullptr;
        const int attributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB,
                                  WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
                                  WGL_MIPMAP_TEXTURE_ARB, 1, WGL_PBUFFER_LARGEST_ARB, 0, 0, 0};
        return create(dc, format, size, size, attributes);
    }

    Window* window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

void expectColour(Rgb actual, Rgb expected) {
    EXPECT_NEAR(actual.r, expected.r, 3);
    EXPECT_NEAR(actual.g, expected.g, 3);
    EXPECT_NEAR(actual.b, expected.b, 3);
}

TEST_F(GlxTest, WindowShowsWhatItsContextDraws) {
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 24);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    swapBuffers(dc);
    glFinish();
    expectColour(windowPixel(200, 200), {255, 0, 0});
}

TEST_F(GlxTest, ResolverKeepsNullWhenAbsentHonest) {
    EXPECT_NE(getProcAddress("glActiveTexture"), nullptr);
    EXPECT_NE(getProcAddress("glTexImage3D"), nullptr);
    EXPECT_EQ(getProcAddress("glNoSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(getProcAddress("glActiveTextureNOSUCHVENDOR"), nullptr);
    EXPECT_EQ(getProcAddress("wglNoSuchFunction"), nullptr);
    EXPECT_STREQ(wglGetExtensionsStringARB(wglGetCurrentDC()), windowSystemExtensions());
}

// Draws a known picture in the off-screen buffer, brings it into the window
// the way the frame loop does, and checks the window's pixels.
TEST_F(GlxTest, OffScreenImageArrivesThroughBindAndRelease) {
    for (int size : {512, 256}) {
        SCOPED_TRACE(size);
        HPBUFFERARB pbuffer = createViewerPbuffer(size);
        ASSERT_NE(pbuffer, nullptr) << lastError();
        HDC pdc = wglGetPbufferDCARB(pbuffer);
        HGLRC pcontext = wglCreateContext(pdc);
        ASSERT_TRUE(wglMakeCurrent(pdc, pcontext)) << lastError();
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], size);
        GLint alpha = 0, depth = 0;
        glGetIntegerv(GL_ALPHA_BITS, &alpha);
        glGetIntegerv(GL_DEPTH_BITS, &depth);
        EXPECT_GE(alpha, 8);
        EXPECT_GE(depth, 16);
        // Grey background, red left half, blue upper right quarter (GL y up).
        glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glBegin(GL_QUADS);
        glColor3f(1, 0, 0);
        glVertex2f(0, 0), glVertex2f(0.5f, 0), glVertex2f(0.5f, 1), glVertex2f(0, 1);
        glColor3f(0, 0, 1);
        glVertex2f(0.5f, 0.5f), glVertex2f(1, 0.5f), glVertex2f(1, 1), glVertex2f(0.5f, 1);
        glEnd();

        ASSERT_TRUE(wglMakeCurrent(dc, context));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 400, 400, 0, 0.1, 1000);
        glMatrixMode(GL_MODELVIEW);
        // A mipmapped texture gets every level; one that reads only the
        // base level gets that alone. Both show the image.
        for (GLint filter : {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}) {
            SCOPED_TRACE(filter == GL_LINEAR ? "linear" : "mipmapped");
            glClearColor(0, 1, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            GLuint texture = 0;
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            ASSERT_TRUE(wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB)) << lastError();
            GLint levelOneWidth = -1;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
            EXPECT_EQ(levelOneWidth, filter == GL_LINEAR ? 0 : size / 2);
            glEnable(GL_TEXTURE_2D);
            glBegin(GL_QUADS);
            glColor4f(1, 1, 1, 1);
            glTexCoord2f(0, 1), glVertex3f(0, 0, -10);
            glTexCoord2f(1, 1), glVertex3f(400, 0, -10);
            glTexCoord2f(1, 0), glVertex3f(400, 400, -10);
            glTexCoord2f(0, 0), glVertex3f(0, 400, -10);
            glEnd();
            ASSERT_TRUE(wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
            glDisable(GL_TEXTURE_2D);
            glDeleteTextures(1, &texture);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            swapBuffers(dc);
            glFinish();
            expectColour(windowPixel(100, 100), {255, 0, 0});  // left half
            expectColour(windowPixel(100, 300), {255, 0, 0});
            expectColour(windowPixel(300, 100), {0, 0, 255});  // upper right
            expectColour(windowPixel(300, 300), {128, 128, 128});
        }
        wglDeleteContext(pcontext);
        wglDestroyPbufferARB(pbuffer);
    }
}

TEST_F(GlxTest, MessageBoxReturnsWhenDismissedWithEscape) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdotool is not installed";
    std::thread presser([] {
        std::system("xdotool search --sync --name 'Box under test' key --clearmodifiers Escape "
                    ">/dev/null 2>&1");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(messageBox(nullptr, "Window Creation Error.", "Box under test", MB_ICONEXCLAMATION),
              IDOK);
    presser.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
