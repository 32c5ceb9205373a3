// The slice panes end to end: a phantom whose ellipsoid has three different
// semi-axes and a bright marker beyond its left, front and top is shown in
// four panes; each pane must show the ellipse of its two axes with the
// markers where the radiological convention puts them, a click must move
// the crosshair (and the other panes), the wheel must step a slice, a
// right drag must change the contrast and `r` restore it, and the printed
// crosshair line must give the marker's place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/viewer_session.h"
#include "volume/dataset_file.h"

using namespace testing_support;

namespace {

constexpr int kEdge = 100;                  // samples a side, 1 mm apart
constexpr int kCentre = 50;                 // the ellipsoid's centre voxel
constexpr int kSemiAxes[3] = {40, 24, 32};  // x (left), y (front), z (head)
constexpr int kSoftTissue = 1024 + 40;      // 40 HU: mid grey in the start window
constexpr int kMarker = 1024 + 1000;        // white in it
constexpr int kWindow = 560, kPane = kWindow / 2;
constexpr double kImage = kPane - 8;             // the pane less its margins
constexpr double kPixelsPerMm = kImage / kEdge;  // every plane is 100 x 100 mm
constexpr Seconds kLong(60);

// Marker centres: beyond the ellipsoid on the patient's left, front and top.
constexpr int kLeftMarker[3] = {kCentre + kSemiAxes[0] + 4, kCentre, kCentre};
constexpr int kFrontMarker[3] = {kCentre, kCentre + kSemiAxes[1] + 6, kCentre};
constexpr int kTopMarker[3] = {kCentre, kCentre, kCentre + kSemiAxes[2] + 6};

std::string writePhantom(const TempDir& dir) {
    std::vector<uint16_t> samples(static_cast<std::size_t>(kEdge) * kEdge * kEdge, 0);
    for (int k = 0; k < kEdge; ++k)
        for (int j = 0; j < kEdge; ++j)
            for (int i = 0; i < kEdge; ++i) {
                const int at[3] = {i, j, k};
                double r = 0;
                bool marker = false;
                for (const int* centre : {kLeftMarker, kFrontMarker, kTopMarker}) {
                    bool inside = true;
                    for (int a = 0; a < 3; ++a) inside = inside && std::abs(at[a] - centre[a]) <= 2;
                    marker = marker || inside;
                }
                for (int a = 0; a < 3; ++a) r += std::pow((at[a] - kCentre) / double(kSemiAxes[a]), 2);
                uint16_t& sample = samples[static_cast<std::size_t>(i + kEdge * (j + kEdge * k))];
                sample = marker ? kMarker : r <= 1.0 ? kSoftTissue : 0;
            }
    const int dims[3] = {kEdge, kEdge, kEdge};
    std::string error;
    EXPECT_TRUE(volume::writeDataset(dir.file("phantom.dat"), dims, samples, false, error)) << error;
    return dir.file("phantom.dat");
}

// The window pixel of voxel (i, j, k) in slice pane `pane` (0 axial, 1
// coronal, 2 sagittal): axial from the feet and coronal from the front with
// the patient's right on the left, sagittal with the face on the left.
struct Pixel {
    int x, y;
};
// The pixel of sample (across, up) of pane `pane`'s image, counted from its lower left.
Pixel panePixel(int pane, int across, int up) {
    const int left = pane == 1 ? kPane : 0, top = pane == 2 ? kPane : 0;
    return {left + 4 + static_cast<int>((across + 0.5) * kPixelsPerMm),
            top + 4 + static_cast<int>(kImage - (up + 0.5) * kPixelsPerMm)};
}
Pixel pixelOf(int pane, const int voxel[3]) {
    const int across[3] = {voxel[0], voxel[0], kEdge - 1 - voxel[1]};
    const int up[3] = {voxel[1], voxel[2], voxel[2]};
    return panePixel(pane, across[pane], up[pane]);
}

const unsigned char* at(const RgbImage& p, Pixel pixel) {
    return &p.pixels[3 * (static_cast<std::size_t>(pixel.y) * p.width + pixel.x)];
}
bool white(const RgbImage& p, Pixel pixel) {
    const unsigned char* c = at(p, pixel);
    return c[0] > 200 && c[1] > 200 && c[2] > 200;
}
bool black(const RgbImage& p, Pixel pixel) {
    const unsigned char* c = at(p, pixel);
    return c[0] < 40 && c[1] < 40 && c[2] < 40;
}
int grey(const RgbImage& p, Pixel pixel) { return at(p, pixel)[1]; }
bool softTissue(const RgbImage& p, Pixel pixel) {
    const unsigned char* c = at(p, pixel);
    return std::abs(c[0] - 128) < 30 && std::abs(c[1] - 128) < 30 && std::abs(c[2] - 128) < 30;
}

// Pixels of soft tissue from `from` in steps of (dx, dy) until it ends.
int tissueRun(const RgbImage& p, Pixel from, int dx, int dy) {
    int steps = 0;
    while (from.x >= 0 && from.x < p.width && from.y >= 0 && from.y < p.height && softTissue(p, from)) {
        from.x += dx;
        from.y += dy;
        ++steps;
    }
    return steps;
}

// The ellipse's half widths across and up pane `pane`, in mm, measured
// outwards from two samples beside the crosshair's lines.
void halfWidths(const RgbImage& p, int pane, double& across, double& up) {
    const int c = kCentre, near = 2;
    const Pixel right = panePixel(pane, c + near, c + near), left = panePixel(pane, c - near, c + near);
    const Pixel top = panePixel(pane, c + near, c + near), bottom = panePixel(pane, c + near, c - near);
    const int width = right.x + tissueRun(p, right, 1, 0) - (left.x - tissueRun(p, left, -1, 0));
    const int height = bottom.y + tissueRun(p, bottom, 0, 1) - (top.y - tissueRun(p, top, 0, -1));
    across = width / kPixelsPerMm / 2;
    up = height / kPixelsPerMm / 2;
}

// Soft tissue pixels in pane `pane`'s image (its margins show the clear grey).
int tissuePixels(const RgbImage& p, int pane) {
    int count = 0;
    const Pixel low = panePixel(pane, 0, kEdge - 1), high = panePixel(pane, kEdge - 1, 0);
    for (int y = low.y; y <= high.y; ++y)
        for (int x = low.x; x <= high.x; ++x) count += softTissue(p, {x, y}) ? 1 : 0;
    return count;
}

// The picture once two grabs 0.5 s apart agree and `accept` likes it.
RgbImage settled(ViewerSession& viewer, const std::function<bool(const RgbImage&)>& accept,
                 const char* what) {
    RgbImage last;
    bool accepted = false;
    const RgbImage shown = viewer.waitForPicture(
        [&](const RgbImage& p) {
            const bool same = accept(p) && differentPixels(p, last, 0) == 0;
            last = p;
            if (!same) std::this_thread::sleep_for(Seconds(0.5));
            return same;
        },
        accepted, kLong);
    EXPECT_TRUE(accepted) << what << "; shown: " << keepForInspection(shown, "slice-panes");
    return shown;
}

// The voxel and value of the last crosshair line on standard output.
bool lastCrosshair(const std::string& out, int voxel[3], double mm[3], int& value) {
    const std::size_t line = out.rfind("crosshair: ");
    return line != std::string::npos &&
           std::sscanf(out.c_str() + line, "crosshair: %lf %lf %lf mm, voxel %d %d %d, value %d", &mm[0],
                       &mm[1], &mm[2], &voxel[0], &voxel[1], &voxel[2], &value) == 7;
}

TEST(SlicePanesRun, PanesShowTheConventionsAndFollowTheCrosshairWheelAndWindow) {
    TempDir dir;
    const std::string phantom = writePhantom(dir);
    ViewerLaunch launch("volview256");
    launch.arguments = {"--layout", "four", "--size", "560,560", phantom};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    const int middle[3] = {kCentre, kCentre, kCentre};
    const Pixel centreAxial = pixelOf(0, middle);
    const RgbImage start = settled(
        viewer,
        [&](const RgbImage& p) {
            return softTissue(p, {centreAxial.x + 5, centreAxial.y + 5});
        },
        "the four panes");
    {
        SCOPED_TRACE("each pane shows the ellipse of its two axes, in mm");
        const int axes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        for (int pane = 0; pane < 3; ++pane) {
            SCOPED_TRACE(pane);
            double across = 0, up = 0;
            halfWidths(start, pane, across, up);
            EXPECT_NEAR(across, kSemiAxes[axes[pane][0]], 2.0);
            EXPECT_NEAR(up, kSemiAxes[axes[pane][1]], 2.0);
        }
    }
    {
        SCOPED_TRACE("the markers lie where the convention puts them, and not mirrored");
        const auto mirrored = [](const int* marker) {
            return std::vector<int>{2 * kCentre - marker[0], 2 * kCentre - marker[1],
                                    2 * kCentre - marker[2]};
        };
        const struct {
            int pane;
            const int* marker;
            const char* where;
        } rows[] = {
            {0, kLeftMarker, "left: on the axial pane's right"},
            {1, kLeftMarker, "left: on the coronal pane's right"},
            {0, kFrontMarker, "front: at the axial pane's top"},
            {2, kFrontMarker, "front: on the sagittal pane's left"},
            {1, kTopMarker, "top: at the coronal pane's top"},
            {2, kTopMarker, "top: at the sagittal pane's top"},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.where);
            // One voxel off the marker's centre, clear of the crosshair's lines.
            const int near[3] = {row.marker[0] + 1, row.marker[1] + 1, row.marker[2] + 1};
            const std::vector<int> other = mirrored(near);
            EXPECT_TRUE(white(start, pixelOf(row.pane, near)));
            EXPECT_TRUE(black(start, pixelOf(row.pane, other.data())));
        }
    }
    const int sagittalTissue = tissuePixels(start, 2);
    EXPECT_GT(sagittalTissue, 15000) << "the ellipse of 24 x 32 mm";
    {
        SCOPED_TRACE("a click on the left marker in the axial pane moves the crosshair there");
        const Pixel marker = pixelOf(0, kLeftMarker);
        viewer.moveMouse(marker.x, marker.y);
        viewer.click(1);
        ASSERT_TRUE(viewer.waitForOutput("crosshair: ")) << viewer.standardOutput();
        int voxel[3] = {};
        double mm[3] = {};
        int value = 0;
        ASSERT_TRUE(lastCrosshair(viewer.standardOutput(), voxel, mm, value)) << viewer.standardOutput();
        for (int a = 0; a < 3; ++a) {
            EXPECT_LE(std::abs(voxel[a] - kLeftMarker[a]), 1) << a;
            EXPECT_NEAR(mm[a], kLeftMarker[a], 1.0) << a;
        }
        EXPECT_EQ(value, 1000) << "Hounsfield units";
        // The sagittal pane now cuts beside the ellipsoid, through the marker.
        const RgbImage moved = settled(
            viewer, [](const RgbImage& p) { return tissuePixels(p, 2) < 1000; }, "the sagittal pane follows");
        const int beside[3] = {kLeftMarker[0], kLeftMarker[1] + 1, kLeftMarker[2] + 1};
        EXPECT_TRUE(white(moved, pixelOf(2, beside)));
        const RgbImage volumeBefore = start.crop(kPane, kPane, kPane, kPane);
        EXPECT_GT(differentPixels(moved.crop(kPane, kPane, kPane, kPane), volumeBefore, kChannelTolerance),
                  20)
            << "the 3D view's mark moves";
    }
    {
        SCOPED_TRACE("the wheel over the coronal pane steps its slice, one sample a notch");
        viewer.moveMouse(kPane + 40, 40);
        viewer.click(4, 3, 100);
        ASSERT_TRUE(viewer.waitForOutput("voxel " + std::to_string(kLeftMarker[0]) + " 52 "))
            << viewer.standardOutput();
        viewer.click(5, 1);
        ASSERT_TRUE(viewer.waitForOutput("voxel " + std::to_string(kLeftMarker[0]) + " 51 "))
            << viewer.standardOutput();
    }
    {
        SCOPED_TRACE("a right drag up raises the level (darker), r brings the start back");
        viewer.typeKeys("r");
        settled(
            viewer,
            [&](const RgbImage& p) { return differentPixels(p, start, kChannelTolerance) < kAllowedPixels; },
            "back at the start");
        viewer.drag(3, 60, 240, 60, 190);
        const Pixel inside = {centreAxial.x + 5, centreAxial.y + 5};
        const RgbImage darker = settled(
            viewer, [&](const RgbImage& p) { return grey(p, inside) < 100; }, "a darker soft tissue");
        EXPECT_GT(grey(darker, inside), 20) << "the level moved, not to black";
        viewer.typeKeys("r");
        const RgbImage back = settled(
            viewer, [&](const RgbImage& p) { return softTissue(p, inside); }, "the start's contrast");
        EXPECT_LT(differentPixels(back, start, kChannelTolerance), kAllowedPixels);
    }
    {
        SCOPED_TRACE("m: the 3D view alone and back");
        viewer.typeKeys("m");
        const RgbImage alone = settled(
            viewer, [&](const RgbImage& p) { return differentPixels(p, start, kChannelTolerance) > 20000; },
            "the 3D view alone");
        EXPECT_GT(nonBackgroundPixels(alone), 20000);
        viewer.typeKeys("m");
        settled(
            viewer,
            [&](const RgbImage& p) { return differentPixels(p, start, kChannelTolerance) < kAllowedPixels; },
            "four panes again");
    }
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(), 0) << viewer.standardError();
}

}  // namespace
