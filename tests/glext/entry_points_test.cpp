// The Khronos prototypes are the reference for the GL signatures below.
#define GL_GLEXT_PROTOTYPES 1
#include "glext/entry_points.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
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

using glext::extensionFlags;

// Every GL pointer has the type of the published prototype of its name.
#define VV_GL(gate, ret, name, params)                                               \
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
#undef VV_SHARED

struct Loader {
    const glext::FlagInfo* gate;
    std::vector<const glext::Lookup*> rows;
};

// The loaders: runs of consecutive table rows under one gate.
std::vector<Loader> loaders() {
    std::vector<Loader> result;
    for (std::size_t i = 0; i < glext::lookupCount(); ++i) {
        const glext::Lookup& row = glext::lookupTable()[i];
        if (row.gate == nullptr) continue;
        if (result.empty() || result.back().gate->field != row.gate)
            result.push_back({glext::findFlag(row.gate), {}});
        result.back().rows.push_back(&row);
    }
    return result;
}

bool isWindowSystem(const glext::FlagInfo& flag) {
    return flag.source == glext::FlagSource::wglString;
}

TEST(EntryPoints, TableNamesEachPointerOnce) {
    std::set<std::string> declared;
    std::map<std::string, int> repeats;
    for (std::size_t i = 0; i < glext::lookupCount(); ++i) {
        const glext::Lookup& row = glext::lookupTable()[i];
        SCOPED_TRACE(row.name);
        if (row.repeat) {
            EXPECT_EQ(declared.count(row.name), 1u);  // repeats an earlier row
            ++repeats[glext::findFlag(row.gate)->name];
        } else {
            EXPECT_TRUE(declared.insert(row.name).second);
        }
    }
    EXPECT_EQ(glext::lookupCount(), 572u);
    EXPECT_EQ(declared.size(), 551u);
    EXPECT_EQ(repeats, (std::map<std::string, int>{{"GL_ARB_fragment_program", 19},
                                                   {"version_1_4", 2}}));
}

TEST(EntryPoints, LoadersRunInThePublishedOrderWithTheirCounts) {
    const std::pair<const char*, std::size_t> published[] = {
        {"GL_ARB_transpose_matrix", 4}, {"GL_ARB_multisample", 1},
        {"GL_EXT_compiled_vertex_array", 2}, {"GL_EXT_secondary_color", 17},
        {"GL_EXT_fog_coord", 5}, {"GL_NV_vertex_array_range", 4},
        {"GL_EXT_point_parameters", 2}, {"GL_NV_register_combiners", 13},
        {"GL_EXT_vertex_weighting", 3}, {"GL_NV_vertex_program", 64}, {"GL_NV_fence", 7},
        {"GL_NV_register_combiners2", 2}, {"GL_ATI_pn_triangles", 2},
        {"GL_ARB_point_parameters", 2}, {"GL_ARB_vertex_blend", 10},
        {"GL_EXT_multi_draw_arrays", 2}, {"GL_ARB_matrix_palette", 5},
        {"GL_EXT_vertex_shader", 42}, {"GL_ATI_envmap_bumpmap", 4},
        {"GL_ATI_fragment_shader", 14}, {"GL_ATI_element_array", 3},
        {"GL_ATI_vertex_streams", 37}, {"GL_ATI_vertex_array_object", 12},
        {"GL_NV_occlusion_query", 7}, {"GL_NV_point_sprite", 2}, {"GL_ARB_window_pos", 16},
        {"GL_ARB_texture_compression", 7}, {"GL_EXT_draw_range_elements", 1},
        {"GL_EXT_stencil_two_side", 1}, {"GL_ARB_vertex_program", 62},
        {"GL_EXT_cull_vertex", 2}, {"GL_EXT_blend_func_separate", 1}, {"GL_ARB_imaging", 34},
        {"GL_ARB_multitexture", 34}, {"GL_NV_element_array", 5},
        {"GL_NV_fragment_program", 6}, {"GL_NV_primitive_restart", 2},
        {"GL_ARB_fragment_program", 19}, {"version_1_2", 4}, {"version_1_3", 46},
        {"version_1_4", 45}, {"WGL_ARB_make_current_read", 2}, {"WGL_EXT_swap_control", 2},
        {"WGL_ARB_render_texture", 3}, {"WGL_ARB_pixel_format", 3}, {"WGL_ARB_pbuffer", 5},
        {"WGL_ARB_buffer_region", 4}};
    const std::vector<Loader> actual = loaders();
    ASSERT_EQ(actual.size(), 47u);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(published[i].first);
        EXPECT_STREQ(actual[i].gate->name, published[i].first);
        EXPECT_EQ(actual[i].rows.size(), published[i].second);
    }
}

