// Viewer mode end to end: drags turn the head and leave it, a motion alone
// changes nothing, F2 to F7 give six views, 'r' brings back the start, the
// process rests while the picture does, and a window of another size keeps
// a ball round and in the middle of its square picture.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/viewer_session.h"
#include "volume/dataset_file.h"

using namespace testing_support;

namespace {

constexpr Seconds kLong(60);

// The first picture that two grabs 0.6 s apart agree on: the full picture
// drawn after the last input, not one of a drag's cheap frames.
RgbImage settled(ViewerSession& viewer, const std::function<bool(const RgbImage&)>& accept,
                 const char* what) {
    bool accepted = false;
    const RgbImage shown = viewer.waitForSettledPicture(accept, accepted, kLong);
    EXPECT_TRUE(accepted) << what << "; shown: " << keepForInspection(shown, "viewer-mode");
    return shown;
}

// The window's bottom right pixel has the clear grey: a frame covers the
// window (a new or enlarged window shows black until the viewer draws).
bool drawnOver(const RgbImage& p) {
    const unsigned char* c = &p.pixels[p.pixels.size() - 3];
    return std::abs(c[0] - 128) <= 2 && std::abs(c[1] - 128) <= 2 && std::abs(c[2] - 128) <= 2;
}

RgbImage settledChangeFrom(ViewerSession& viewer, const RgbImage& before, const char* what) {
    return settled(
        viewer, [&](const RgbImage& p) { return differentPixels(p, before, kChannelTolerance) > 2000; },
        what);
}

TEST(ViewerModeRun, DragsTurnAndStayStandardViewsDifferAndTheProcessRests) {
    ViewerLaunch launch("volview256");
    launch.arguments = {"--viewer"};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    const RgbImage start = settled(
        viewer, [](const RgbImage& p) { return drawnOver(p) && nonBackgroundPixels(p) > 20000; },
        "the start");
    {
        SCOPED_TRACE("the processor rests while the picture does: under 2 % of a core over 10 s");
        const double before = viewer.processorSeconds();
        std::this_thread::sleep_for(Seconds(10));
        EXPECT_LT(viewer.processorSeconds() - before, 0.2);
    }
    {
        SCOPED_TRACE("a motion without a button changes nothing");
        for (const int xy : {40, 300, 150}) viewer.moveMouse(xy, 400 - xy);
        std::this_thread::sleep_for(Seconds(1));
        EXPECT_EQ(differentPixels(settled(
                                      viewer, [](const RgbImage&) { return true; }, "rest"),
                                  start, 0),
                  0);
    }
    {
        SCOPED_TRACE("a left drag turns the head, which then stays as it was left");
        viewer.drag(1, 120, 200, 220, 200);
        const RgbImage turned = settledChangeFrom(viewer, start, "turned");
        std::this_thread::sleep_for(Seconds(1));
        EXPECT_EQ(differentPixels(settled(
                                      viewer, [](const RgbImage&) { return true; }, "rest"),
                                  turned, 0),
                  0);
    }
    {
        SCOPED_TRACE("F3 to F7 and F2: six different pictures, F2 the start's");
        std::vector<RgbImage> views;
        for (const char* key : {"F3", "F4", "F5", "F6", "F7", "F2"}) {
            viewer.typeKeys(key);
            const RgbImage& previous = views.empty() ? start : views.back();
            views.push_back(settledChangeFrom(viewer, previous, key));
        }
        for (std::size_t i = 0; i < views.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_GT(differentPixels(views[i], views[j], kChannelTolerance), 2000) << i << " and " << j;
        EXPECT_EQ(differentPixels(views.back(), start, 0), 0) << keepForInspection(views.back(), "f2");
    }
    {
        SCOPED_TRACE("'r' undoes a turn, a threshold drag, a pan and a zoom");
        viewer.drag(1, 200, 100, 200, 260);
        viewer.drag(3, 200, 300, 200, 200);
        viewer.drag(1, 100, 100, 160, 140, "shift");
        viewer.moveMouse(120, 120);
        viewer.click(4);
        const RgbImage moved = settledChangeFrom(viewer, start, "moved");
        viewer.typeKeys("r");
        const RgbImage back = settledChangeFrom(viewer, moved, "'r'");
        EXPECT_EQ(differentPixels(back, start, 0), 0) << keepForInspection(back, "reset");
    }
    viewer.typeKeys("q");
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
}

// The ball's extent in pixels of the window, leaving out the orientation
// letters near the picture's edges and the overlay line above.
struct Extent {
    double centreX = 0, centreY = 0, width = 0, height = 0;
};
Extent ballExtent(const RgbImage& p, int pictureX, int pictureY, int side) {
    const auto inBall = [&](int x, int y) {
        const unsigned char* c = &p.pixels[static_cast<std::size_t>(y * p.width + x) * 3];
        return std::abs(c[0] - 128) > 2 || std::abs(c[1] - 128) > 2 || std::abs(c[2] - 128) > 2;
    };
    const int margin = 45;
    int left = p.width, right = -1, top = p.height, bottom = -1;
    for (int y = std::max(pictureY, margin); y < pictureY + side - margin && y < p.height; ++y)
        for (int x = pictureX + margin; x < pictureX + side - margin; ++x)
            if (inBall(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {(left + right) / 2.0, (top + bottom) / 2.0, right - left + 1.0, bottom - top + 1.0};
}

TEST(ViewerModeRun, AResizedWindowKeepsABallRoundInTheMiddleOfItsSquarePicture) {
    TempDir folder;
    const int dims[3] = {128, 128, 128};
    std::vector<uint16_t> samples(128 * 128 * 128);
    for (int i = 0; i < 128 * 128 * 128; ++i) {
        const double r = std::hypot(i % 128 - 63.5, i / 128 % 128 - 63.5, i / 16384 - 63.5);
        samples[static_cast<std::size_t>(i)] = r < 36 ? 3000 : 0;
    }
    std::string error;
    ASSERT_TRUE(volume::writeDataset(folder.path() + "/ball.dat", dims, samples, false, error)) << error;
    ViewerLaunch launch("volview", folder.path());
    launch.arguments = {"--size", "400,400", "ball.dat"};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    const RgbImage start = settled(
        viewer, [](const RgbImage& p) { return drawnOver(p) && nonBackgroundPixels(p) > 20000; }, "the ball");
    const Extent ball = ballExtent(start, 0, 0, 400);
    EXPECT_NEAR(ball.width, ball.height, 3) << keepForInspection(start, "ball");
    // 800 x 500 and 640 x 540 each ask for a buffer of their picture's size (and stay
    // on a 600-line screen wherever Wine places the window).
    for (const auto& size : {std::pair{800, 500}, std::pair{640, 540}}) {
        const int width = size.first, height = size.second;
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        ASSERT_TRUE(viewer.resize(width, height));
        const RgbImage shown = settled(
            viewer,
            [&](const RgbImage& p) {
                return p.width == width && p.height == height && drawnOver(p) &&
                       nonBackgroundPixels(p) > 20000;
            },
            "resized");
        const int side = std::min(width, height), x0 = (width - side) / 2, y0 = (height - side) / 2;
        const Extent resized = ballExtent(shown, x0, y0, side);
        const double scale = side / 400.0;
        EXPECT_NEAR(resized.width, resized.height, 3) << keepForInspection(shown, "ball-resized");
        EXPECT_NEAR(resized.width, ball.width * scale, 6);
        EXPECT_NEAR(resized.centreX, x0 + ball.centreX * scale, 3);
        EXPECT_NEAR(resized.centreY, y0 + ball.centreY * scale, 3);
    }
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
    EXPECT_EQ(viewer.standardError().find("cannot make"), std::string::npos) << viewer.standardError();
}

}  // namespace
