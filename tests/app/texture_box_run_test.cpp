// Viewer mode's textures hold only the box around the samples: the head CT
// on a 256 cube, as a dataset file and as a DICOM series opened directly,
// looks as with textures of the whole cube, at the start, from above (along
// the cropped axis), zoomed and cut: within a level, but for a few pixels
// where a coordinate rounded the other way moves the surface by a slice.
// The isosurface drawn four slices a fragment finds the same surface as
// drawn a slice a fragment, and lights it the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/common/run_command.h"
#include "tests/common/viewer_session.h"

using namespace testing_support;

namespace {

const char kCranium[] = "/usr/share/doc/invesalius-examples/examples/Cranium.inv3";
const std::vector<std::string> kKeys = {"", "F6", "plus", "c"};

// The settled picture after each key in turn ("": the start, once the
// bar of the load has given way to the head on the clear grey).
std::vector<RgbImage> poses(const std::vector<std::string>& arguments, const std::string& environment,
                            const std::vector<std::string>& keys = kKeys) {
    ViewerLaunch launch("volview");
    launch.arguments = arguments;
    launch.environment = {environment};
    ViewerSession viewer(launch);
    EXPECT_NE(viewer.waitForWindow(Seconds(60)), 0u) << viewer.standardError();
    std::vector<RgbImage> pictures;
    for (const std::string& key : keys) {
        if (!key.empty()) viewer.typeKeys(key);
        bool accepted = false;
        pictures.push_back(viewer.waitForSettledPicture(
            [&](const RgbImage& p) {
                if (!key.empty()) return differentPixels(p, pictures.back(), kChannelTolerance) > 2000;
                return std::abs(p.pixels.back() - 128) <= 2 && nonBackgroundPixels(p) > 20000;
            },
            accepted, Seconds(60)));
        EXPECT_TRUE(accepted) << "key '" << key << "'";
    }
    EXPECT_TRUE(viewer.requestClose() && viewer.waitForExit(Seconds(30)) == 0) << viewer.standardError();
    return pictures;
}

void expectSamePictures(const std::string& what, const std::vector<std::string>& arguments) {
    const std::vector<RgbImage> boxed = poses(arguments, "VOLVIEW_WHOLE_CUBE_TEXTURES");
    const std::vector<RgbImage> whole = poses(arguments, "VOLVIEW_WHOLE_CUBE_TEXTURES=1");
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const int beyondALevel = differentPixels(boxed[i], whole[i], 1);
        EXPECT_TRUE(beyondALevel >= 0 && beyondALevel <= 20)
            << what << ": " << beyondALevel << " pixels differ by more than a level after '" << kKeys[i]
            << "': " << keepForInspection(boxed[i], "box") << " against "
            << keepForInspection(whole[i], "cube");
    }
}

TEST(TextureBoxRun, TheHeadLooksAsWithTexturesOfTheWholeCube) {
    if (!std::filesystem::exists(kCranium)) GTEST_SKIP() << kCranium << " is not installed";
    TempDir data;
    const std::string dataset = data.path() + "/head.dat";
    const CommandResult import =
        runCommand(std::string(VOLIMPORT) + " --inv3 " + kCranium + " --fit 256 -o " + dataset);
    ASSERT_EQ(import.status, 0) << import.output;
    expectSamePictures("the dataset file", {"--grid", "256", dataset});
    // The isosurface alone ("2": no transparency), at the start and from
    // above, zoomed.
    const std::vector<std::string> keys = {"", "2", "F6", "plus"};
    const std::vector<RgbImage> grouped = poses({"--grid", "256", dataset}, "VOLVIEW_SINGLE_SLICES", keys);
    const std::vector<RgbImage> single = poses({"--grid", "256", dataset}, "VOLVIEW_SINGLE_SLICES=1", keys);
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const int beyondALevel = differentPixels(grouped[i], single[i], 1);
        EXPECT_TRUE(beyondALevel >= 0 && beyondALevel <= 20)
            << beyondALevel << " pixels differ by more than a level after '" << keys[i]
            << "': " << keepForInspection(grouped[i], "grouped") << " against "
            << keepForInspection(single[i], "single");
    }
#ifdef DICOM_SCRIPT
    const CommandResult written =
        runCommand(PYTHON " " DICOM_SCRIPT " " + std::string(kCranium) + " " + data.path() + "/dicom");
    ASSERT_EQ(written.status, 0) << written.output;
    expectSamePictures("the DICOM series", {"--grid", "256", data.path() + "/dicom"});
#endif
}

}  // namespace
