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
    // Viewer mode's slice program: the same slices, read from textures that
    // hold only the box around the samples.
    kBoxedVertexProgram = 5,
    kTransparentWobble = 6,
    kIsosurfaceFirstWobble = 7,
    kIsosurfaceSecondWobble = 8,
    // The jittered variants of the six fragment programs, for the added
    // rendering: each the number of its plain program plus kJitteredOffset.
    kJitteredOffset = 10,
    // The jittered transparent programs with premultiplied colour, for a
    // pass drawn nearest first: each the number of its plain program plus
    // kUnderOffset.
    kUnderOffset = 20,
    // The jittered programs that draw four slices a fragment.
    kIsosurfaceFirstGrouped = 31,
    kIsosurfaceSecondGrouped = 32,
    kTransparentGrouped = 33,
};

// The boxed slice program's parameters after the slice rectangles: the
// scale and the offset that take a coordinate across the cube to one across
// the textures' box.
constexpr unsigned kTextureScaleParameter = 83;
constexpr unsigned kTextureOffsetParameter = 84;
// The jittered wobble programs' parameters: the box's scale, and the scale
// and offset that take a coordinate across the box back to the cube's.
constexpr unsigned kWobbleBoxScaleParameter = 4;
constexpr unsigned kWobbleCubeScaleParameter = 5;
constexpr unsigned kWobbleCubeOffsetParameter = 6;
// The grouped lit and transparent programs': the isosurface's threshold
// (above 1 with the isosurface off).
constexpr unsigned kSurfaceThresholdParameter = 7;

// The fragment program that draws `plain` (a fragment program number above)
// with or without jittered sampling.
constexpr unsigned fragmentProgram(ProgramNumber plain, bool jittered) {
    return jittered ? plain + kJitteredOffset : plain;
}

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

// Loads the eleven jittered fragment programs from `folder` after the chain,
// the same way; the bound fragment program is left as the chain left it.
ChainResult loadJitteredPrograms(support::ProgramText& reader, const std::string& folder);

// Loads viewer mode's slice program from `folder` after the chain, the same
// way, and leaves it bound in place of the chain's, over the whole cube
// until the textures' box is known.
ChainResult loadBoxedVertexProgram(support::ProgramText& reader, const std::string& folder);

// The seven file names, in load order.
std::vector<std::string> programFileNames();

}  // namespace app
