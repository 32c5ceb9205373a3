// The X11/GLX backend under a display: an off-screen buffer of each size the
// viewer asks for, drawn into and brought into the window through bind and
// release as the frame loop does, checked in the window's pixels.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/offscreen_request.h"
#include "tests/common/window_context.h"

using namespace platform;
using namespace platform::win;

namespace {

// An RGB image of an RGBA buffer cannot be drawn straight into a texture, so
// binding it takes the copying path.
// clang-format off
constexpr int kRgbImageAttributes[] = {
    WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGB_ARB,
    WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
    WGL_MIPMAP_TEXTURE_ARB, 1,
    0, 0};
// clang-format on

// A buffer in the viewer's format, with the viewer's attributes or others.
HPBUFFERARB createViewerPbuffer(HDC dc, int size, const int* attributes) {
    const FLOAT none[] = {0, 0};
    int format = 0;
    UINT count = 0;
    if (!wglChoosePixelFormatARB(dc, app::kOffscreenFormatRequest, none, 1, &format, &count) || count != 1)
        return nullptr;
    return wglCreatePbufferARB(dc, format, size, size, attributes);
}

void quad(float x0, float y0, float x1, float y1, float z) {
    glTexCoord2f(0, 1), glVertex3f(x0, y0, z);
    glTexCoord2f(1, 1), glVertex3f(x1, y0, z);
    glTexCoord2f(1, 0), glVertex3f(x1, y1, z);
    glTexCoord2f(0, 0), glVertex3f(x0, y1, z);
}

TEST(Glx, OffScreenImageArrivesInTheWindowThroughBindAndRelease) {
    const testing_support::WindowContext w = testing_support::openWindowWithContext();
    ASSERT_EQ(w.error, "");
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 24);
    const struct {
        int size;
        const int* attributes;
    } buffers[] = {{512, app::kOffscreenBufferAttributes}, {256, kRgbImageAttributes}};
    for (const auto& [size, attributes] : buffers) {
        SCOPED_TRACE(size);
        HPBUFFERARB pbuffer = createViewerPbuffer(w.dc, size, attributes);
        ASSERT_NE(pbuffer, nullptr) << lastError();
        HGLRC pcontext = wglCreateContext(wglGetPbufferDCARB(pbuffer));
        ASSERT_TRUE(wglMakeCurrent(wglGetPbufferDCARB(pbuffer), pcontext)) << lastError();
        GLint viewport[4] = {}, alpha = 0;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_ALPHA_BITS, &alpha);
        glGetIntegerv(GL_DEPTH_BITS, &depth);
        EXPECT_EQ(viewport[2], size);
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
        quad(0, 0, 0.5f, 1, 0);
        glColor3f(0, 0, 1);
        quad(0.5f, 0.5f, 1, 1, 0);
        glEnd();

        ASSERT_TRUE(wglMakeCurrent(w.dc, w.context));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 400, 400, 0, 0.1, 1000);
        glMatrixMode(GL_MODELVIEW);
        // A texture that reads only the base level gets that alone; a
        // mipmapped one gets every level. Both show the image.
        for (GLint filter : {GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR}) {
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
            quad(0, 0, 400, 400, -10);
            glEnd();
            ASSERT_TRUE(wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
            glDisable(GL_TEXTURE_2D);
            glDeleteTextures(1, &texture);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            swapBuffers(w.dc);
            glFinish();
            int width = 0, height = 0;
            std::vector<unsigned char> rgb;
            ASSERT_TRUE(readWindowPixels(w.window, width, height, rgb));
            ASSERT_EQ(width * height, 400 * 400);
            // Left half red, upper right blue, lower right grey.
            const struct {
                int x, y, r, g, b;
            } expected[] = {{100, 100, 255, 0, 0},
                            {100, 300, 255, 0, 0},
                            {300, 100, 0, 0, 255},
                            {300, 300, 128, 128, 128}};
            for (const auto& e : expected) {
                const unsigned char* p = &rgb[(static_cast<size_t>(e.y) * 400 + e.x) * 3];
                EXPECT_NEAR(p[0], e.r, 3) << e.x << "," << e.y;
                EXPECT_NEAR(p[1], e.g, 3) << e.x << "," << e.y;
                EXPECT_NEAR(p[2], e.b, 3) << e.x << "," << e.y;
            }
        }
        wglDeleteContext(pcontext);
        wglDestroyPbufferARB(pbuffer);
    }
    terminate();
}

}  // namespace
