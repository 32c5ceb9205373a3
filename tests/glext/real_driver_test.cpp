// Extension access on the real driver, through the platform layer's
// resolver: everything the viewer calls must resolve.
#include <gtest/gtest.h>

#include <string>

#include "glext/entry_points.h"
#include "glext/extensions.h"
#include "platform/gl_context.h"
#include "platform/platform.h"
#include "tests/common/window_context.h"

namespace {

TEST(RealDriver, EveryEntryPointTheViewerCallsResolves) {
    ASSERT_EQ(testing_support::openWindowWithContext(), "");

    glext::resetExtensionState();
    glext::setProcResolver(&platform::getProcAddress);
    glext::setCurrentDcQuery(&platform::wglGetCurrentDC);
    EXPECT_EQ(glext::initExtensions(), 0);
    std::string missing;
    for (const char* name : glext::missingViewerEntryPoints()) missing += std::string(" ") + name;
    EXPECT_EQ(missing, "");
    EXPECT_EQ(glext::extensionFlags.gl_ARB_fragment_program, 1);
    EXPECT_EQ(glext::extensionFlags.gl_ARB_vertex_program, 1);
    EXPECT_EQ(glext::extensionFlags.gl_ARB_multitexture, 1);
    EXPECT_EQ(glext::extensionFlags.wgl_ARB_pbuffer, 1);
    EXPECT_EQ(glext::extensionFlags.wgl_ARB_render_texture, 1);
    // An entry point the driver lacks stays null rather than a stub.
    EXPECT_EQ(platform::getProcAddress("glNoSuchEntryPointEXT"), nullptr);
    platform::terminate();
}

}  // namespace
