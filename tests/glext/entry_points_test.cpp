// The Khronos prototypes are the reference for the GL signatures below.
#define GL_GLEXT_PROTOTYPES 1
#include "glext/entry_points.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "glext/viewer_entry_points.h"
#include "tests/glext/fake_driver.h"

namespace {

std::set<std::string> viewerList() {
#define VV_NAME(name) #name,
    return {VV_VIEWER_ENTRY_POINTS(VV_NAME)};
#undef VV_NAME
}

// Every GL pointer has the type of the published prototype of its name.
#define VV_GL(gate, ret, name, params) \
    static_assert(std::is_same<decltype(glext::name), decltype(&::name)>::value, #name);
#define VV_GL_UNLISTED(gate, ret, name, params)
#define VV_WGL(gate, ret, name, params)
#define VV_WGL_QUERY(ret, name, params)
#define VV_SHARED(gate, name)
#include "glext/entry_points.inc"
#undef VV_GL
#undef VV_GL_UNLISTED
#undef VV_WGL
#undef VV_WGL_QUERY

TEST(EntryPoints, ViewerEntryPointsResolveOnAModernDriver) {
    FakeDriver driver;
    EXPECT_EQ(glext::missingViewerEntryPoints().size(), viewerList().size());
    driver.version = "4.5 (Compatibility Profile) Mesa 22.3.6";
    driver.glExtensions = "GL_ARB_multitexture GL_ARB_fragment_program";
    driver.wglExtensions = "WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture";
    EXPECT_EQ(glext::initExtensions(), 0);
    EXPECT_TRUE(glext::missingViewerEntryPoints().empty());

    FakeDriver old;
    old.version = "1.2.1";
    old.glExtensions = "GL_ARB_multitexture GL_ARB_vertex_program";
    old.wglExtensions = "WGL_ARB_pixel_format WGL_ARB_render_texture";
    old.missing = {"glGetProgramivARB"};  // the shader warm-up asks it
    glext::initExtensions();
    const std::vector<const char*> missing = glext::missingViewerEntryPoints();
    EXPECT_EQ(std::vector<std::string>(missing.begin(), missing.end()),
              (std::vector<std::string>{"glActiveTexture", "glGetProgramivARB", "glBlendEquation",
                                        "wglCreatePbufferARB", "wglGetPbufferDCARB", "wglReleasePbufferDCARB",
                                        "wglDestroyPbufferARB"}));
}

// The viewer calls entry points only through the checked list, and calls
// every one of them: a direct glext:: call would skip the start-up check.
TEST(EntryPoints, TheViewerCallsExactlyTheCheckedList) {
    std::set<std::string> called;
    for (const auto& entry : std::filesystem::directory_iterator(VOLVIEW_SOURCE_DIR "/app")) {
        std::ifstream file(entry.path());
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("glext::gl"), std::string::npos) << entry.path();
        EXPECT_EQ(text.find("glext::wgl"), std::string::npos) << entry.path();
        for (std::size_t at = text.find("vgl::"); at != std::string::npos; at = text.find("vgl::", at + 1)) {
            std::size_t end = at + 5;
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            called.insert(text.substr(at + 5, end - at - 5));
        }
    }
    EXPECT_EQ(called, viewerList());
}

}  // namespace
