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

// Runs the viewer as the command line asked and returns the exit status.
int runViewer(const ViewerOptions& options, int pbufferEdge);

}  // namespace app
