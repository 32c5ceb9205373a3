// The real viewer driven by the keys and the wheel beside the passes: zoom,
// cut, looks, level shift, reset, help, screenshots and quitting, and a
// small MR head in its look.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/viewer_session.h"
#include "volume/dataset_file.h"

using namespace testing_support;

namespace {

constexpr Seconds kLong(60);

bool isBackground(const RgbImage& p, int x, int y) {
    const unsigned char* c = &p.pixels[static_cast<std::size_t>(y * p.width + x) * 3];
    return std::abs(c[0] - 128) <= 2 && std::abs(c[1] - 128) <= 2 && std::abs(c[2] - 128) <= 2;
}

// The first and last pixel not the clear grey along a row (or column).
std::pair<int, int> span(const RgbImage& p, bool row, int line = 200) {
    int first = -1, last = -1;
    for (int i = 0; i < 400; ++i) {
        if (isBackground(p, row ? i : line, row ? line : i)) continue;
        if (first < 0) first = i;
        last = i;
    }
    return {first, last};
}

std::string repeated(const std::string& key, int times) {
    std::string keys = key;
    for (int i = 1; i < times; ++i) keys += " " + key;
    return keys;
}

RgbImage waitUntil(ViewerSession& viewer, const std::function<bool(const RgbImage&)>& accept,
                   const char* what) {
    bool accepted = false;
    const RgbImage shown = viewer.waitForPicture(accept, accepted, kLong);
    EXPECT_TRUE(accepted) << what << "; shown: " << keepForInspection(shown, "view-controls");
    return shown;
}

RgbImage waitForChangeFrom(ViewerSession& viewer, const RgbImage& before, const char* what) {
    return waitUntil(
        viewer, [&](const RgbImage& p) { return differentPixels(p, before, 0) > 0; }, what);
}

RgbImage waitForSame(ViewerSession& viewer, const RgbImage& start, const char* what) {
    return waitUntil(
        viewer, [&](const RgbImage& p) { return differentPixels(p, start, 0) == 0; }, what);
}

// volview256 on the default head, face on, in a folder of its own (for the
// screenshots): each input from the state the others are measured from.
TEST(ViewControlsRun, EachInputChangesThePictureAsItShould) {
    TempDir folder;
    ViewerLaunch launch("volview256", folder.path());
    launch.arguments = {runDirectory() + "/skewed_head.dat"};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(0, 90);
    viewer.typeKeys("2");
    bool matched = false;
    const RgbImage iso = viewer.waitForReference("isosurface-256", matched);
    ASSERT_TRUE(matched) << keepForInspection(iso, "isosurface-256");
    viewer.typeKeys("2");
    const RgbImage start = waitForChangeFrom(viewer, iso, "both passes");
    {
        SCOPED_TRACE("'s' and F12 save the window's picture under the next free names");
        std::ofstream(folder.path() + "/volview-0001.png") << "mine";
        viewer.typeKeys("s F12");
        ASSERT_TRUE(viewer.waitForOutput("volview-0002.png\nvolview-0003.png\n")) << viewer.standardError();
        for (const char* name : {"/volview-0002.png", "/volview-0003.png"}) {
            RgbImage saved;
            ASSERT_TRUE(readPng(folder.path() + name, saved)) << name;
            EXPECT_EQ(differentPixels(saved, start, 0), 0) << keepForInspection(saved, "screenshot");
        }
        std::ifstream kept(folder.path() + "/volview-0001.png");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "mine");
    }
    {
        SCOPED_TRACE(
            "'+' enlarges by the square root of two about the centre; the wheel undoes and redoes it");
        viewer.typeKeys("plus");
        const RgbImage zoomed = waitForChangeFrom(viewer, start, "zoom in");
        for (const bool row : {true, false}) {
            const auto before = span(start, row), after = span(zoomed, row);
            EXPECT_NEAR(after.first, std::max(0.0, 200 + (before.first - 200) * std::sqrt(2.0)), 6) << row;
            EXPECT_NEAR(after.second, std::min(399.0, 200 + (before.second - 200) * std::sqrt(2.0)), 6)
                << row;
        }
        viewer.click(5);
        waitForSame(viewer, start, "wheel towards the user: back to 1 x");
        viewer.click(4);
        waitForSame(viewer, zoomed, "wheel away: 1.4 x again");
    }
    {
        SCOPED_TRACE("the cut through the centre shows the inside; before the head nothing, behind it all");
        viewer.typeKeys("minus c");  // 1 x again, and the cut
        const RgbImage cut = waitForChangeFrom(viewer, start, "cut on");
        EXPECT_GT(differentPixels(cut, start, kChannelTolerance), 10000) << keepForInspection(cut, "cut");
        viewer.typeKeys(repeated("period", 14));
        waitUntil(
            viewer, [&](const RgbImage& p) { return matchesReference(p, start); }, "cut before the head");
        viewer.typeKeys(repeated("comma", 28));
        waitUntil(
            viewer, [](const RgbImage& p) { return nonBackgroundPixels(p) < kAllowedPixels; },
            "cut behind the head");
        viewer.typeKeys("c");
        waitForSame(viewer, start, "cut off");
    }
    {
        SCOPED_TRACE("each look differs from the others; the eighth 'l' comes back to the first");
        std::vector<RgbImage> shown{start};
        for (int i = 0; i < 7; ++i) {
            viewer.typeKeys("l");
            shown.push_back(waitForChangeFrom(viewer, shown.back(), "next look"));
            for (int j = 0; j <= i; ++j)
                EXPECT_GT(
                    differentPixels(shown.back(), shown[static_cast<std::size_t>(j)], kChannelTolerance),
                    3000)
                    << "looks " << j << " and " << i + 1;
        }
        viewer.typeKeys("L L l l l");
        waitForSame(viewer, start, "all looks round");
    }
    {
        SCOPED_TRACE("the level shift moves the look; 'r' undoes zoom, cut, look and shift at once");
        viewer.typeKeys("bracketright bracketright bracketright");
        const RgbImage shifted = waitForChangeFrom(viewer, start, "shift up");
        EXPECT_GT(differentPixels(shifted, start, kChannelTolerance), 3000)
            << keepForInspection(shifted, "shift");
        viewer.typeKeys("bracketleft");
        waitForChangeFrom(viewer, shifted, "shift down");
        viewer.typeKeys("plus c l r");  // from a shifted look: every change at once
        waitForSame(viewer, start, "'r'");
    }
    {
        SCOPED_TRACE("'h' and F1 show and hide the help list");
        viewer.typeKeys("h");
        waitForChangeFrom(viewer, start, "help on");
        viewer.typeKeys("F1");
        waitForSame(viewer, start, "help off");
    }
    viewer.typeKeys("Escape");
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
}

