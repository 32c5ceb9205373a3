// Command line of volview and volview256: `[OPTIONS] [PATH]`. With no
// option the viewer shows PATH (or skewed_head.dat) exactly as it always has
// (exact mode); any option, or a scan opened directly, gives viewer mode.
#pragma once

#include <string>

namespace app {

// The window sizes --size accepts.
constexpr int kSmallestWindowEdge = 64;
constexpr int kLargestWindowEdge = 8192;

struct ViewerOptions {
    std::string path;       // dataset file, DICOM folder or file, NIfTI file; "" for the default
    int gridEdge = 0;       // --grid N: the cube's edge; 0 when not given (the fixed 128 grid)
    std::string seriesUid;  // --series UID: which series of a DICOM folder
    std::string look;       // --look NAME: the start look; "" for the default
    bool help = false;      // --help or -h
    bool viewer = false;    // --viewer: viewer mode for a dataset file
    int width = 0;          // --size W,H: the window's start size; 0 when not given
    int height = 0;
    bool fourPanes = false;  // --layout four: the slice panes beside the 3D view from the start
    bool layoutGiven = false;

    // True when nothing beyond a path was asked for.
    bool plain() const {
        return gridEdge == 0 && seriesUid.empty() && look.empty() && !viewer && width == 0 && !layoutGiven;
    }
};

// Fills `out` from the arguments after the program name. Fails, with
// `error`, on unknown or repeated options, a missing or malformed value, or
// more than one path. "--" ends the options.
bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& out, std::string& error);

// The text of --help for the program named `program`.
std::string viewerUsage(const char* program);

}  // namespace app