TEST(EntryPoints, EachGateLoadsItsOwnEntryPointsAndNoOthers) {
    for (const Loader& loader : loaders()) {
        SCOPED_TRACE(loader.gate->name);
        FakeDriver driver;
        const std::string name = loader.gate->name;
        if (loader.gate->source == glext::FlagSource::glVersion)
            driver.version = name == "version_1_2" ? "1.2" : name == "version_1_3" ? "1.3" : "1.4";
        else if (isWindowSystem(*loader.gate))
            driver.wglExtensions = loader.gate->name;
        else
            driver.glExtensions = loader.gate->name;
        EXPECT_EQ(glext::initExtensions(), 0);
        ASSERT_EQ(extensionFlags.*loader.gate->field, 1);

        // Resolved in table order: exactly the rows whose gate is set, plus the
        // two string queries; a pointer is filled when any of its rows ran.
        std::vector<std::string> expectedLookups;
        std::map<std::string, bool> filled;
        for (std::size_t i = 0; i < glext::lookupCount(); ++i) {
            const glext::Lookup& row = glext::lookupTable()[i];
            const bool runs = row.gate == nullptr || extensionFlags.*row.gate == 1;
            if (runs) expectedLookups.push_back(row.name);
            filled[row.name] = filled[row.name] || runs;
        }
        EXPECT_EQ(driver.lookups, expectedLookups);
        for (std::size_t i = 0; i < glext::lookupCount(); ++i) {
            const glext::Lookup& row = glext::lookupTable()[i];
            EXPECT_EQ(row.read() != nullptr, filled[row.name]) << row.name;
        }
    }
}

TEST(EntryPoints, ProgramObjectPointersAreSharedByBothProgramExtensions) {
    FakeDriver driver;
    driver.glExtensions = "GL_ARB_fragment_program";
    glext::initExtensions();
    EXPECT_EQ(glext::glBindProgramARB,
              reinterpret_cast<decltype(glext::glBindProgramARB)>(driver.procFor("glBindProgramARB")));
    EXPECT_NE(glext::glIsProgramARB, nullptr);
    EXPECT_EQ(glext::glVertexAttrib1sARB, nullptr);
    EXPECT_EQ(glext::glEnableVertexAttribArrayARB, nullptr);

    FakeDriver both;
    both.glExtensions = "GL_ARB_vertex_program GL_ARB_fragment_program";
    glext::initExtensions();
    EXPECT_EQ(both.lookupsOf("glProgramStringARB"), 2);
    EXPECT_EQ(both.lookupsOf("glIsProgramARB"), 2);
    EXPECT_NE(glext::glVertexAttrib1sARB, nullptr);
}

