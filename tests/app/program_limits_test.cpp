// The real driver, through the platform layer's resolver: every entry point
// and extension the viewer uses is there, and the seven shading programs are
// each accepted and stay within the smallest limits that every driver of
// their kind must support, so a conformant driver, GPU or software, takes
// them all.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "glext/entry_points.h"
#include "glext/extensions.h"
#include "tests/common/temp_dir.h"
#include "tests/common/window_context.h"

namespace {

struct Limit {
    GLenum query;
    const char* name;
    GLint minimumMaximum;  // the least that a driver may support
};

const std::vector<Limit> kFragmentLimits = {
    {GL_PROGRAM_INSTRUCTIONS_ARB, "instructions", 72},
    {GL_PROGRAM_ALU_INSTRUCTIONS_ARB, "ALU instructions", 48},
    {GL_PROGRAM_TEX_INSTRUCTIONS_ARB, "texture instructions", 24},
    {GL_PROGRAM_TEX_INDIRECTIONS_ARB, "texture indirections", 4},
    {GL_PROGRAM_TEMPORARIES_ARB, "temporaries", 16},
    {GL_PROGRAM_PARAMETERS_ARB, "parameters", 24},
    {GL_PROGRAM_ATTRIBS_ARB, "attributes", 10},
};

const std::vector<Limit> kVertexLimits = {
    {GL_PROGRAM_INSTRUCTIONS_ARB, "instructions", 128},
    {GL_PROGRAM_TEMPORARIES_ARB, "temporaries", 12},
    {GL_PROGRAM_PARAMETERS_ARB, "parameters", 96},
    {GL_PROGRAM_ATTRIBS_ARB, "attributes", 16},
    {GL_PROGRAM_ADDRESS_REGISTERS_ARB, "address registers", 1},
};

TEST(RealDriver, TakesEveryEntryPointAndProgramTheViewerUses) {
    ASSERT_EQ(testing_support::openWindowWithContext().error, "");
    glext::resetExtensionState();
    glext::setProcResolver(&platform::getProcAddress);
    glext::setCurrentDcQuery(&platform::wglGetCurrentDC);
    EXPECT_EQ(glext::initExtensions(), 0);
    std::string missing;
    for (const char* name : glext::missingViewerEntryPoints()) missing += std::string(" ") + name;
    ASSERT_EQ(missing, "");
    EXPECT_EQ(glext::extensionFlags.gl_ARB_fragment_program, 1);
    EXPECT_EQ(glext::extensionFlags.gl_ARB_vertex_program, 1);
    EXPECT_EQ(glext::extensionFlags.gl_ARB_multitexture, 1);
    EXPECT_EQ(glext::extensionFlags.wgl_ARB_pbuffer, 1);
    EXPECT_EQ(glext::extensionFlags.wgl_ARB_render_texture, 1);
    // An entry point the driver lacks stays null rather than a stub.
    EXPECT_EQ(platform::getProcAddress("glNoSuchEntryPointEXT"), nullptr);

    for (const char* file : {"fragmentprog.txt", "fragmentprog1.txt", "transp.txt", "fragmentprog_wobble.txt",
                             "fragmentprog1_wobble.txt", "transp_wobble.txt", "vertexprog.txt"}) {
        SCOPED_TRACE(file);
        const bool vertex = std::string(file) == "vertexprog.txt";
        const GLenum target = vertex ? GL_VERTEX_PROGRAM_ARB : GL_FRAGMENT_PROGRAM_ARB;
        const std::string program =
            testing_support::readBytes(std::string(std::getenv("VOLVIEW_RUN_DIR")) + "/" + file);
        ASSERT_FALSE(program.empty());
        GLuint name = 0;
        glext::glGenProgramsARB(1, &name);
        glext::glBindProgramARB(target, name);
        glext::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(program.size()),
                                  program.data());
        GLint errorPosition = 0;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
        ASSERT_EQ(errorPosition, -1) << reinterpret_cast<const char*>(
            glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        for (const Limit& limit : vertex ? kVertexLimits : kFragmentLimits) {
            GLint used = -1;
            glext::glGetProgramivARB(target, limit.query, &used);
            EXPECT_GE(used, 0) << limit.name;
            EXPECT_LE(used, limit.minimumMaximum) << limit.name;
        }
    }
    platform::terminate();
}

}  // namespace