// A head of brain, fluid, skull and skin as an MR scan maps them (fluid and
// bone dark, brain bright): the "MR" look shows the skin as a grey veil and
// the brain lit beneath it. An unknown look is refused with the names.
TEST(ViewControlsLooks, TheMrLookShowsTheOuterSurfaceAndTheBrain) {
    TempDir folder;
    const int dims[3] = {128, 128, 128};
    const uint16_t kLayers[] = {2400, 300, 100, 1000, 0};  // brain, fluid, skull, skin, air
    std::vector<uint16_t> samples(128 * 128 * 128);
    for (int i = 0; i < 128 * 128 * 128; ++i) {
        const double r = std::hypot(i % 128 - 63.5, i / 128 % 128 - 63.5, i / 16384 - 63.5) / 2;
        const int layer = r < 14 ? 0 : std::min(4, static_cast<int>((r - 14) / 3) + 1);
        samples[static_cast<std::size_t>(i)] = kLayers[layer];
    }
    std::string error;
    ASSERT_TRUE(volume::writeDataset(folder.path() + "/head.dat", dims, samples, false, error)) << error;

    ViewerLaunch launch("volview256", folder.path());
    launch.arguments = {"--look", "Bone", "head.dat"};
    const ViewerRun refused = runViewer(launch);
    EXPECT_TRUE(refused.exited && refused.status == 2 &&
                refused.err.find("'CT', 'CT bone', 'CT skin', 'CT vessels', 'MR'") != std::string::npos)
        << refused.describe();

    launch.arguments = {"--look", "MR", "head.dat"};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(0, 90);
    RgbImage last;  // the head, shown alike in two grabs: the pose has arrived
    const RgbImage shown = waitUntil(
        viewer,
        [&](const RgbImage& p) {
            const int head = nonBackgroundPixels(p);
            const bool settled = head > 10000 && head < 100000 && differentPixels(p, last, 0) == 0;
            last = p;
            return settled;
        },
        "the head");
    const auto down = span(shown, false);
    const int y = (down.first + down.second) / 2;
    const auto across = span(shown, true, y);
    const int x = (across.first + across.second) / 2, skinX = x + (across.second - across.first) * 19 / 46;
    const unsigned char* brain = &shown.pixels[static_cast<std::size_t>(y * 400 + x) * 3];
    const unsigned char* skin = &shown.pixels[static_cast<std::size_t>(y * 400 + skinX) * 3];
    EXPECT_GT(brain[0] - brain[2], 5)
        << "the brain is lit in the surface's colour; " << keepForInspection(shown, "mr-head");
    EXPECT_LT(std::abs(skin[0] - skin[2]), 3) << "the skin is grey";
    EXPECT_FALSE(isBackground(shown, skinX, y)) << "the skin shows";
    viewer.typeKeys("q");
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
}

