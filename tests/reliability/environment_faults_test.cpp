// The viewer's surroundings failing: the display going away in the middle of
// the run, a display that is not there, no font for the overlay.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/viewer_session.h"
#include "tests/common/xvfb_environment.h"

namespace {

using testing_support::TempDir;
using testing_support::ViewerRun;

constexpr int kExitCannotStart = 2;
constexpr int kExitDisplayLost = 3;

TEST(EnvironmentFaults, DisplayGoingAwayMidRunEndsPromptly) {
    for (const char* executable : {"volview256", "volview"}) {
        SCOPED_TRACE(executable);
        testing_support::PrivateXServer server;
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        TempDir dir;
        testing_support::prepareRunDirectory(dir.path());
        testing_support::ViewerSession viewer({executable, dir.path(), {"DISPLAY=" + server.display()}});
        // Let it render a moment, then take the server away under it.
        ASSERT_TRUE(viewer.waitForOutput("finishing initialisation")) << viewer.standardError();
        usleep(500 * 1000);
        server.kill();
        EXPECT_EQ(viewer.waitForExit(testing_support::Seconds(60)), kExitDisplayLost)
            << viewer.standardError();
        const std::string err = viewer.standardError();
        EXPECT_EQ(err.find("runtime error:"), std::string::npos) << err;
        EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
        EXPECT_NE(err.find("Lost the connection to the window system: the X server of display \"" +
                           server.display() + "\" went away"),
                  std::string::npos)
            << err;
    }
}

TEST(EnvironmentFaults, DisplayThatIsNotThere) {
    TempDir dir;
    testing_support::prepareRunDirectory(dir.path());
    const ViewerRun run = testing_support::runViewer({"volview256", dir.path(), {"DISPLAY=:4711"}}, false,
                                                     testing_support::Seconds(30));
    EXPECT_TRUE(run.exited && run.status == kExitCannotStart) << run.describe();
    EXPECT_NE(run.err.find("no display: X11: Failed to open display \":4711\""), std::string::npos)
        << run.err;
    EXPECT_FALSE(run.openedFile("fragmentprog.txt"));
    EXPECT_FALSE(run.sanitizerReport()) << run.err;
}

// With no font at all: one box and a message, not a box for every glyph.
TEST(EnvironmentFaults, NoFontAtAllStopsWithOneMessage) {
    TempDir dir;
    testing_support::prepareRunDirectory(dir.path());
    // A fontconfig configuration with no font folder at all.
    dir.write("fonts.conf",
              "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><cachedir>" +
                  dir.file("cache") + "</cachedir></fontconfig>\n");
    const ViewerRun run =
        testing_support::runViewer({"volview256", dir.path(), {"FONTCONFIG_FILE=" + dir.file("fonts.conf")}},
                                   false, testing_support::Seconds(90));
    EXPECT_TRUE(run.exited && run.status == kExitCannotStart) << run.describe();
    EXPECT_EQ(run.boxes, std::vector<std::string>{"ERROR"}) << run.describe();
    EXPECT_NE(
        run.err.find(
            "volview: no font for the frame-rate text: Fontconfig: No installed font matches \"Arial\""),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(run.sanitizerReport()) << run.err;
}

}  // namespace
