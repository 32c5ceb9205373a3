// Viewer mode's textures hold only the box around the samples: the head CT
// on a 256 cube, as a dataset file and as a DICOM series opened directly,
// looks the same as with textures of the whole cube, at the start, face-on
// from behind, zoomed and cut: within a level, but for a few pixels where
// a coordinate rounded the other way moves the surface by a slice.
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

// The window's bottom right pixel has the clear grey: the head is drawn,
// not the bar of the load.
bool drawnOver(const RgbImage& p) {
    const unsigned char* c = &p.pixels[p.pixels.size() - 3];
    return std::abs(c[0] - 128) <= 2 && std::abs(c[1] - 128) <= 2 && std::abs(c[2] - 128) <= 2;
}

// The settled pictures of a run: the start, then after each key in turn.
std::vector<RgbImage> poses(const std::vector<std::string>& arguments, bool wholeCube,
                            const std::vector<std::string>& keys) {
    ViewerLaunch launch("volview");
    launch.arguments = arguments;
    launch.environment = {wholeCube ? "VOLVIEW_WHOLE_CUBE_TEXTURES=1" : "VOLVIEW_WHOLE_CUBE_TEXTURES"};
    ViewerSession viewer(launch);
    std::vector<RgbImage> pictures;
    if (viewer.waitForWindow(Seconds(60)) == 0 ||
        !viewer.waitForOutput("finishing initialisation\n", Seconds(60))) {
        ADD_FAILURE() << "no start: " << viewer.standardError();
        return pictures;
    }
    bool accepted = false;
    pictures.push_back(viewer.waitForSettledPicture(
        [](const RgbImage& p) { return drawnOver(p) && nonBackgroundPixels(p) > 20000; }, accepted,
        Seconds(60)));
    EXPECT_TRUE(accepted) << "the start";
    for (const std::string& key : keys) {
        viewer.typeKeys(key);
        const RgbImage& before = pictures.back();
        pictures.push_back(viewer.waitForSettledPicture(
            [&](const RgbImage& p) { return differentPixels(p, before, kChannelTolerance) > 2000; }, accepted,
            Seconds(60)));
        EXPECT_TRUE(accepted) << "after " << key;
    }
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(Seconds(30)), 0) << viewer.standardError();
    return pictures;
}

void expectSamePictures(const std::vector<std::string>& arguments) {
    const std::vector<std::string> keys = {"F3", "plus", "c"};
    const std::vector<RgbImage> boxed = poses(arguments, false, keys);
    const std::vector<RgbImage> whole = poses(arguments, true, keys);
    ASSERT_EQ(boxed.size(), keys.size() + 1);
    ASSERT_EQ(whole.size(), keys.size() + 1);
    for (std::size_t i = 0; i < boxed.size(); ++i) {
        const std::string pose = i == 0 ? "start" : "after " + keys[i - 1];
        const int beyondALevel = differentPixels(boxed[i], whole[i], 1);
        const int beyondRounding = differentPixels(boxed[i], whole[i], 16);
        EXPECT_TRUE(beyondALevel >= 0 && beyondALevel <= 20 && beyondRounding == 0)
            << beyondALevel << " pixels differ by more than a level, " << beyondRounding
            << " by more than 16; " << pose << ": " << keepForInspection(boxed[i], "box-" + std::to_string(i))
            << " against " << keepForInspection(whole[i], "cube-" + std::to_string(i));
    }
}

TEST(TextureBoxRun, TheHeadLooksAsWithTexturesOfTheWholeCube) {
    if (!std::filesystem::exists(kCranium)) GTEST_SKIP() << kCranium << " is not installed";
    TempDir data;
    const std::string dataset = data.path() + "/head.dat";
    const CommandResult import =
        runCommand(std::string(VOLIMPORT) + " --inv3 " + kCranium + " --fit 256 -o " + dataset);
    ASSERT_EQ(import.status, 0) << import.output;
    {
        SCOPED_TRACE("the dataset file");
        expectSamePictures({"--grid", "256", dataset});
    }
#ifdef DICOM_SCRIPT
    const std::string series = data.path() + "/series";
    const CommandResult written =
        runCommand(std::string(PYTHON " " DICOM_SCRIPT " ") + kCranium + " " + series);
    ASSERT_EQ(written.status, 0) << written.output;
    {
        SCOPED_TRACE("the DICOM series");
        expectSamePictures({"--grid", "256", series});
    }
#endif
}

}  // namespace
