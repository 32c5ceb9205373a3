// The viewer's application body: start-up, frame loop and shutdown.
#pragma once

#include "app/viewer_options.h"

namespace app {

// Runs the viewer with an off-screen buffer of pbufferEdge x pbufferEdge
// pixels and returns the process exit status. The command line is the
// dataset's path; null or empty opens skewed_head.dat in the current folder.
// The handles are kept for the shape of a Windows entry point and not read.
int ViewerMain(void* instance, void* previousInstance, const char* commandLine, int showCommand,
               int pbufferEdge);

// Starts the program again with huge pages (platform::restartWithHugePages)
// for a grid of edge 256 or more; a smaller grid's textures are too small for
// them to pay, and they would cost it resident memory. Call before any output.
void restartForLargeGrid(int gridEdge, char** argv);

// Runs the viewer as the command line asked and returns the exit status.
int runViewer(const ViewerOptions& options, int pbufferEdge);

}  // namespace app
