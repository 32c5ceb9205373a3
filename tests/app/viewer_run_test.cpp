// The real viewer executables under a display, driven by real input events:
// what they print, what their window shows for each combination of passes,
// keys, mouse movement and presses, and how a run ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>
#include <string>

#include "tests/common/viewer_session.h"

using namespace testing_support;

namespace {

const std::string kProgress = "loading model\n"
                              "loading data\n"
                              "resampling data\n"
                              "calculating gradients " +
                              std::string(128, '.') +
                              "\n"
                              "loading density texture\n"
                              "loading gradient texture\n"
                              "finishing initialisation\n";

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
    const RgbImage after = viewer.waitForPicture(
        [&](const RgbImage& p) { return differentPixels(p, before, 0) > 0; }, changed);
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
        const RgbImage back = viewer.waitForPicture(
            [&](const RgbImage& p) { return matchesReference(p, raised); }, same);
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

// Start-up failures: one box that says what is wrong, dismissed with Enter,
// and a non-zero status. Each case runs in a linked copy of the run directory.
TEST(ViewerStartFailure, OneBoxNamesTheProblemAndTheRunEndsWithItsStatus) {
    struct Case {
        const char* what;
        std::function<void(RunDirectoryCopy&)> edit;
        int status;
        std::string boxTitle;      // exact; empty: the driver's message, checked below
        std::string mentions;      // stderr names this
        std::string mustNotMention;
    };
    const std::string badProgram = "!!ARBfp1.0\nMOV result.color, nothing;\nEND\n";
    const Case cases[] = {
        {"a program text the driver rejects, later texts missing",
         [&](RunDirectoryCopy& dir) {
             dir.replace("transp.txt", badProgram);
             dir.remove("transp_wobble.txt");
             dir.remove("vertexprog.txt");
         },
         1, "", ": Error.", "transp_wobble.txt"},
        {"a missing program text",
         [](RunDirectoryCopy& dir) { dir.remove("fragmentprog1.txt"); }, 1, "", "fragmentprog1.txt",
         "transp.txt"},
        {"no dataset", [](RunDirectoryCopy& dir) { dir.remove("skewed_head.dat"); }, 2, "ERROR",
         "skewed_head.dat", ""},
        {"a truncated dataset",
         [](RunDirectoryCopy& dir) { dir.replace("skewed_head.dat", std::string("\x10\x00\x10\x00\x10\x00\x01", 7)); },
         2, "ERROR", "skewed_head.dat", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunDirectoryCopy dir;
        c.edit(dir);
        ViewerSession viewer(ViewerLaunch{"volview", dir.path()});
        const TopWindow box = viewer.waitForMessageBox();
        ASSERT_NE(box.id, 0u) << "no message box; stderr: " << viewer.standardError();
        if (!c.boxTitle.empty()) {
            EXPECT_EQ(box.title, c.boxTitle);
        }
        EXPECT_TRUE(viewer.dismiss(box));
        EXPECT_EQ(viewer.waitForExit(), c.status) << viewer.standardError();
        const std::string err = viewer.standardError();
        EXPECT_NE(err.find(box.title + ": "), std::string::npos) << err;
        EXPECT_NE(err.find(c.mentions), std::string::npos) << err;
        if (!c.mustNotMention.empty()) {
            EXPECT_EQ(err.find(c.mustNotMention), std::string::npos) << err;
        }
        if (c.status == 1) {
            // The chain stops before the volume is built: nothing on stdout.
            EXPECT_EQ(viewer.standardOutput(), "");
            EXPECT_EQ(err.find("Error.", err.find("Error.") + 1), std::string::npos) << "more than one box";
        }
    }
}

// The driver's message names where it stopped reading; it must be the
// caption of the box, not the file reader's complaint.
TEST(ViewerStartFailure, RejectedProgramBoxCarriesTheDriversMessage) {
    RunDirectoryCopy dir;
    dir.replace("transp.txt", "!!ARBfp1.0\nMOV result.color, nothing;\nEND\n");
    dir.remove("transp_wobble.txt");
    ViewerSession viewer(ViewerLaunch{"volview", dir.path()});
    const TopWindow box = viewer.waitForMessageBox();
    ASSERT_NE(box.id, 0u) << viewer.standardError();
    EXPECT_FALSE(box.title.empty());
    EXPECT_EQ(box.title.find("transp_wobble"), std::string::npos) << box.title;
    EXPECT_EQ(box.title.find("transp.txt"), std::string::npos) << "the reader's message, not the driver's";
    EXPECT_TRUE(viewer.dismiss(box));
    EXPECT_EQ(viewer.waitForExit(), 1);
    EXPECT_NE(viewer.standardError().find(box.title + ": Error."), std::string::npos) << viewer.standardError();
}

TEST(ViewerStartFailure, NoDisplayIsReportedOnStandardError) {
    // A display number nobody serves.
    int number = 900;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    for (const char* executable : {"volview", "volview256"}) {
        SCOPED_TRACE(executable);
        ViewerSession viewer(ViewerLaunch{executable, "", {"DISPLAY=:" + std::to_string(number)}});
        EXPECT_EQ(viewer.waitForExit(Seconds(10)), 2);
        const std::string err = viewer.standardError();
        EXPECT_NE(err.find("display"), std::string::npos) << err;
        EXPECT_EQ(viewer.standardOutput(), "");
    }
}

}  // namespace
