// Scans opened directly by the viewer: a DICOM series (named by one of its
// files) and a gzip-compressed NIfTI file show what the same scan shows once
// volimport has made it a dataset file; a scan the importer refuses ends the
// viewer before its window, with the importer's message and status 2.
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
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(Seconds(20)), 0) << viewer.standardError();
    output = viewer.standardOutput();
    return shown;
}

TEST(DirectOpen, ShowsTheScanAsItsImportedDatasetFileDoes) {
    TempDir dir;
    const CommandResult written = runCommand(std::string(PYTHON " " PHANTOM_SCRIPT " ") + dir.path());
    ASSERT_EQ(written.status, 0) << written.output;
    const struct {
        const char* importerInput;
        std::string openedPath;
    } cases[] = {{"--dicom series", dir.path() + "/series/slice07"},
                 {"--nifti head.nii.gz", dir.path() + "/head.nii.gz"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.importerInput);
        const CommandResult imported =
            runCommand("cd " + dir.path() + " && " VOLIMPORT " " + c.importerInput + " -o scan.dat --force");
        ASSERT_EQ(imported.status, 0) << imported.output;
        std::string fileOutput, directOutput;
        const RgbImage fromFile = faceOn({"--grid", "128", dir.path() + "/scan.dat"}, fileOutput);
        const RgbImage direct = faceOn({c.openedPath}, directOutput);
        EXPECT_LE(differentPixels(direct, fromFile, kChannelTolerance), kAllowedPixels)
            << keepForInspection(direct, "direct") << " against " << keepForInspection(fromFile, "imported");
        // The importer's report, the same as volimport's, comes before the viewer's own lines.
        const std::size_t said = imported.output.find("output: ");
        const std::string outputLine = imported.output.substr(said, imported.output.find('\n', said) - said);
        EXPECT_NE(outputLine.find("enlarged"), std::string::npos) << outputLine;
        EXPECT_LT(directOutput.find(outputLine), directOutput.find("loading model\n")) << directOutput;
    }
}

TEST(DirectOpen, ARefusedScanEndsTheViewerBeforeItsWindowWithStatusTwo) {
    TempDir dir;
    ViewerLaunch launch("volview");
    launch.arguments = {dir.path()};  // a folder without DICOM images
    const ViewerRun run = runViewer(launch);
    EXPECT_TRUE(run.exited && run.status == 2) << run.describe();
    EXPECT_EQ(run.boxes, std::vector<std::string>{"volview"}) << run.describe();
    EXPECT_EQ(run.err.rfind("volview: " + dir.path() + ": holds no DICOM image", 0), 0u) << run.describe();
    EXPECT_EQ(run.out, "");
}

}  // namespace
