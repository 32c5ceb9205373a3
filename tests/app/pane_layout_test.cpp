#include "app/pane_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/crosshair_mark.h"

namespace {

TEST(PaneLayout, FourPanesTileTheWindowAndTheSliceImagesKeepTheirProportions) {
    for (const int size : {400, 801}) {
        SCOPED_TRACE(size);
        const app::PaneLayout layout = app::layOutPanes(size, size - 101, true);
        long area = 0;
        for (const app::PaneRect& pane : layout.panes) area += static_cast<long>(pane.width) * pane.height;
        EXPECT_EQ(area, static_cast<long>(size) * (size - 101)) << "no gap, no overlap";
        // Axial top left, coronal top right, sagittal bottom left, the 3D view bottom right.
        EXPECT_EQ(app::slicePaneAt(layout, 1, 1), 0);
        EXPECT_EQ(app::slicePaneAt(layout, size - 1, 1), 1);
        EXPECT_EQ(app::slicePaneAt(layout, 1, size - 102), 2);
        EXPECT_EQ(app::slicePaneAt(layout, size - 1, size - 102), -1);
    }
    EXPECT_EQ(app::slicePaneAt(app::layOutPanes(400, 400, false), 1, 1), -1) << "the 3D view alone";

    // A wide plane fills the width, a tall one the height, at one scale on both axes.
    const app::PaneRect pane{100, 50, 208, 108};
    const app::ImageRect wide = app::fitImage(pane, 300.0, 100.0, 4);
    EXPECT_FLOAT_EQ(wide.width, 200.0f);
    EXPECT_FLOAT_EQ(wide.height, 200.0f / 3.0f);
    EXPECT_FLOAT_EQ(wide.x, 104.0f);
    EXPECT_FLOAT_EQ(wide.y + wide.height / 2, 104.0f) << "centred";
    const app::ImageRect tall = app::fitImage(pane, 50.0, 200.0, 4);
    EXPECT_FLOAT_EQ(tall.height, 100.0f);
    EXPECT_FLOAT_EQ(tall.width, 25.0f);
}

TEST(CrosshairMark, FollowsThePoseAndTheZoom) {
    const float left[3] = {0.7f, 0.5f, 0.5f}, head[3] = {0.5f, 0.5f, 0.7f}, front[3] = {0.5f, 0.7f, 0.5f};
    app::ViewPose pose = app::standardPose(app::StandardView::front);
    pose.pan[0] = pose.pan[1] = 0.0f;
    float x = 0, y = 0;
    // From the front the patient's left is on the picture's right, the head up.
    app::picturePointOf(pose, 1.0f, left, x, y);
    EXPECT_NEAR(x, 0.7f, 1e-5f);
    EXPECT_NEAR(y, 0.5f, 1e-5f);
    app::picturePointOf(pose, 2.0f, head, x, y);
    EXPECT_NEAR(x, 0.5f, 1e-5f);
    EXPECT_NEAR(y, 0.9f, 1e-5f) << "twice the zoom, twice the distance from the middle";
    // From above the face is up the picture; a pan moves every point with it.
    pose = app::standardPose(app::StandardView::above);
    pose.pan[0] = 0.1f;
    pose.pan[1] = 0.0f;
    app::picturePointOf(pose, 1.0f, front, x, y);
    EXPECT_NEAR(x, 0.6f, 1e-5f);
    EXPECT_NEAR(y, 0.7f, 1e-5f);
}

}  // namespace
