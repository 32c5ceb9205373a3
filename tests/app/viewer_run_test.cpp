// The real viewer executables under a display, driven by real input events:
// what they print, what their window shows for each combination of passes,
// keys, mouse movement and presses, and how a run ends.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/common/viewer_session.h"

using namespace testing_support;

namespace {

const std::string kProgress =
    "loading model\nloading data\nresampling data\ncalculating gradients " + std::string(128, '.') +
    "\nloading density texture\nloading gradient texture\nfinishing initialisation\n";

// The pose that shows the face: one pixel of cursor movement is one degree.
constexpr int kFaceX = 0;
constexpr int kFaceY = 90;

// Waits for the reference picture; on a mismatch keeps what was shown.
#define EXPECT_SHOWS(session, name)                                                   \
    do {                                                                              \
        bool matched_ = false;                                                        \
        const RgbImage shown_ = (session).waitForReference(name, matched_);           \
        EXPECT_TRUE(matched_) << "the window does not show " << name << "; it shows " \
                              << keepForInspection(shown_, name);                     \
    } while (0)

// The close box ends the run promptly with status 0: two frames (WM_CLOSE,
// then WM_QUIT), which take a few seconds at 512 x 512 on a busy machine.
void closesWithStatusZero(ViewerSession& viewer) {
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
}

// volview: the three pass combinations at the face-on pose, both passes off,
// the digits of the main keyboard, a turn of the head, and the close box.
TEST(VolviewRun, PassesFollowTheDigitKeysAndTheMouseTurnsTheHead) {
    ViewerSession viewer(ViewerLaunch("volview"));
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(kFaceX, kFaceY);
    EXPECT_SHOWS(viewer, "both");

    viewer.typeKeys("2");
    EXPECT_SHOWS(viewer, "isosurface");
    viewer.typeKeys("2 1");
    EXPECT_SHOWS(viewer, "transparent");

    viewer.typeKeys("2");
    {
        SCOPED_TRACE("both passes off: the clear grey and the frame-rate text only");
        bool grey = false;
        const RgbImage shown =
            viewer.waitForPicture([](const RgbImage& p) { return nonBackgroundPixels(p) == 0; }, grey);
        EXPECT_TRUE(grey) << nonBackgroundPixels(shown) << " pixels are not grey; "
                          << keepForInspection(shown, "passes-off");
    }

    viewer.typeKeys("1 2");
    EXPECT_SHOWS(viewer, "both");
    viewer.moveMouse(90, kFaceY);
    {
        SCOPED_TRACE("turned by 90 degrees about the vertical");
        RgbImage faceOn;
        ASSERT_TRUE(readPng(referencePath("both"), faceOn));
        bool turned = false;
        const RgbImage shown = viewer.waitForPicture(
            [&](const RgbImage& p) { return differentPixels(p, faceOn, kChannelTolerance) > 20000; }, turned);
        EXPECT_TRUE(turned) << keepForInspection(shown, "turned");
    }

    closesWithStatusZero(viewer);
    EXPECT_EQ(viewer.standardOutput(), kProgress);
}

// A right press, after a pause long enough not to make a double click.
void pressOnce(ViewerSession& viewer, int button) {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    viewer.click(button);
}

RgbImage waitForChange(ViewerSession& viewer, const RgbImage& before, const char* what) {
    bool changed = false;
    const RgbImage after =
        viewer.waitForPicture([&](const RgbImage& p) { return differentPixels(p, before, 0) > 0; }, changed);
    EXPECT_TRUE(changed) << what << ": the picture did not change";
    return after;
}

// volview256: the same start-up and picture from its smaller buffer; the
// presses move the threshold (a double click once); the keypad digits.
TEST(Volview256Run, PressesMoveTheThresholdAndTheKeypadDigitsToggle) {
    ViewerSession viewer(ViewerLaunch("volview256"));
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(kFaceX, kFaceY);
    viewer.typeKeys("2");
    bool matched = false;
    RgbImage start = viewer.waitForReference("isosurface-256", matched);
    ASSERT_TRUE(matched) << keepForInspection(start, "isosurface-256");

    // Five right presses raise the threshold by 0.05: less of the head is dense enough.
    RgbImage raised = start;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("right press " + std::to_string(i + 1));
        pressOnce(viewer, 3);
        raised = waitForChange(viewer, raised, "right press");
    }
    EXPECT_LT(nonBackgroundPixels(raised), nonBackgroundPixels(start) - 500)
        << keepForInspection(raised, "raised-threshold");

    {
        SCOPED_TRACE("a left double click lowers it once; a right press brings it back");
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        viewer.click(1, 2, 100);
        const RgbImage lowered = waitForChange(viewer, raised, "double click");
        pressOnce(viewer, 3);
        bool same = false;
        const RgbImage back =
            viewer.waitForPicture([&](const RgbImage& p) { return matchesReference(p, raised); }, same);
        EXPECT_TRUE(same) << differentPixels(back, raised, kChannelTolerance) << " pixels differ; "
                          << keepForInspection(back, "after-double-click");
        EXPECT_GT(nonBackgroundPixels(lowered), nonBackgroundPixels(raised));
    }

    {
        SCOPED_TRACE("keypad digits with Num Lock on");
        viewer.typeKeys("Num_Lock KP_1");
        bool grey = false;
        viewer.waitForPicture([](const RgbImage& p) { return nonBackgroundPixels(p) == 0; }, grey);
        EXPECT_TRUE(grey) << "keypad 1 did not switch the isosurface off";
        viewer.typeKeys("KP_1");
        bool back = false;
        viewer.waitForPicture([&](const RgbImage& p) { return matchesReference(p, raised); }, back);
        EXPECT_TRUE(back) << "keypad 1 did not switch the isosurface on again";
        viewer.typeKeys("KP_3");
        // Wobble animates: two pictures a frame apart differ.
        const RgbImage first = waitForChange(viewer, raised, "keypad 3");
        waitForChange(viewer, first, "wobble");
        viewer.typeKeys("Num_Lock");
    }

    closesWithStatusZero(viewer);
    EXPECT_EQ(viewer.standardOutput(), kProgress);
}

// A dataset named on the command line, from a folder holding neither the
// dataset nor the program texts: the texts come from the executable's folder.
TEST(VolviewRun, OpensADatasetPathFromAnotherFolder) {
    TempDir elsewhere, data;
    std::filesystem::copy_file(runDirectory() + "/skewed_head.dat", data.path() + "/knee.dat");
    ViewerLaunch launch("volview", elsewhere.path());
    launch.arguments = {data.path() + "/knee.dat"};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(kFaceX, kFaceY);
    EXPECT_SHOWS(viewer, "both");
    closesWithStatusZero(viewer);

    launch.arguments = {data.path() + "/missing.dat"};
    const ViewerRun missing = runViewer(launch);
    EXPECT_TRUE(missing.exited && missing.status != 0) << missing.describe();
    EXPECT_EQ(missing.boxes, std::vector<std::string>{"ERROR"}) << missing.describe();
    EXPECT_NE(missing.err.find("missing.dat"), std::string::npos) << missing.describe();
}

}  // namespace
