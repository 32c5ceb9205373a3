// Console entry point of the viewer: `volview [OPTIONS] [PATH]`. The build
// sets the off-screen buffer edge: 512 for volview, 256 for volview256.
#include <cstdio>
#include <string>

#include "app/viewer.h"
#include "app/viewer_main.h"
#include "app/viewer_options.h"
#include "platform/platform.h"

#ifndef VOLVIEW_PBUFFER_EDGE
#error "VOLVIEW_PBUFFER_EDGE must be set by the build"
#endif

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "volview";
    app::ViewerOptions options;
    std::string error;
    if (!app::parseViewerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s: %s\n%s", program, error.c_str(), app::viewerUsage(program).c_str());
        return app::kExitCannotStart;
    }
    if (options.help) {
        std::fputs(app::viewerUsage(program).c_str(), stdout);
        return 0;
    }
    app::restartForLargeGrid(options.gridEdge, argv);
    const int status = app::runViewer(options, VOLVIEW_PBUFFER_EDGE);
    // The window, the contexts and the off-screen buffer live to the end of
    // the process; hand them back to the window system here, as the process
    // ends, so that nothing of ours is left allocated behind the exit.
    platform::terminate();
    return status;
}
