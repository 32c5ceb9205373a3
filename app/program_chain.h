// Loads the seven shading programs, in order, into their fixed program
// numbers of the current context and stops at the first one that cannot be
// read or that the driver rejects.
#pragma once

#include <string>
#include <vector>

#include "support/program_text.h"

namespace app {

// Program numbers the frame loop binds.
enum ProgramNumber : unsigned {
    kIsosurfaceFirst = 1,
    kIsosurfaceSecond = 2,
    kTransparent = 3,
    kVertexProgram = 4,
    kTransparentWobble = 6,
    kIsosurfaceFirstWobble = 7,
    kIsosurfaceSecondWobble = 8,
};

struct ChainResult {
    bool ok = true;
    // For the "Error." box: the driver's message, or the file and why it
    // could not be read.
    std::string caption;
    // The file could not be read (the caption names it), rather than
    // rejected by the driver.
    bool unreadable = false;
};

// Loads every program from `folder` ("" is the current folder); on success
// both program targets are enabled and the vertex program stays bound.
ChainResult loadProgramChain(support::ProgramText& reader, const std::string& folder);

// The seven file names, in load order.
std::vector<std::string> programFileNames();

}  // namespace app
