// Which GL entry points a context is said to provide.
#include "platform/proc_table.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(ProcTable, TokensMatchWholeNamesOnly) {
    struct Case {
        const char* list;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow", true},
        {"GL_ARB_shadow_ambient", "GL_ARB_shadow", false},
        {"XGL_ARB_shadow", "GL_ARB_shadow", false},
        {"GL_A GL_B", "GL_A", true},
        {"GL_A GL_B", "GL_B", true},
        {"GL_A GL_B", "", false},
        {nullptr, "GL_A", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hasToken(c.list, c.name), c.expected);
    }
}

TEST(ProcTable, VersionIsReadFromTheStartOfTheString) {
    struct Case {
        const char* version;
        int major, minor;
    };
    const Case cases[] = {
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 4, 5},
        {"1.2.1", 1, 2},
        {"2.1 Null", 2, 1},
        {"Mesa 1.4", 0, 0},
        {"", 0, 0},
        {nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "(null)");
        int major = -1, minor = -1;
        parseGlVersion(c.version, major, minor);
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
    }
}

TEST(ProcTable, NamesAreProvidedByTheirVersionOrExtension) {
    struct Case {
        const char* name;
        int major, minor;
        const char* extensions;
        bool expected;
    };
    const Case cases[] = {
        {"glTexImage3D", 1, 2, "", true},
        {"glTexImage3D", 1, 1, "", false},
        {"glActiveTexture", 1, 2, "GL_ARB_multitexture", false},
        {"glActiveTextureARB", 1, 2, "GL_ARB_multitexture", true},
        {"glActiveTextureARB", 4, 5, "", false},
        {"glBindProgramARB", 1, 1, "GL_ARB_fragment_program", true},
        {"glBindProgramARB", 1, 1, "GL_ARB_vertex_program", true},
        {"glVertexAttrib1sARB", 1, 1, "GL_ARB_fragment_program", false},
        {"glBlendColor", 1, 4, "", true},
        {"glBlendColor", 1, 3, "GL_ARB_imaging", true},
        {"glBlendColor", 1, 3, "", false},
        {"glBegin", 4, 5, "", false},
        {"glNoSuchFunction", 4, 5, "", false},
        {"", 4, 5, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(glProcProvided(c.name, c.major, c.minor, c.extensions), c.expected);
    }
}
