// An off-screen buffer the driver refuses at each of its three calls: start-up
// names the failing step and never goes on with what it did not get.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/buffer_size.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"
#include "platform/gl_context.h"
#include "platform/platform.h"
#include "tests/common/window_context.h"

namespace {

TEST(StartUpFaults, EachFailingOffscreenCallIsNamed) {
    static int notADeviceContext;
    const struct {
        const char* failing;
        const char* problem;
    } rows[] = {
        {"", ""},
        {"wglCreatePbufferARB", "cannot create a 256 x 256 off-screen buffer"},
        {"wglGetPbufferDCARB", "cannot get the device context of the off-screen buffer"},
        {"wglCreateContext", "cannot create a GL context for the off-screen buffer"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failing);
        const testing_support::WindowContext w =
            testing_support::openWindowWithContext(platform::Backend::null);
        ASSERT_EQ(w.error, "");
        app::Viewer viewer;
        viewer.pbufferEdge = 256;
        viewer.window = w.window;
        viewer.windowDC = w.dc;
        viewer.windowContext = w.context;

        glext::wglChoosePixelFormatARB = &platform::wglChoosePixelFormatARB;
        glext::wglCreatePbufferARB = &platform::wglCreatePbufferARB;
        glext::wglGetPbufferDCARB = &platform::wglGetPbufferDCARB;
        if (std::strcmp(row.failing, "wglCreatePbufferARB") == 0)
            glext::wglCreatePbufferARB = [](platform::HDC, int, int, int,
                                            const int*) -> platform::HPBUFFERARB { return nullptr; };
        if (std::strcmp(row.failing, "wglGetPbufferDCARB") == 0)
            glext::wglGetPbufferDCARB = [](platform::HPBUFFERARB) -> platform::HDC { return nullptr; };
        if (std::strcmp(row.failing, "wglCreateContext") == 0)  // a device context no context can be made on
            glext::wglGetPbufferDCARB = [](platform::HPBUFFERARB) {
                return reinterpret_cast<platform::HDC>(&notADeviceContext);
            };
        EXPECT_EQ(app::createOffscreenBuffer(viewer), row.problem);
        EXPECT_EQ(platform::wglGetCurrentContext() == viewer.pbufferContext, row.problem[0] == '\0');
        glext::resetExtensionState();
        platform::terminate();
    }
}

// Viewer mode's window grows: a buffer the driver refuses leaves the old one
// in use, is said once, and is not asked for again; a smaller one still is.
TEST(StartUpFaults, ALargerBufferTheDriverRefusesKeepsTheOldOneAndIsSaidOnce) {
    const testing_support::WindowContext w = testing_support::openWindowWithContext(platform::Backend::null);
    ASSERT_EQ(w.error, "");
    app::Viewer viewer;
    viewer.window = w.window;
    viewer.windowDC = w.dc;
    viewer.windowContext = w.context;
    glext::wglChoosePixelFormatARB = &platform::wglChoosePixelFormatARB;
    glext::wglCreatePbufferARB = &platform::wglCreatePbufferARB;
    glext::wglGetPbufferDCARB = &platform::wglGetPbufferDCARB;
    glext::wglReleasePbufferDCARB = &platform::wglReleasePbufferDCARB;
    glext::wglDestroyPbufferARB = &platform::wglDestroyPbufferARB;
    ASSERT_EQ(app::createOffscreenBuffer(viewer), "");
    viewer.startBufferEdge = 512;
    viewer.largestBufferEdge = 4096;  // the null backend has no GL limits to read
    const platform::HPBUFFERARB first = viewer.pbuffer;
    static int asked = 0;
    glext::wglCreatePbufferARB = [](platform::HDC, int, int, int, const int*) -> platform::HPBUFFERARB {
        ++asked;
        return nullptr;
    };
    testing::internal::CaptureStderr();
    app::layOutWindow(viewer, 800, 700);
    app::layOutWindow(viewer, 900, 800);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "volview: cannot make a 700 x 700 off-screen buffer; the picture stays 512 x 512\n");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(viewer.pbuffer, first);
    EXPECT_EQ(viewer.pbufferEdge, 512);
    EXPECT_EQ(platform::wglGetCurrentContext(), viewer.windowContext);

    glext::wglCreatePbufferARB = &platform::wglCreatePbufferARB;
    app::layOutWindow(viewer, 650, 600);
    EXPECT_NE(viewer.pbuffer, first);
    EXPECT_EQ(viewer.pbufferEdge, 600);
    int width = 0;
    EXPECT_TRUE(platform::wglQueryPbufferARB(viewer.pbuffer, platform::win::WGL_PBUFFER_WIDTH_ARB, &width));
    EXPECT_EQ(width, 600);
    EXPECT_EQ(platform::wglGetCurrentContext(), viewer.windowContext);
    glext::resetExtensionState();
    platform::terminate();
}

}  // namespace
