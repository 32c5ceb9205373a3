// Where the panes lie in the window: the 3D view alone, or four panes
// (axial top left, coronal top right, sagittal bottom left, 3D bottom
// right), and where a slice image of given proportions fits in its pane.
#pragma once

namespace app {

// A rectangle of the client area, y down.
struct PaneRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// The panes in order: the three slice planes, then the 3D view.
constexpr int kVolumePane = 3;
struct PaneLayout {
    PaneRect panes[4];
    bool fourPanes = false;
};

PaneLayout layOutPanes(int width, int height, bool fourPanes);

// The slice pane under (x, y), or -1 (the 3D view, or the 3D view alone).
int slicePaneAt(const PaneLayout& layout, int x, int y);

// The largest rectangle of proportions widthMm : heightMm centred in `pane`
// less `margin` pixels on each side (square pixels of the physical size).
struct ImageRect {
    float x = 0, y = 0, width = 0, height = 0;
};
ImageRect fitImage(const PaneRect& pane, double widthMm, double heightMm, int margin);

}  // namespace app
