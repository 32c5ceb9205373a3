// An off-screen buffer the driver refuses at each of its three calls: start-up
// names the failing step and never goes on with what it did not get.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/viewer.h"
#include "glext/viewer_entry_points.h"
#include "platform/gl_context.h"
#include "platform/platform.h"

namespace {

using namespace platform::win;

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
        ASSERT_TRUE(platform::init(platform::Backend::null));
        ASSERT_TRUE(platform::registerClass({"test", CS_OWNDC, &platform::defWindowProc}));
        app::Viewer viewer;
        viewer.pbufferEdge = 256;
        viewer.window = platform::createWindow("test", "test", WS_POPUP, 0, 0, 400, 400);
        viewer.windowDC = platform::getDC(viewer.window);
        platform::PIXELFORMATDESCRIPTOR pfd;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        ASSERT_TRUE(platform::setPixelFormat(viewer.windowDC,
                                             platform::choosePixelFormat(viewer.windowDC, pfd), pfd));
        viewer.windowContext = platform::wglCreateContext(viewer.windowDC);
        ASSERT_TRUE(platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext));

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
