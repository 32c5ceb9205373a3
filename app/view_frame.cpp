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

// Every input and what it does, one line each, for the help list, with the
// modes it belongs to.
enum HelpModes { kExactOnly = 1, kViewerOnly = 2, kBothModes = 3 };
struct HelpLine {
    const char* input;
    const char* effect;
    int modes;
};
constexpr HelpLine kHelpLines[] = {
    {"mouse position", "turn the volume", kExactOnly},
    {"left / right press", "threshold down / up", kExactOnly},
    {"left drag", "turn the volume", kViewerOnly},
    {"right drag", "threshold (up: denser)", kViewerOnly},
    {"middle, Shift+left", "drag the picture", kViewerOnly},
    {"F2 - F7", "front back left right above below", kViewerOnly},
    {"m", "slices beside the 3D view on / off", kViewerOnly},
    {"slice: left / right", "crosshair / window and level", kViewerOnly},
    {"slice: wheel PgUp PgDn", "next slice;  4 - 7: CT windows", kViewerOnly},
    {"1  2  3", "surface, transparency, wobble", kBothModes},
    {"wheel  +  -", "zoom about the centre", kExactOnly},
    {"wheel", "zoom about the cursor", kViewerOnly},
    {"+  -", "zoom about the centre", kViewerOnly},
    {"l  L", "next / previous look (MIP, MinIP too)", kBothModes},
    {"[  ]", "shift the look down / up", kBothModes},
    {"c", "cut on / off", kBothModes},
    {",  .", "cut away from / towards you", kBothModes},
    {"s  F12", "save a screenshot", kBothModes},
    {"r", "back to the start", kBothModes},
    {"h  F1", "this list on / off", kBothModes},
    {"Esc  q", "quit", kBothModes},
};

void uploadLookTable(Viewer& viewer) {
    uint8_t table[256 * 4];
    makeLookTable(looks()[static_cast<std::size_t>(viewControls.look)], viewControls.shift, table);
    fitTableToSlices(viewer.grid, table);
    // A drag's frames take every other slice: each lets more through.
    const int spacing = frameSliceSpacing(viewer);
    if (spacing != 1) correctTableOpacity(table, 256, static_cast<float>(spacing));
    viewer.tableSpacing = spacing;
    vgl::glActiveTextureARB(kTransferUnit);
    glBindTexture(GL_TEXTURE_1D, viewer.transferTexture);
    glTexSubImage1D(GL_TEXTURE_1D, 0, 0, 256, GL_RGBA, GL_UNSIGNED_BYTE, table);
    // Unit 3 is the one left active after start-up.
    vgl::glActiveTextureARB(GL_TEXTURE3_ARB);
    viewer.transparentBoxes = transparentBoxesFor(viewer.densityBounds.get(), table);
}

// The patient direction beyond each edge of the picture, at the middle of
// the edge: dark under light, so that it reads over any look.
void drawOrientationLetters(const Viewer& viewer) {
    const float x = static_cast<float>(viewer.pictureX), y = static_cast<float>(viewer.pictureY);
    const float side = static_cast<float>(viewer.pictureSide);
    struct Edge {
        float screenX, screenY;  // the edge's direction, y up
        float textX, textY;      // where its letter is drawn
    };
    const Edge edges[] = {
        {1, 0, x + side - 16, y + side / 2 + 5},
        {-1, 0, x + 6, y + side / 2 + 5},
        {0, 1, x + side / 2 - 4, y + 18},
        {0, -1, x + side / 2 - 4, y + side - 8},
    };
    constexpr float kShadow[][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {0, 0}};
    for (const Edge& edge : edges) {
        const char text[2] = {orientationLetter(viewControls.pose, edge.screenX, edge.screenY), '\0'};
        for (const auto& offset : kShadow) {
            const bool front = offset[0] == 0 && offset[1] == 0;
            glColor4f(front ? 1.0f : 0.0f, front ? 1.0f : 0.0f, front ? 1.0f : 0.0f, 1.0f);
            printAt(viewer, edge.textX + offset[0], edge.textY + offset[1], text);
        }
    }
}

}  // namespace

int frameSliceSpacing(const Viewer& viewer) { return viewer.drawEdge > 0 ? 2 : 1; }

SliceStack frameSlices(const Viewer& viewer) {
    SliceStack stack = viewer.grid.slices;
    const int spacing = frameSliceSpacing(viewer);
    stack.count = (stack.count + spacing - 1) / spacing;
    stack.step *= static_cast<float>(spacing);
    return stack;
}

void applyViewControls(Viewer& viewer) {
    if (viewControls.tableStale || viewer.tableSpacing != frameSliceSpacing(viewer)) {
        uploadLookTable(viewer);
        viewControls.tableStale = false;
    }
    // A larger viewport, clipped by the buffer's edges, draws the middle of
    // the picture at full resolution.
    const float edge = static_cast<float>(viewer.drawnEdge());
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

void keepProjectionSlab(SliceTiles& tiles, const float modelview[16], const SliceStack& stack) {
    const float front =
        centreSliceParameter(modelview) + (viewControls.cut ? viewControls.cutOffset : -kSlabDepth / 2.0f);
    cutSliceTiles(tiles, front, stack);
    cutSlicesBeyond(tiles, front + kSlabDepth, stack);
}

void drawViewText(const Viewer& viewer) {
    char line[64];
    // At the bottom left of the 3D view (its pane, with the slices beside it).
    const PaneRect& pane = viewer.panes.panes[kVolumePane];
    const float left = viewer.viewerMode ? static_cast<float>(pane.x) + 20.0f : 20.0f;
    float y = viewer.viewerMode ? static_cast<float>(pane.y + pane.height) - 30.0f : 370.0f;
    if (std::chrono::steady_clock::now() < viewControls.lookShownUntil) {
        printAt(viewer, left, y, looks()[static_cast<std::size_t>(viewControls.look)].name);
        y -= 18.0f;
    }
    if (viewControls.zoomStep != 0) {
        std::snprintf(line, sizeof line, "zoom %.1f x",
                      static_cast<double>(zoomFactor(viewControls.zoomStep)));
        printAt(viewer, left, y, line);
        y -= 18.0f;
    }
    if (viewControls.cut) {
        std::snprintf(line, sizeof line, "cut %+.2f", static_cast<double>(viewControls.cutOffset));
        printAt(viewer, left, y, line);
    }
    if (viewer.viewerMode) drawOrientationLetters(viewer);
    if (!viewControls.help) return;
    const int mode = viewer.viewerMode ? kViewerOnly : kExactOnly;
    float helpY = 60.0f;
    for (const HelpLine& help : kHelpLines) {
        if ((help.modes & mode) == 0) continue;
        printAt(viewer, 20, helpY, help.input);
        printAt(viewer, 150, helpY, help.effect);
        helpY += 16.0f;
    }
}

void printAt(const Viewer& viewer, float x, float y, const char* text) {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, -10);
    viewer.font->print("%s", text);
    glPopMatrix();
}

}  // namespace app
