// The seven shading programs on the real driver: each is accepted, and each
// stays within the smallest limits that every driver of its kind must
// support, so a conformant driver, GPU or software, takes them all.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "glext/entry_points.h"
#include "glext/extensions.h"
#include "platform/gl_context.h"
#include "platform/platform.h"
#include "tests/common/window_context.h"

namespace {

struct Limit {
    GLenum query;
    const char* name;
    GLint minimumMaximum;  // the least that a driver may support
};

constexpr Limit kFragmentLimits[] = {
    {GL_PROGRAM_INSTRUCTIONS_ARB, "instructions", 72},
    {GL_PROGRAM_ALU_INSTRUCTIONS_ARB, "ALU instructions", 48},
    {GL_PROGRAM_TEX_INSTRUCTIONS_ARB, "texture instructions", 24},
    {GL_PROGRAM_TEX_INDIRECTIONS_ARB, "texture indirections", 4},
    {GL_PROGRAM_TEMPORARIES_ARB, "temporaries", 16},
    {GL_PROGRAM_PARAMETERS_ARB, "parameters", 24},
    {GL_PROGRAM_ATTRIBS_ARB, "attributes", 10},
};

constexpr Limit kVertexLimits[] = {
    {GL_PROGRAM_INSTRUCTIONS_ARB, "instructions", 128},
    {GL_PROGRAM_TEMPORARIES_ARB, "temporaries", 12},
    {GL_PROGRAM_PARAMETERS_ARB, "parameters", 96},
    {GL_PROGRAM_ATTRIBS_ARB, "attributes", 16},
    {GL_PROGRAM_ADDRESS_REGISTERS_ARB, "address registers", 1},
};

class ProgramLimits : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testing_support::openWindowWithContext(), "");
        glext::resetExtensionState();
        glext::setProcResolver(&platform::getProcAddress);
        glext::setCurrentDcQuery(&platform::wglGetCurrentDC);
        ASSERT_EQ(glext::initExtensions(), 0);
        ASSERT_NE(glext::glGetProgramivARB, nullptr);
    }
    void TearDown() override { platform::terminate(); }

    // Loads a program text from the run directory; checks it is accepted and
    // within the limits.
    void check(GLenum target, const char* file, const Limit* limits, std::size_t count) {
        const char* runDir = std::getenv("VOLVIEW_RUN_DIR");
        ASSERT_NE(runDir, nullptr);
        std::ifstream in(std::string(runDir) + "/" + file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        std::stringstream text;
        text << in.rdbuf();
        const std::string program = text.str();

        GLuint name = 0;
        glext::glGenProgramsARB(1, &name);
        glext::glBindProgramARB(target, name);
        glext::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(program.size()),
                                  program.data());
        GLint errorPosition = 0;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
        ASSERT_EQ(errorPosition, -1) << file << ": "
                                     << reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        for (std::size_t n = 0; n < count; ++n) {
            GLint used = -1;
            glext::glGetProgramivARB(target, limits[n].query, &used);
            EXPECT_GE(used, 0) << file << ": " << limits[n].name;
            EXPECT_LE(used, limits[n].minimumMaximum) << file << ": " << limits[n].name;
        }
    }
};

TEST_F(ProgramLimits, FragmentProgramsFitEveryDriver) {
    for (const char* file : {"fragmentprog.txt", "fragmentprog1.txt", "transp.txt", "fragmentprog_wobble.txt",
                             "fragmentprog1_wobble.txt", "transp_wobble.txt"}) {
        check(GL_FRAGMENT_PROGRAM_ARB, file, kFragmentLimits, std::size(kFragmentLimits));
    }
}

}  // namespace
