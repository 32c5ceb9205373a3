#include "app/pane_layout.h"

#include <algorithm>

namespace app {

PaneLayout layOutPanes(int width, int height, bool fourPanes) {
    PaneLayout layout;
    layout.fourPanes = fourPanes;
    if (!fourPanes) {
        layout.panes[kVolumePane] = {0, 0, width, height};
        return layout;
    }
    const int left = width / 2, top = height / 2;
    layout.panes[0] = {0, 0, left, top};
    layout.panes[1] = {left, 0, width - left, top};
    layout.panes[2] = {0, top, left, height - top};
    layout.panes[kVolumePane] = {left, top, width - left, height - top};
    return layout;
}

int slicePaneAt(const PaneLayout& layout, int x, int y) {
    if (!layout.fourPanes) return -1;
    for (int pane = 0; pane < kVolumePane; ++pane)
        if (layout.panes[pane].contains(x, y)) return pane;
    return -1;
}

ImageRect fitImage(const PaneRect& pane, double widthMm, double heightMm, int margin) {
    const double room[2] = {std::max(1, pane.width - 2 * margin) * 1.0,
                            std::max(1, pane.height - 2 * margin) * 1.0};
    const double scale = std::min(room[0] / std::max(widthMm, 1e-6), room[1] / std::max(heightMm, 1e-6));
    ImageRect image;
    image.width = static_cast<float>(widthMm * scale);
    image.height = static_cast<float>(heightMm * scale);
    image.x = static_cast<float>(pane.x + (pane.width - image.width) / 2.0);
    image.y = static_cast<float>(pane.y + (pane.height - image.height) / 2.0);
    return image;
}

}  // namespace app
