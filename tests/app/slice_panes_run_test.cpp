// The slice panes end to end: a phantom whose ellipsoid has three different
// semi-axes and a bright marker beyond its left, front and top is shown in
// four panes; each pane must show the ellipse of its two axes with the
// markers where the radiological convention puts them, a click must move
// the crosshair (and the other panes), the wheel must step a slice, a
// right drag must change the contrast and `r` restore it, and the printed
// crosshair line must give the marker's place, in the scan's patient
// coordinates where it records them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/run_command.h"
#include "tests/common/viewer_session.h"
#include "volume/dataset_file.h"

using namespace testing_support;

namespace {

constexpr int kEdge = 100, kCentre = 50;    // samples a side, 1 mm apart; the ellipsoid's centre
constexpr int kSemiAxes[3] = {40, 24, 32};  // x (left), y (front), z (head)
constexpr int kPane = 280;                  // of a 560 x 560 window
constexpr double kImage = kPane - 8;        // the pane less its margins
constexpr double kPixelsPerMm = kImage / kEdge;
// Marker centres: beyond the ellipsoid on the patient's left, front and top.
constexpr int kLeftMarker[3] = {kCentre + kSemiAxes[0] + 4, kCentre, kCentre};
constexpr int kFrontMarker[3] = {kCentre, kCentre + kSemiAxes[1] + 6, kCentre};
constexpr int kTopMarker[3] = {kCentre, kCentre, kCentre + kSemiAxes[2] + 6};

// Soft tissue (40 HU, mid grey in the start window) and markers of 1000 HU (white).
std::string writePhantom(const TempDir& dir) {
    std::vector<uint16_t> samples;
    for (int k = 0; k < kEdge; ++k)
        for (int j = 0; j < kEdge; ++j)
            for (int i = 0; i < kEdge; ++i) {
                const int at[3] = {i, j, k};
                const auto inMarker = [&](const int* centre) {
                    return std::abs(i - centre[0]) <= 2 && std::abs(j - centre[1]) <= 2 &&
                           std::abs(k - centre[2]) <= 2;
                };
                double r = 0;
                for (int a = 0; a < 3; ++a) r += std::pow((at[a] - kCentre) / double(kSemiAxes[a]), 2);
                const bool marker = inMarker(kLeftMarker) || inMarker(kFrontMarker) || inMarker(kTopMarker);
                samples.push_back(marker ? 1024 + 1000 : r <= 1.0 ? 1024 + 40 : 0);
            }
    const int dims[3] = {kEdge, kEdge, kEdge};
    std::string error;
    EXPECT_TRUE(volume::writeDataset(dir.file("phantom.dat"), dims, samples, false, error)) << error;
    return "phantom.dat";
}

struct Pixel {
    int x, y;
};
// The pixel of sample (across, up) of pane `pane`'s image (0 axial, 1 coronal, 2 sagittal).
Pixel panePixel(int pane, int across, int up) {
    const int left = pane == 1 ? kPane : 0, top = pane == 2 ? kPane : 0;
    return {left + 4 + static_cast<int>((across + 0.5) * kPixelsPerMm),
            top + 4 + static_cast<int>(kImage - (up + 0.5) * kPixelsPerMm)};
}
// Voxel (i, j, k): axial from the feet and coronal from the front with the
// patient's right on the left, sagittal with the face on the left.
Pixel pixelOf(int pane, const int voxel[3]) {
    const int across[3] = {voxel[0], voxel[0], kEdge - 1 - voxel[1]};
    const int up[3] = {voxel[1], voxel[2], voxel[2]};
    return panePixel(pane, across[pane], up[pane]);
}

// Every channel of the pixel within `tolerance` of `level`.
bool shows(const RgbImage& p, Pixel pixel, int level, int tolerance) {
    const unsigned char* c = &p.pixels[3 * (static_cast<std::size_t>(pixel.y) * p.width + pixel.x)];
    return std::abs(c[0] - level) <= tolerance && std::abs(c[1] - level) <= tolerance &&
           std::abs(c[2] - level) <= tolerance;
}
bool white(const RgbImage& p, Pixel pixel) { return shows(p, pixel, 255, 55); }
bool black(const RgbImage& p, Pixel pixel) { return shows(p, pixel, 0, 40); }
bool softTissue(const RgbImage& p, Pixel pixel) { return shows(p, pixel, 128, 30); }

// Pixels of soft tissue from `from` in steps of (dx, dy) until it ends.
int tissueRun(const RgbImage& p, Pixel from, int dx, int dy) {
    int steps = 0;
    for (; from.x >= 0 && from.x < p.width && from.y >= 0 && from.y < p.height && softTissue(p, from);
         ++steps) {
        from.x += dx;
        from.y += dy;
    }
    return steps;
}

// The ellipse's half widths across and up pane `pane`, in mm, measured
// outwards from samples two beside the crosshair's lines.
void halfWidths(const RgbImage& p, int pane, double& across, double& up) {
    const int c = kCentre;
    const Pixel corner = panePixel(pane, c + 2, c + 2), left = panePixel(pane, c - 2, c + 2),
                bottom = panePixel(pane, c + 2, c - 2);
    across = (corner.x + tissueRun(p, corner, 1, 0) - left.x + tissueRun(p, left, -1, 0)) / kPixelsPerMm / 2;
    up = (bottom.y + tissueRun(p, bottom, 0, 1) - corner.y + tissueRun(p, corner, 0, -1)) / kPixelsPerMm / 2;
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
    bool accepted = false;
    const RgbImage shown = viewer.waitForSettledPicture(accept, accepted, Seconds(60));
    EXPECT_TRUE(accepted) << what << "; shown: " << keepForInspection(shown, "slice-panes");
    return shown;
}

TEST(SlicePanesRun, PanesShowTheConventionsAndFollowTheCrosshairWheelAndWindow) {
    TempDir dir;
    // A name in the working folder, which the Windows build under Wine reads as well.
    ViewerLaunch launch("volview256", dir.path());
    launch.arguments = {"--layout", "four", "--size", "560,560", writePhantom(dir)};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    const int besideMiddle[3] = {kCentre + 2, kCentre + 2, kCentre};
    const Pixel inside = pixelOf(0, besideMiddle);
    const RgbImage start = settled(
        viewer, [&](const RgbImage& p) { return softTissue(p, inside); }, "the four panes");
    const auto startAgain = [&](const char* what) {
        settled(
            viewer,
            [&](const RgbImage& p) { return differentPixels(p, start, kChannelTolerance) < kAllowedPixels; },
            what);
    };
    const int axes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (int pane = 0; pane < 3; ++pane) {
        SCOPED_TRACE("pane " + std::to_string(pane) + " shows the ellipse of its two axes, in mm");
        double across = 0, up = 0;
        halfWidths(start, pane, across, up);
        EXPECT_NEAR(across, kSemiAxes[axes[pane][0]], 2.0);
        EXPECT_NEAR(up, kSemiAxes[axes[pane][1]], 2.0);
    }
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
        // One voxel off the marker's centre, clear of the crosshair's lines; and the mirror image.
        const int near[3] = {row.marker[0] + 1, row.marker[1] + 1, row.marker[2] + 1};
        const int mirrored[3] = {2 * kCentre - near[0], 2 * kCentre - near[1], 2 * kCentre - near[2]};
        EXPECT_TRUE(white(start, pixelOf(row.pane, near)));
        EXPECT_TRUE(black(start, pixelOf(row.pane, mirrored)));
    }
    EXPECT_GT(tissuePixels(start, 2), 15000) << "the sagittal ellipse of 24 x 32 mm";
    int voxel[3] = {}, value = 0;
    {
        SCOPED_TRACE("a click on the left marker in the axial pane moves the crosshair there");
        const Pixel marker = pixelOf(0, kLeftMarker);
        viewer.moveMouse(marker.x, marker.y);
        viewer.click(1);
        ASSERT_TRUE(viewer.waitForOutput("crosshair: ")) << viewer.standardOutput();
        const std::string out = viewer.standardOutput();
        double mm[3] = {};
        ASSERT_EQ(std::sscanf(out.c_str() + out.rfind("crosshair: "),
                              "crosshair: %lf %lf %lf mm, voxel %d %d %d, value %d", &mm[0], &mm[1], &mm[2],
                              &voxel[0], &voxel[1], &voxel[2], &value),
                  7)
            << out;
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
        EXPECT_GT(differentPixels(moved.crop(kPane, kPane, kPane, kPane),
                                  start.crop(kPane, kPane, kPane, kPane), kChannelTolerance),
                  20)
            << "the 3D view's mark moves";
    }
    SCOPED_TRACE("the wheel over the coronal pane steps its slice, one sample a notch");
    viewer.moveMouse(kPane + 40, 40);
    viewer.click(4, 3, 100);
    ASSERT_TRUE(
        viewer.waitForOutput("voxel " + std::to_string(voxel[0]) + " " + std::to_string(voxel[1] + 3) + " "))
        << viewer.standardOutput();
    SCOPED_TRACE("r brings the start back; a right drag up raises the level (darker), r restores it");
    viewer.typeKeys("r");
    startAgain("back at the start");
    viewer.drag(3, 60, 240, 60, 190);
    settled(
        viewer, [&](const RgbImage& p) { return shows(p, inside, 60, 40); }, "a darker soft tissue");
    viewer.typeKeys("r");
    startAgain("the start's contrast");
    SCOPED_TRACE("m: the 3D view alone and back");
    viewer.typeKeys("m");
    settled(
        viewer, [&](const RgbImage& p) { return differentPixels(p, start, kChannelTolerance) > 20000; },
        "the 3D view alone");
    viewer.typeKeys("m");
    startAgain("four panes again");
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(), 0) << viewer.standardError();
}

