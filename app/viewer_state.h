// The interaction state shared by the window procedure (which writes it)
// and the frame loop (which reads it). One thread touches it.
#pragma once

#include <cstdint>

#include "app/looks.h"

namespace app {

struct ViewerState {
    float threshold = 0.3f;  // alpha-test reference of the isosurface pass
    float animStep = 0.1f;   // added to animValue every frame
    float animValue = 0.0f;  // animation value handed to the fragment programs
    bool showIsosurface = true;
    bool showTransparent = true;
    // A projection look replaces both passes with its own blend.
    Projection projection = Projection::none;
    bool wobble = false;  // use the wobbling program variants
    int32_t mouseX = 0;   // last cursor position in client pixels
    int32_t mouseY = 0;
};

extern ViewerState viewerState;

}  // namespace app