// A ball of soft tissue (CT values: HU + 1024) with a dense shell (700 HU)
// inside it, and within the shell, when `marker`, a small ball of 2000 HU.
void writeShellPhantom(const std::string& path, bool marker) {
    const int dims[3] = {128, 128, 128};
    std::vector<uint16_t> samples(128 * 128 * 128, 0);
    for (int i = 0; i < 128 * 128 * 128; ++i) {
        const double r = std::hypot(i % 128 - 63.5, i / 128 % 128 - 63.5, i / 16384 - 63.5);
        uint16_t& sample = samples[static_cast<std::size_t>(i)];
        if (r < 44) sample = 1064;
        if (r >= 28 && r < 34) sample = 1724;
        if (marker && r < 7) sample = 3024;
    }
    std::string error;
    ASSERT_TRUE(volume::writeDataset(path, dims, samples, false, error)) << error;
}

// Pixels neither the clear grey nor black (a projection's background).
int drawnPixels(const RgbImage& p) {
    int drawn = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* c = &p.pixels[static_cast<std::size_t>(y * p.width + x) * 3];
            drawn += !isBackground(p, x, y) && c[0] + c[1] + c[2] > 30;
        }
    return drawn;
}

// The picture of `dataset` in `look`, once two grabs in a row agree.
RgbImage settledPicture(const std::string& folder, const std::string& dataset, const char* look) {
    ViewerLaunch launch("volview256", folder);
    launch.arguments = {"--look", look, dataset};
    ViewerSession viewer(launch);
    EXPECT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    RgbImage last;
    const RgbImage shown = waitUntil(
        viewer,
        [&](const RgbImage& p) {
            const bool settled = drawnPixels(p) > 5000 && differentPixels(p, last, 0) == 0;
            last = p;
            return settled;
        },
        look);
    viewer.typeKeys("q");
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
    return shown;
}

int redAt(const RgbImage& p, int x, int y) { return p.pixels[static_cast<std::size_t>(y * p.width + x) * 3]; }

// The first and last pixel of the longest run brighter than black along a
// row (or column) `line`.
std::pair<int, int> litRun(const RgbImage& p, int line, bool row) {
    std::pair<int, int> longest{0, -1};
    int first = -1;
    const int length = row ? p.width : p.height;
    for (int i = 0; i <= length; ++i) {
        const bool lit = i < length && redAt(p, row ? i : line, row ? line : i) > 20;
        if (lit && first < 0) first = i;
        if (lit || first < 0) continue;
        if (i - 1 - first > longest.second - longest.first) longest = {first, i - 1};
        first = -1;
    }
    return longest;
}

// The marker hides behind the shell's isosurface and shows through it in the
// maximum projection; the minimum projection keeps the faintest sample of a
// slab through the middle: the marker there, the air around the ball.
TEST(ViewControlsLooks, AMarkerInsideADenseShellShowsOnlyInTheProjections) {
    TempDir folder;
    writeShellPhantom(folder.path() + "/marked.dat", true);
    writeShellPhantom(folder.path() + "/plain.dat", false);

    const RgbImage marked = settledPicture(folder.path(), "marked.dat", "CT bone");
    const RgbImage plain = settledPicture(folder.path(), "plain.dat", "CT bone");
    EXPECT_GT(nonBackgroundPixels(plain), 5000) << "the shell shows";
    EXPECT_LT(differentPixels(marked, plain, 8), 20)
        << "the marker is hidden: " << keepForInspection(marked, "shell-marked-bone");

    const RgbImage markedMip = settledPicture(folder.path(), "marked.dat", "CT MIP");
    const RgbImage plainMip = settledPicture(folder.path(), "plain.dat", "CT MIP");
    // The ball (its soft tissue a dim grey) from the longest lit runs through
    // the middle column and then through the ball's middle row.
    const auto down = litRun(plainMip, plainMip.width / 2, false);
    const int cy = (down.first + down.second) / 2;
    const auto across = litRun(plainMip, cy, true);
    const int cx = (across.first + across.second) / 2, radius = (across.second - across.first) / 2;
    ASSERT_GT(radius, 40) << "the soft tissue shows: " << keepForInspection(plainMip, "mip-plain");
    EXPECT_GT(redAt(markedMip, cx, cy), 230)
        << "the marker is white: " << keepForInspection(markedMip, "mip");
    EXPECT_GT(redAt(plainMip, cx, cy), 100) << "the shell is grey";
    EXPECT_LT(redAt(plainMip, cx, cy), 190) << "the shell is darker than the marker";
    EXPECT_LT(redAt(plainMip, cx + radius * 5 / 4, cy), 10) << "black around the ball";

    const RgbImage minimum = settledPicture(folder.path(), "marked.dat", "CT MinIP");
    EXPECT_GT(redAt(minimum, cx, cy), 230)
        << "the slab meets the marker: " << keepForInspection(minimum, "minip");
    EXPECT_GT(redAt(minimum, cx + radius / 2, cy), 200) << "soft tissue is light";
    EXPECT_LT(redAt(minimum, cx + radius * 9 / 8, cy), 40) << "the air around the ball is dark";
}

}  // namespace