#ifdef PHANTOM_SCRIPT
// The phantom head, 32 samples of 2 mm a side, its first DICOM sample at
// (-31, -25, -40) in DICOM patient coordinates; its rows run to the back, so
// the kept sample (i, j, k), whose j runs to the front, lies at
// (-31 + 2i, -25 + 2 (31 - j), -40 + 2k): the same in the DICOM and NIfTI files.
TEST(SlicePanesRun, TheCrosshairLineGivesThePlaceInThePatient) {
    TempDir dir;
    const CommandResult written = runCommand(std::string(PYTHON " " PHANTOM_SCRIPT " ") + dir.path());
    ASSERT_EQ(written.status, 0) << written.output;
    for (const char* scan : {"series", "head.nii.gz"}) {  // names the Windows build reads too
        SCOPED_TRACE(scan);
        ViewerLaunch launch("volview256", dir.path());
        launch.arguments = {"--layout", "four", "--size", "560,560", scan};
        ViewerSession viewer(launch);
        ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
        settled(
            viewer, [](const RgbImage& p) { return nonBackgroundPixels(p) > 5000; }, "the four panes");
        viewer.moveMouse(140, 140);  // the axial pane: the wheel steps k
        viewer.click(4);
        ASSERT_TRUE(viewer.waitForOutput("crosshair: ")) << viewer.standardOutput();
        const std::string out = viewer.standardOutput();
        double mm[3] = {};
        int v[3] = {}, value = 0;
        ASSERT_EQ(std::sscanf(out.c_str() + out.rfind("crosshair: "),
                              "crosshair: %lf %lf %lf mm, voxel %d %d %d, value %d", &mm[0], &mm[1], &mm[2],
                              &v[0], &v[1], &v[2], &value),
                  7)
            << out;
        EXPECT_NEAR(mm[0], -31 + 2 * v[0], 0.05);
        EXPECT_NEAR(mm[1], -25 + 2 * (31 - v[1]), 0.05);
        EXPECT_NEAR(mm[2], -40 + 2 * v[2], 0.05);
        EXPECT_TRUE(viewer.requestClose() && viewer.waitForExit() == 0) << viewer.standardError();
    }
}
#endif

}  // namespace
