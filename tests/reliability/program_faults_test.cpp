// Damaged program files, as the viewer meets them at start-up: each stops the
// chain at its own file with one box, status 1 and no later file opened;
// text-mode quirks that still hold a valid program are accepted.
#include <gtest/gtest.h>

#include <string>

#include "tests/common/temp_dir.h"
#include "tests/common/viewer_session.h"

namespace {

using testing_support::Damage;
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
    std::string nul = builtProgram(2), ctrlZ = withCrLf(builtProgram(3));
    const struct {
        const char* what;
        std::string text;
    } rows[] = {
        {"an unknown name", "!!ARBfp1.0\nMOV result.color, nothing;\nEND\n"},
        {"an empty file", ""},
        {"a NUL byte before END", nul.insert(nul.size() / 2, 1, '\0')},
        {"a Ctrl-Z before END", ctrlZ.insert(ctrlZ.size() / 2, 1, '\x1A')},
        {"a vertex program in a fragment slot", builtProgram(6)},
        {"binary bytes", std::string("\x7f"
                                     "ELF\x02\x01\x01\x00\xff\xfe",
                                     10)},
        {"a fragment program in the vertex slot", builtProgram(0)},
    };
    for (int position = 0; position < 7; ++position) {
        SCOPED_TRACE(programFiles()[position] + ": " + rows[position].what);
        const ViewerRun run =
            testing_support::runWithDamage(programFiles()[position], {Damage::content, rows[position].text});
        expectChainStoppedAt(run, position);
        EXPECT_TRUE(run.openedFile(programFiles()[position])) << run.describe();
        // The caption is the driver's own message, not the reader's.
        if (!run.boxes.empty()) {
            EXPECT_NE(run.boxes[0].find(programFiles()[position]), 0u);
        }
    }
}

TEST(ProgramFaults, FilesTheReaderCannotTakeStopTheChainWithTheirName) {
    const struct {
        int position;
        Damage damage;
        const char* problem;
    } rows[] = {
        {0, {Damage::missing, ""}, "cannot open (No such file or directory)"},
        {2, {Damage::folder, ""}, "is a directory"},
        {3, {Damage::unreadable, ""}, "cannot open (Permission denied)"},
        {4, {Damage::linkTo, "/dev/zero"}, "is not a regular file (a device or a pipe)"},
        {5,
         {Damage::content, builtProgram(5) + "#" + std::string(1 << 20, 'x') + "\n"},
         "too large (more than 1048575 bytes of text)"},
        {6, {Damage::pipe, ""}, "is not a regular file (a device or a pipe)"},
    };
    for (const auto& row : rows) {
        const std::string& file = programFiles()[row.position];
        SCOPED_TRACE(file + ": " + row.problem);
        const ViewerRun run = testing_support::runWithDamage(file, row.damage);
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
