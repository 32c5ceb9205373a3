// Console entry point of the viewer: `volview [DATASET]`. The build sets
// the off-screen buffer edge: 512 for volview, 256 for volview256.
#include <cstdio>
#include <cstring>

#include "app/viewer.h"
#include "app/viewer_main.h"
#include "platform/platform.h"

#ifndef VOLVIEW_PBUFFER_EDGE
#error "VOLVIEW_PBUFFER_EDGE must be set by the build"
#endif

int main(int argc, char** argv) {
    const char* program = argc > 0 && argv[0] != nullptr ? argv[0] : "volview";
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        const bool help =
            argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
        std::fprintf(help ? stdout : stderr,
                     "usage: %s [DATASET]\n"
                     "Shows DATASET (default: skewed_head.dat in the current folder). A path that\n"
                     "starts with '-' is given as ./-name.\n",
                     program);
        return help ? 0 : app::kExitCannotStart;
    }
    const char* dataset = argc == 2 ? argv[1] : "";
    const int status = app::ViewerMain(nullptr, nullptr, dataset, 0, VOLVIEW_PBUFFER_EDGE);
    // The window, the contexts and the off-screen buffer live to the end of
    // the process; hand them back to the window system here, as the process
    // ends, so that nothing of ours is left allocated behind the exit.
    platform::terminate();
    return status;
}
