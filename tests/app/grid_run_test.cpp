// volview --grid: the default CT imported at 256 and shown on a 256 cube
// (both passes, then the isosurface alone, then the transparent pass
// alone), and a cube too large to hold
// refused before the window opens.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/grid_plan.h"
#include "platform/runtime.h"
#include "tests/common/run_command.h"
#include "tests/common/viewer_session.h"

using namespace testing_support;

namespace {

const char kCranium[] = "/usr/share/doc/invesalius-examples/examples/Cranium.inv3";

bool matchesReference(ViewerSession& viewer, const std::string& name) {
    bool matched = false;
    const RgbImage shown = viewer.waitForReference(name, matched, Seconds(60));
    if (!matched)
        ADD_FAILURE() << "the window does not show " << name << "; " << keepForInspection(shown, name);
    return matched;
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
std::string fileText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
#endif

// Where the host gives huge pages on request, a large grid's viewer has
// started itself again, under its own name, with them asked for.
void expectHugePages(pid_t pid) {
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
    if (std::getenv("VOLVIEW_LAUNCHER") != nullptr) return;  // the pid is the launcher's
    if (fileText("/sys/kernel/mm/transparent_hugepage/enabled").find("[madvise]") == std::string::npos)
        return;
    const std::string proc = "/proc/" + std::to_string(pid);
    EXPECT_EQ(fileText(proc + "/comm"), "volview\n");
    const std::string memory = fileText(proc + "/smaps_rollup");
    const std::size_t line = memory.find("AnonHugePages:");
    ASSERT_NE(line, std::string::npos) << memory;
    EXPECT_GT(std::atol(memory.c_str() + line + 14), 0) << memory;
#else
    (void)pid;
#endif
}

TEST(GridRun, ACube256ShowsTheScanInFullDetail) {
    if (!std::filesystem::exists(kCranium)) GTEST_SKIP() << kCranium << " is not installed";
    TempDir data;
    const std::string dataset = data.path() + "/head256.dat";
    const CommandResult import =
        runCommand(std::string(VOLIMPORT) + " --inv3 " + kCranium + " --fit 256 -o " + dataset);
    ASSERT_EQ(import.status, 0) << import.output;

    ViewerLaunch launch("volview");
    launch.arguments = {"--grid", "256", dataset};
    ViewerSession viewer(launch);
    ASSERT_NE(viewer.waitForWindow(Seconds(60)), 0u) << viewer.standardError();
    ASSERT_TRUE(viewer.waitForOutput("finishing initialisation\n", Seconds(60))) << viewer.standardError();
    expectHugePages(viewer.pid());
    viewer.moveMouse(0, 90);
    matchesReference(viewer, "grid256-both");
    viewer.typeKeys("2");
    // A frame takes seconds here: wait for the transparent pass to go.
    RgbImage both;
    ASSERT_TRUE(readPng(referencePath("grid256-both"), both));
    bool changed = false;
    viewer.waitForPicture(
        [&](const RgbImage& p) { return differentPixels(p, both, kChannelTolerance) > 5000; }, changed,
        Seconds(60));
    EXPECT_TRUE(changed) << "'2' did not switch the transparent pass off";
    matchesReference(viewer, "grid256-isosurface");
    // The transparent pass alone is drawn nearest slice first, leaving out
    // what lies behind pixels already opaque: the picture stays the one the
    // slices give blended back to front.
    viewer.typeKeys("1 2");
    matchesReference(viewer, "grid256-transparent");
    EXPECT_TRUE(viewer.requestClose());
    EXPECT_EQ(viewer.waitForExit(Seconds(30)), 0) << viewer.standardError();
    EXPECT_NE(viewer.standardOutput().find("calculating gradients " + std::string(256, '.') + "\n"),
              std::string::npos);
}

TEST(GridRun, ACubeTooLargeIsRefusedNamingTheLargestThatFits) {
    ViewerLaunch launch("volview");
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer reserves terabytes of address space, so no cap can be set.
    const std::size_t available = platform::availableMemoryBytes();
    if (available == 0 || available >= app::bytesForEdge(1024)) GTEST_SKIP() << "memory enough for 1024";
#else
    // The address space capped well below what edge 1024 takes, so the
    // refusal comes whatever memory this machine has free.
    launch.addressSpaceMiB = 3072;
    ASSERT_LT(std::size_t{3072} << 20, app::bytesForEdge(1024));
#endif
    launch.arguments = {"--grid", "1024"};
    const ViewerRun run = runViewer(launch);
    EXPECT_TRUE(run.exited && run.status == 2) << run.describe();
    EXPECT_EQ(run.boxes, std::vector<std::string>{"ERROR"}) << run.describe();
    EXPECT_NE(run.err.find("--grid 1024 does not fit"), std::string::npos) << run.describe();
    EXPECT_NE(run.err.find("the largest edge that fits is"), std::string::npos) << run.describe();
    EXPECT_EQ(run.out.find("loading data"), std::string::npos) << run.describe();
}

}  // namespace
