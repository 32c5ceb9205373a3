// The program chain against a scripted driver: whatever error position the
// driver reports, 0 (a bad first byte) included, stops the chain at that
// program with the driver's message.
#include "app/program_chain.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "glext/entry_points.h"
#include "tests/common/temp_dir.h"

namespace {

int programsGiven = 0;
int rejectedProgram = -1;  // 0-based; -1: the driver takes every program
GLint rejectPosition = -1;

void APIENTRY bindProgram(GLenum, GLuint) {}
void APIENTRY programString(GLenum, GLenum, GLsizei, const void*) { ++programsGiven; }
void APIENTRY envParameter(GLenum, GLuint, GLfloat, GLfloat, GLfloat, GLfloat) {}

}  // namespace

// The driver's state queries, answered by the script instead of the GL library.
extern "C" void GLAPIENTRY glEnable(GLenum) {}
extern "C" void GLAPIENTRY glGetIntegerv(GLenum name, GLint* value) {
    if (name == GL_PROGRAM_ERROR_POSITION_ARB)
        *value = programsGiven - 1 == rejectedProgram ? rejectPosition : -1;
}
extern "C" const GLubyte* GLAPIENTRY glGetString(GLenum) {
    return reinterpret_cast<const GLubyte*>("line 1: unexpected token");
}

namespace {

TEST(ProgramChain, TheDriversErrorPositionStopsTheChain) {
    glext::glBindProgramARB = &bindProgram;
    glext::glProgramStringARB = &programString;
    glext::glProgramEnvParameter4fARB = &envParameter;
    testing_support::TempDir dir;
    for (const char* name : {"fragmentprog.txt", "fragmentprog1.txt", "transp.txt", "transp_wobble.txt",
                             "fragmentprog_wobble.txt", "fragmentprog1_wobble.txt", "vertexprog.txt"}) {
        dir.write(name, "!!ARBfp1.0\nEND\n");
    }
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    struct Row {
        int program;
        GLint position;
        bool ok;
        int given;
    };
    for (const Row& row :
         {Row{-1, -1, true, 7}, Row{2, 0, false, 3}, Row{0, 0, false, 1}, Row{6, 14, false, 7}}) {
        SCOPED_TRACE("program " + std::to_string(row.program) + " rejected at " +
                     std::to_string(row.position));
        programsGiven = 0;
        rejectedProgram = row.program;
        rejectPosition = row.position;
        support::ProgramText reader;
        const app::ChainResult result = app::loadProgramChain(reader, "");
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(programsGiven, row.given);
        EXPECT_EQ(result.caption, row.ok ? "" : "line 1: unexpected token");
    }
}

}  // namespace
