// An off-screen buffer the driver refuses at each of its three calls: start-up
// names the failing step and never goes on with what it did not get.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

}  // namespace
