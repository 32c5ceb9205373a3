#include "glext/extensions.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/glext/fake_driver.h"

namespace {

using glext::extensionFlags;

TEST(Extensions, TokenRuleOnBothExtensionStrings) {
    struct Row {
        const char* list;
        const char* name;
        int expected;
    };
    const Row rows[] = {
        {"GL_A GL_B GL_C", "GL_A", 1},                                // first token
        {"GL_A GL_B GL_C", "GL_C", 1},                                // last, no trailing space
        {" GL_A  GL_B ", "GL_B", 1},                                  // extra spaces
        {"GL_ARB_shadow_ambient", "GL_ARB_shadow", 0},                // start of a longer token
        {"XGL_ARB_shadow", "GL_ARB_shadow", 0},                       // tail of a longer token
        {"GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow", 1},  // scan goes on
        {"GL_ARB_shadowX GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow", 1},
        {"GL_A\tGL_B GL_C\nGL_D", "GL_B", 0},  // only spaces separate
        {"GL_A\tGL_B GL_C\nGL_D", "GL_A\tGL_B", 1},
        {"gl_a", "GL_A", 0},  // case matters
        {"", "GL_A", 0},
        {nullptr, "GL_A", 0},  // no string at all
    };
    FakeDriver driver;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("list \"") + (row.list ? row.list : "(null)") + "\", name \"" + row.name +
                     "\"");
        driver.glExtensions = row.list;
        driver.wglExtensions = row.list;
        EXPECT_EQ(glext::hasGlExtension(row.name), row.expected);
        glext::initWglExtensions();  // resolves the string queries
        EXPECT_EQ(glext::hasWglExtension(row.name), row.expected);
    }
}

TEST(Extensions, WindowSystemQueryPrefersArbWithTheCurrentContext) {
    FakeDriver driver;
    driver.wglExtensions = "WGL_A";
    glext::initWglExtensions();
    driver.arbCalls = driver.extCalls = 0;
    EXPECT_EQ(glext::hasWglExtension("WGL_A"), 1);
    EXPECT_EQ(glext::hasWglExtension("WGL_A"), 1);
    EXPECT_EQ(driver.arbCalls, 2);  // asked afresh for every test
    EXPECT_EQ(driver.extCalls, 0);
    EXPECT_EQ(driver.dcSeen, FakeDriver::currentDc());

    glext::wglGetExtensionsStringARB = nullptr;
    EXPECT_EQ(glext::hasWglExtension("WGL_A"), 1);
    EXPECT_EQ(driver.extCalls, 1);

    glext::wglGetExtensionsStringEXT = nullptr;
    EXPECT_EQ(glext::hasWglExtension("WGL_A"), 0);
    EXPECT_EQ(driver.arbCalls + driver.extCalls, 3);
}

TEST(Extensions, VersionFlagsComeFromTheLeadingMajorMinor) {
    struct Row {
        const char* version;
        int v12, v13, v14;
    };
    const Row rows[] = {
        {"1.1", 0, 0, 0},
        {"1.2.1", 1, 0, 0},
        {"1.3.0", 1, 1, 0},
        {"1.4.0", 1, 1, 1},
        {"1.10", 1, 1, 1},
        {"2.0.0 Vendor 1.1", 1, 1, 1},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 1, 1, 1},
        {"99999999999999999999.0", 1, 1, 1},
        {"Vendor 1.4", 0, 0, 0},
        {"1", 0, 0, 0},
        {"1.", 0, 0, 0},
        {"", 0, 0, 0},
    };
    FakeDriver driver;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("GL_VERSION \"") + row.version + "\"");
        extensionFlags.version_1_2 = extensionFlags.version_1_3 = extensionFlags.version_1_4 = 1;
        driver.version = row.version;
        glext::queryGlExtensions();
        EXPECT_EQ(extensionFlags.version_1_2, row.v12);
        EXPECT_EQ(extensionFlags.version_1_3, row.v13);
        EXPECT_EQ(extensionFlags.version_1_4, row.v14);
    }
}

}  // namespace
