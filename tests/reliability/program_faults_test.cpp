// Damaged program files, as the viewer meets them at start-up: each stops the
// chain at its own file with one box, status 1 and no later file opened;
// text-mode quirks that still hold a valid program are accepted.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/viewer_session.h"

namespace {

using testing_support::programFiles;
using testing_support::TempDir;
using testing_support::ViewerRun;

constexpr int kExitProgramRejected = 1;

std::string builtProgram(int position) {
    return testing_support::readBytes(testing_support::runDirectory() + "/" + programFiles()[position]);
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// What every stopped chain shares: status 1, one box, the box's text on
// standard error, nothing after the faulty file opened, no sanitizer report.
void expectChainStoppedAt(const ViewerRun& run, int position) {
    EXPECT_TRUE(run.exited && run.status == kExitProgramRejected) << run.describe();
    EXPECT_FALSE(run.timedOut);
    EXPECT_FALSE(run.sanitizerReport()) << run.err;
    ASSERT_EQ(run.boxes.size(), 1u) << run.describe();
    EXPECT_NE(run.err.find(run.boxes[0] + ": Error."), std::string::npos) << run.describe();
    for (std::size_t later = position + 1; later < programFiles().size(); ++later) {
        EXPECT_FALSE(run.openedFile(programFiles()[later])) << programFiles()[later] << "\n"
                                                            << run.describe();
    }
    EXPECT_FALSE(run.openedFile("skewed_head.dat")) << run.describe();
    EXPECT_EQ(run.out.find("loading model"), std::string::npos);
}

TEST(ProgramFaults, RejectedByTheDriverAtEachPosition) {
    const std::string garbageFragment = "!!ARBfp1.0\nMOV result.color, nothing;\nEND\n";
    struct Row {
        int position;
        const char* what;
        std::function<std::string()> text;
    };
    const Row rows[] = {
        {0, "an unknown name", [&] { return garbageFragment; }},
        {1, "an empty file", [] { return std::string(); }},
        {2, "a NUL byte before END",
         [] {
             std::string t = builtProgram(2);
             return t.insert(t.size() / 2, 1, '\0');
         }},
        {3, "a Ctrl-Z before END",
         [] {
             std::string t = withCrLf(builtProgram(3));
             return t.insert(t.size() / 2, 1, '\x1A');
         }},
        {4, "a vertex program in a fragment slot", [] { return builtProgram(6); }},
        {5, "binary bytes",
         [] {
             return std::string(
                 "\x7f"
                 "ELF\x02\x01\x01\x00\xff\xfe",
                 10);
         }},
        {6, "a fragment program in the vertex slot", [] { return builtProgram(0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(programFiles()[row.position] + ": " + row.what);
        TempDir dir;
        testing_support::prepareRunDirectory(dir.path());
        dir.write(programFiles()[row.position], row.text());
        const ViewerRun run = testing_support::runViewer({"volview256", dir.path()});
        expectChainStoppedAt(run, row.position);
        EXPECT_TRUE(run.openedFile(programFiles()[row.position])) << run.describe();
        // The caption is the driver's own message, not the reader's.
        if (!run.boxes.empty()) {
            EXPECT_NE(run.boxes[0].find(programFiles()[row.position]), 0u);
        }
    }
}

TEST(ProgramFaults, FilesTheReaderCannotTakeStopTheChainWithTheirName) {
    struct Row {
        int position;
        const char* what;
        std::function<void(const std::string& path)> damage;
        const char* problem;
        bool unprivileged;
    };
    const Row rows[] = {
        {0, "missing", [](const std::string& p) { unlink(p.c_str()); },
         "cannot open (No such file or directory)", false},
        {2, "a directory",
         [](const std::string& p) {
             unlink(p.c_str());
             mkdir(p.c_str(), 0755);
         },
         "is a directory", false},
        {3, "unreadable", [](const std::string& p) { chmod(p.c_str(), 0); },
         "cannot open (Permission denied)", true},
        {4, "a device",
         [](const std::string& p) {
             unlink(p.c_str());
             symlink("/dev/zero", p.c_str());
         },
         "is not a regular file (a device or a pipe)", false},
        {5, "larger than the reader's buffer",
         [](const std::string& p) {
             testing_support::writeBytes(p, builtProgram(5) + "#" + std::string(1 << 20, 'x') + "\n");
         },
         "too large (more than 1048575 bytes of text)", false},
        {6, "a pipe without a writer",
         [](const std::string& p) {
             unlink(p.c_str());
             mkfifo(p.c_str(), 0644);
         },
         "is not a regular file (a device or a pipe)", false},
    };
    for (const Row& row : rows) {
        const std::string& file = programFiles()[row.position];
        SCOPED_TRACE(file + ": " + row.what);
        TempDir dir;
        testing_support::prepareRunDirectory(dir.path());
        row.damage(dir.file(file));
        testing_support::ViewerLaunch launch{"volview256", dir.path()};
        launch.unprivileged = row.unprivileged;
        const ViewerRun run = testing_support::runViewer(launch);
        expectChainStoppedAt(run, row.position);
        if (!run.boxes.empty()) {
            EXPECT_EQ(run.boxes[0], file + ": " + row.problem);
        }
    }
}

TEST(ProgramFaults, CrLfCtrlZAndNulAfterTheEndAreAccepted) {
    TempDir dir;
    testing_support::prepareRunDirectory(dir.path());
    for (int position = 0; position < 7; ++position) {
        std::string text = withCrLf(builtProgram(position));
        if (position % 3 == 1) text += std::string("\x1A") + "anything\r\n after the end of the text";
        if (position % 3 == 2) text += std::string(1, '\0') + "what the driver never sees";
        dir.write(programFiles()[position], text);
    }
    const ViewerRun run = testing_support::runViewer({"volview256", dir.path()}, true);
    EXPECT_TRUE(run.exited && run.status == 0) << run.describe();
    EXPECT_TRUE(run.boxes.empty()) << run.describe();
    EXPECT_FALSE(run.sanitizerReport()) << run.err;
    for (const std::string& file : programFiles()) EXPECT_TRUE(run.openedFile(file)) << file;
    EXPECT_TRUE(run.openedFile("skewed_head.dat"));
}

}  // namespace