TEST(EntryPoints, CoreAndArbNamesAreDistinctPointers) {
    FakeDriver driver;
    driver.version = "1.2";
    driver.glExtensions = "GL_ARB_multitexture";
    glext::initExtensions();
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
    EXPECT_EQ(glext::glActiveTexture, nullptr);
    EXPECT_NE(glext::glTexImage3D, nullptr);

    FakeDriver core;
    core.version = "1.4";
    glext::initExtensions();
    EXPECT_NE(glext::glActiveTexture, nullptr);
    EXPECT_EQ(glext::glActiveTextureARB, nullptr);
    EXPECT_NE(glext::glBlendColor, nullptr);  // from 1.4 without GL_ARB_imaging
    EXPECT_NE(glext::glBlendEquation, nullptr);
    EXPECT_EQ(glext::glColorTable, nullptr);
}

TEST(EntryPoints, OnlyWindowSystemLookupFailuresAreReported) {
    struct Row {
        const char* what;
        const char* version;
        const char* gl;
        const char* wgl;
        const char* missing;
        int expected;
    };
    const Row rows[] = {
        {"GL extension", "1.1", "GL_NV_fence", "", "glSetFenceNV", 0},
        {"core version", "1.3", "", "", "glActiveTexture", 0},
        {"WGL extension", "1.1", "", "WGL_ARB_pbuffer", "wglGetPbufferDCARB", 1},
        {"ARB string query", "1.1", "", "WGL_ARB_pbuffer", "wglGetExtensionsStringARB", 0},
        {"not advertised", "1.1", "", "", "wglGetPbufferDCARB", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeDriver driver;
        driver.version = row.version;
        driver.glExtensions = row.gl;
        driver.wglExtensions = row.wgl;
        driver.missing = {row.missing};
        EXPECT_EQ(glext::initExtensions(), row.expected);
        EXPECT_EQ(glext::extensionLoadError, row.expected);
    }
    // The loader goes on after a failure and the flag stays set.
    FakeDriver driver;
    driver.wglExtensions = "WGL_ARB_pbuffer";
    driver.missing = {"wglGetPbufferDCARB"};
    glext::initExtensions();
    EXPECT_EQ(extensionFlags.wgl_ARB_pbuffer, 1);
    EXPECT_EQ(glext::wglGetPbufferDCARB, nullptr);
    EXPECT_NE(glext::wglQueryPbufferARB, nullptr);

    EXPECT_EQ(glext::resolveProc("glFinishFenceNV"), driver.procFor("glFinishFenceNV"));
    EXPECT_EQ(glext::extensionLoadError, 1);  // never cleared by a lookup
}

TEST(EntryPoints, WithoutAnExtensionStringQueryNoWindowSystemPointerIsSet) {
    FakeDriver driver;
    driver.arbQuery = driver.extQuery = false;
    driver.wglExtensions = "WGL_ARB_pbuffer WGL_ARB_pixel_format WGL_ARB_render_texture";
    driver.glExtensions = "GL_NV_vertex_array_range";
    EXPECT_EQ(glext::initExtensions(), 0);
    for (std::size_t i = 0; i < glext::flagCount(); ++i) {
        const glext::FlagInfo& flag = glext::flagTable()[i];
        if (flag.source == glext::FlagSource::wglString ||
            flag.source == glext::FlagSource::wglQuery) {
            EXPECT_EQ(extensionFlags.*flag.field, 0) << flag.name;
        }
    }
    for (std::size_t i = 0; i < glext::lookupCount(); ++i) {
        const glext::Lookup& row = glext::lookupTable()[i];
        const glext::FlagInfo* gate = glext::findFlag(row.gate);
        if (gate == nullptr || isWindowSystem(*gate)) {
            EXPECT_EQ(row.read(), nullptr) << row.name;
        }
    }
    EXPECT_NE(glext::wglAllocateMemoryNV, nullptr);  // a GL extension's WGL entry point
}

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
              (std::vector<std::string>{"glActiveTexture", "glGetProgramivARB", "wglCreatePbufferARB",
                                        "wglGetPbufferDCARB"}));
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
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
            called.insert(text.substr(at + 5, end - at - 5));
        }
    }
    EXPECT_EQ(called, viewerList());
}

}  // namespace
