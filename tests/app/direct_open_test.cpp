// Scans opened directly show what volimport's dataset files of them show; a
// scan the importer refuses ends the viewer before its window, with status 2.
#include <gtest/gtest.h>

#include "tests/common/run_command.h"
#include "tests/common/viewer_session.h"

using namespace testing_support;

namespace {

// The picture at the face-on pose of a viewer started with `arguments`.
RgbImage faceOn(const std::vector<std::string>& arguments, std::string& output) {
    ViewerLaunch launch("volview");
    launch.arguments = arguments;
    ViewerSession viewer(launch);
    EXPECT_NE(viewer.waitForWindow(), 0u) << viewer.standardError();
    viewer.moveMouse(0, 90);
    bool drawn = false;
    const RgbImage shown =
        viewer.waitForPicture([](const RgbImage& p) { return nonBackgroundPixels(p) > 5000; }, drawn);
    EXPECT_TRUE(viewer.requestClose() && viewer.waitForExit(Seconds(20)) == 0) << viewer.standardError();
    output = viewer.standardOutput();
    return shown;
}

TEST(DirectOpen, ShowsTheScanAsItsDatasetFileDoesOrRefusesItBeforeTheWindow) {
    TempDir dir, empty;
    const std::string d = dir.path();
    const CommandResult written = runCommand(std::string(PYTHON " " PHANTOM_SCRIPT " ") + d);
    ASSERT_EQ(written.status, 0) << written.output;
    const std::string cases[][2] = {{"--dicom " + d + "/series", d + "/series/slice07"},
                                    {"--nifti " + d + "/head.nii.gz", d + "/head.nii.gz"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        const CommandResult imported = runCommand(VOLIMPORT " " + c[0] + " -o " + d + "/scan.dat --force");
        ASSERT_EQ(imported.status, 0) << imported.output;
        EXPECT_NE(imported.output.find("(enlarged"), std::string::npos) << imported.output;
        std::string fileOutput, directOutput;
        const RgbImage fromFile = faceOn({"--grid", "128", d + "/scan.dat"}, fileOutput);
        const RgbImage direct = faceOn({c[1]}, directOutput);
        EXPECT_LE(differentPixels(direct, fromFile, kChannelTolerance), kAllowedPixels)
            << keepForInspection(direct, "direct") << " against " << keepForInspection(fromFile, "imported");
        // volimport's report comes first, then the viewer's own lines.
        const std::string report = imported.output.substr(0, imported.output.find("wrote:"));
        EXPECT_EQ(directOutput.rfind(report + "loading model\n", 0), 0u) << directOutput;
    }
    ViewerLaunch launch("volview");
    launch.arguments = {empty.path()};
    const ViewerRun run = runViewer(launch);
    EXPECT_TRUE(run.exited && run.status == 2 && run.out.empty()) << run.describe();
    EXPECT_EQ(run.boxes, std::vector<std::string>{"volview"}) << run.describe();
    EXPECT_EQ(run.err.rfind("volview: " + empty.path() + ": holds no DICOM image", 0), 0u) << run.describe();
}

}  // namespace
