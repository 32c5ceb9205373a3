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

constexpr ChainEntry kJittered[] = {
    {"surface_first_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceFirst + kJitteredOffset},
    {"surface_lit_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceSecond + kJitteredOffset},
    {"transparent_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparent + kJitteredOffset},
    {"transparent_wobble_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparentWobble + kJitteredOffset},
    {"surface_first_wobble_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceFirstWobble + kJitteredOffset},
    {"surface_lit_wobble_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceSecondWobble + kJitteredOffset},
    {"transparent_under_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparent + kUnderOffset},
    {"transparent_wobble_under_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparentWobble + kUnderOffset},
    {"surface_first_grouped_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceFirstGrouped},
    {"surface_lit_grouped_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kIsosurfaceSecondGrouped},
    {"transparent_grouped_jittered.txt", GL_FRAGMENT_PROGRAM_ARB, kTransparentGrouped},
};

constexpr ChainEntry kBoxedVertex = {"slices_in_box.txt", GL_VERTEX_PROGRAM_ARB, kBoxedVertexProgram};

ChainResult rejected(std::string caption, bool unreadable = false) {
    ChainResult result;
    result.ok = false;
    result.caption = std::move(caption);
    result.unreadable = unreadable;
    return result;
}

// Reads and hands one program to the driver; "" when the driver took it.
ChainResult loadEntry(support::ProgramText& reader, const std::string& folder, const ChainEntry& entry) {
    // The driver is never given a text that was not read.
    if (!reader.load(pathInFolder(folder, entry.file).c_str())) return rejected(reader.errorMessage(), true);
    vgl::glBindProgramARB(entry.target, entry.number);
    const char* text = reader.text();
    vgl::glProgramStringARB(entry.target, GL_PROGRAM_FORMAT_ASCII_ARB,
                            static_cast<GLsizei>(std::strlen(text)), text);
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition == -1) return ChainResult{};
    const GLubyte* message = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
    return rejected(message != nullptr ? reinterpret_cast<const char*>(message) : "");
}

}  // namespace

ChainResult loadJitteredPrograms(support::ProgramText& reader, const std::string& folder) {
    GLint bound = 0;
    vgl::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &bound);
    for (const ChainEntry& entry : kJittered) {
        const ChainResult result = loadEntry(reader, folder, entry);
        if (!result.ok) return result;
    }
    vgl::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(bound));
    // The whole cube until the textures' box is known.
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleBoxScaleParameter, 1.0f, 1.0f, 1.0f,
                                    0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleCubeScaleParameter, 1.0f, 1.0f, 1.0f,
                                    0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleCubeOffsetParameter, 0.0f, 0.0f, 0.0f,
                                    0.0f);
    return ChainResult{};
}

ChainResult loadBoxedVertexProgram(support::ProgramText& reader, const std::string& folder) {
    const ChainResult result = loadEntry(reader, folder, kBoxedVertex);
    if (!result.ok) return result;
    vgl::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, kTextureScaleParameter, 1.0f, 1.0f, 1.0f, 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, kTextureOffsetParameter, 0.0f, 0.0f, 0.0f, 0.0f);
    return ChainResult{};
}

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
