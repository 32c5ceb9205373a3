#include "app/program_chain.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#include "app/program_folder.h"
#include "glext/viewer_entry_points.h"

namespace app {
namespace {

struct ChainEntry {
    const char* file;
    GLenum target;
    unsigned number;
};

constexpr ChainEntry kChain[] = {
    {"fragmentprog.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceFirst},
    {"fragmentprog1.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceSecond},
    {"transp.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparent},
    {"transp_wobble.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparentWobble},
    {"fragmentprog_wobble.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceFirstWobble},
    {"fragmentprog1_wobble.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceSecondWobble},
    {"vertexprog.txt", GL_VERTEX_PROGRAM_ARB, kVertexProgram},
};

ChainResult rejected(std::string caption, bool unreadable = false) {
    ChainResult result;
    result.ok = false;
    result.caption = std::move(caption);
    result.unreadable = unreadable;
    return result;
}

}  // namespace

std::vector<std::string> programFileNames() {
    std::vector<std::string> names;
    for (const ChainEntry& entry : kChain) names.emplace_back(entry.file);
    return names;
}

ChainResult loadProgramChain(support::ProgramText& reader, const std::string& folder) {
    for (const ChainEntry& entry : kChain) {
        if (entry.target == GL_VERTEX_PROGRAM_ARB) glEnable(GL_FRAGMENT_PROGRAM_ARB);
        // The driver is never given a text that was not read.
        if (!reader.load(pathInFolder(folder, entry.file).c_str())) {
            return rejected(reader.errorMessage(), true);
        }
        vgl::glBindProgramARB(entry.target, entry.number);
        const char* text = reader.text();
        vgl::glProgramStringARB(entry.target, GL_PROGRAM_FORMAT_ASCII_ARB,
                                static_cast<GLsizei>(std::strlen(text)), text);
        if (entry.number == kIsosurfaceFirst) {
            vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, 0.25f, 0.25f, 0.25f, 0.25f);
        } else if (entry.number == kIsosurfaceSecond) {
            vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, 0.5f, 0.5f, 0.5f, 0.0f);
        }
        GLint errorPosition = -1;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
        if (errorPosition != -1) {
            const GLubyte* message = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
            return rejected(message != nullptr ? reinterpret_cast<const char*>(message) : "");
        }
    }
    glEnable(GL_VERTEX_PROGRAM_ARB);
    return ChainResult{};
}

}  // namespace app
