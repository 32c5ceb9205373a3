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
