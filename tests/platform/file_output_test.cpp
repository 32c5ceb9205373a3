// Whole-file atomic writes: new files, refusals and replacements.
#include "platform/file_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "tests/common/temp_dir.h"

namespace {

using ScratchDir = testing_support::TempDir;
using testing_support::readBytes;
using testing_support::writeBytes;

bool write(const std::string& path, const std::string& text, bool overwrite, std::string& error) {
    return platform::writeFileAtomically(path, text.data(), text.size(), overwrite, error);
}

TEST(AtomicFile, CreatesWithOrdinaryPermissionsReplacesWhenAskedAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    std::string error;
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(write(dir.file("mine.dat"), "old", false, error)) << error;
    ::umask(mask);
    struct stat info;
    ASSERT_EQ(::stat(dir.file("mine.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    ASSERT_TRUE(write(dir.file("mine.dat"), "new", true, error)) << error;
    EXPECT_EQ(readBytes(dir.file("mine.dat")), "new");
    // A name one byte over the file system's limit: the temporary file is
    // written, then placing it fails.
    for (bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite);
        EXPECT_FALSE(write(dir.file(std::string(256, 'n')), "new", overwrite, error));
        EXPECT_NE(error.find("File name too long"), std::string::npos) << error;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"mine.dat"});
    }
}

TEST(AtomicFile, NeverReplacesWithoutOverwriteAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    writeBytes(dir.file("mine.dat"), "precious");
    ASSERT_EQ(::symlink("mine.dat", dir.file("link.dat").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling.dat").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    const std::vector<std::string> before = dir.entries();
    const struct {
        const char* target;
        bool overwrite;
        const char* expected;
    } cases[] = {
        {"mine.dat", false, "already exists"},
        {"link.dat", false, "already exists"},
        {"dangling.dat", false, "already exists"},
        {"folder", false, "already exists"},
        {"folder", true, "is a directory"},
        {"missing/out.dat", false, "cannot create a temporary file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        std::string error;
        EXPECT_FALSE(write(dir.file(c.target), "new", c.overwrite, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(dir.entries(), before);
        EXPECT_EQ(readBytes(dir.file("mine.dat")), "precious");
    }
}

// A replaced output is a new file: a symbolic or hard link at the output
// path is replaced, and the file it pointed to keeps its content, whether
// the write comes from the output call itself or from a tool using it.
TEST(AtomicFile, ReplacingALinkLeavesItsTargetAlone) {
    const std::function<bool(const std::string&)> writers[] = {
        [](const std::string& out) {
            std::string error;
            return write(out, "new content", true, error);
        },
        [](const std::string& out) {
            return std::system(
                       (VOLPHANTOM_PATH " --dims 4,4,4 --force -o '" + out + "' >/dev/null").c_str()) == 0;
        },
    };
    for (const bool hard : {false, true}) {
        for (std::size_t writer = 0; writer < 2; ++writer) {
            SCOPED_TRACE(std::string(hard ? "hard" : "symbolic") + " link, writer " + std::to_string(writer));
            ScratchDir dir;
            writeBytes(dir.file("theirs.dat"), "the user's file");
            const std::string out = dir.file("out.dat");
            ASSERT_EQ(hard ? ::link(dir.file("theirs.dat").c_str(), out.c_str())
                           : ::symlink(dir.file("theirs.dat").c_str(), out.c_str()),
                      0);
            ASSERT_TRUE(writers[writer](out));
            EXPECT_EQ(readBytes(dir.file("theirs.dat")), "the user's file");
            EXPECT_NE(readBytes(out), "the user's file");
        }
    }
}

}  // namespace
