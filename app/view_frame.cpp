#include "app/view_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "app/looks.h"
#include "app/view_controls.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"

namespace app {
namespace {

// Every input and what it does, one line each, for the help list.
constexpr const char* kHelpLines[][2] = {
    {"mouse position", "turn the volume"},
    {"left / right press", "threshold down / up"},
    {"1  2  3", "surface, transparency, wobble"},
    {"wheel  +  -", "zoom about the centre"},
    {"l  L", "next / previous look"},
    {"[  ]", "shift the look down / up"},
    {"c", "cut on / off"},
    {",  .", "cut away from / towards you"},
    {"s  F12", "save a screenshot"},
    {"r", "back to the start"},
    {"h  F1", "this list on / off"},
    {"Esc  q", "quit"},
};

// The window's design area is 400 x 400 with y down.
void printAt(const Viewer& viewer, float x, float y, const char* text) {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, -10);
    viewer.font->print("%s", text);
    glPopMatrix();
}

void uploadLookTable(Viewer& viewer) {
    uint8_t table[256 * 4];
    makeLookTable(looks()[static_cast<std::size_t>(viewControls.look)], viewControls.shift, table);
    fitTableToSlices(viewer.grid, table);
    vgl::glActiveTextureARB(kTransferUnit);
    glBindTexture(GL_TEXTURE_1D, viewer.transferTexture);
    glTexSubImage1D(GL_TEXTURE_1D, 0, 0, 256, GL_RGBA, GL_UNSIGNED_BYTE, table);
    // Unit 3 is the one left active after start-up.
    vgl::glActiveTextureARB(GL_TEXTURE3_ARB);
    viewer.transparentBoxes = transparentBoxesFor(viewer.densityBounds.get(), table);
}

}  // namespace

void applyViewControls(Viewer& viewer) {
    if (viewControls.tableStale) {
        uploadLookTable(viewer);
        viewControls.tableStale = false;
    }
    // A larger viewport, clipped by the buffer's edges, draws the middle of
    // the picture at full resolution.
    const float edge = static_cast<float>(viewer.pbufferEdge);
    const float size = edge * zoomFactor(viewControls.zoomStep);
    const int origin = static_cast<int>((edge - size) / 2.0f);
    glViewport(origin, origin, static_cast<GLsizei>(size), static_cast<GLsizei>(size));
}

float centreSliceParameter(const float m[16]) {
    // Slice coordinates are the transpose of the rotation applied to the
    // texture position less the translation.
    float w = 0.0f;
    for (int i = 0; i < 3; ++i) w += m[8 + i] * (0.5f - m[12 + i]);
    return w;
}

void cutSliceTiles(SliceTiles& tiles, const float modelview[16], const SliceStack& stack) {
    if (viewControls.cut)
        cutSliceTiles(tiles, centreSliceParameter(modelview) + viewControls.cutOffset, stack);
}

void drawViewText(const Viewer& viewer) {
    char line[64];
    float y = 370.0f;
    if (std::chrono::steady_clock::now() < viewControls.lookShownUntil) {
        printAt(viewer, 20, y, looks()[static_cast<std::size_t>(viewControls.look)].name);
        y -= 18.0f;
    }
    if (viewControls.zoomStep != 0) {
        std::snprintf(line, sizeof line, "zoom %.1f x",
                      static_cast<double>(zoomFactor(viewControls.zoomStep)));
        printAt(viewer, 20, y, line);
        y -= 18.0f;
    }
    if (viewControls.cut) {
        std::snprintf(line, sizeof line, "cut %+.2f", static_cast<double>(viewControls.cutOffset));
        printAt(viewer, 20, y, line);
    }
    if (!viewControls.help) return;
    float helpY = 60.0f;
    for (const auto& help : kHelpLines) {
        printAt(viewer, 20, helpY, help[0]);
        printAt(viewer, 150, helpY, help[1]);
        helpY += 16.0f;
    }
}

}  // namespace app
