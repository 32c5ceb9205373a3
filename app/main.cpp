// Console entry point of the viewer. The build sets the off-screen buffer
// edge: 512 for volview, 256 for volview256.
#include "app/viewer_main.h"

#ifndef VOLVIEW_PBUFFER_EDGE
#error "VOLVIEW_PBUFFER_EDGE must be set by the build"
#endif

int main() { return app::ViewerMain(nullptr, nullptr, "", 0, VOLVIEW_PBUFFER_EDGE); }
