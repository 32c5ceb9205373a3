// Console entry point of the viewer. The build sets the off-screen buffer
// edge: 512 for volview, 256 for volview256.
#include "app/viewer_main.h"
#include "platform/platform.h"

#ifndef VOLVIEW_PBUFFER_EDGE
#error "VOLVIEW_PBUFFER_EDGE must be set by the build"
#endif

int main() {
    const int status = app::ViewerMain(nullptr, nullptr, "", 0, VOLVIEW_PBUFFER_EDGE);
    // The window, the contexts and the off-screen buffer live to the end of
    // the process; hand them back to the window system here, as the process
    // ends, so that nothing of ours is left allocated behind the exit.
    platform::terminate();
    return status;
}
