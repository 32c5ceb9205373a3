// The program text reader: text-mode reading, the shared buffer and failures.
#include "support/program_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/common/temp_dir.h"

namespace {

using support::ProgramText;
using testing_support::TempDir;

TEST(ProgramText, TextModeRules) {
    TempDir dir;
    struct Row {
        const char* name;
        std::string file, text;
    };
    const Row rows[] = {
        {"plain", "!!ARBfp1.0\nEND\n", "!!ARBfp1.0\nEND\n"},
        {"crlf pairs become lf", "a\r\nb\r\nc\r\nd\r\ne\r\n", "a\nb\nc\nd\ne\n"},
        {"lone cr stays", "a\rb\r", "a\rb\r"},
        {"cr cr lf", "a\r\r\nb", "a\r\nb"},
        {"ctrl-z ends the text",
         std::string("abc\x1A"
                     "def",
                     7),
         "abc"},
        {"empty", "", ""},
        // Reads go in 64 KiB chunks: a CR as the last byte of the first one.
        {"crlf across chunks", std::string(64 * 1024 - 1, 'x') + "\r\nend",
         std::string(64 * 1024 - 1, 'x') + "\nend"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramText reader;
        ASSERT_TRUE(reader.load(dir.write("p.txt", row.file).c_str()));
        EXPECT_EQ(reader.length(), row.text.size());
        EXPECT_EQ(std::string(reader.text()), row.text);
    }
}

TEST(ProgramText, SharedBufferAndOwnDestination) {
    TempDir dir;
    ProgramText reader;
    ASSERT_TRUE(reader.load(dir.write("a.txt", "first file, longer").c_str()));
    ASSERT_TRUE(reader.load(dir.write("b.txt", "second").c_str()));
    char* shared = reader.text();
    EXPECT_EQ(shared, ProgramText::sharedBuffer());
    EXPECT_STREQ(shared, "second");
    EXPECT_EQ(reader.text(), shared);

    char own[16];
    std::memset(own, '#', sizeof own);
    EXPECT_EQ(reader.text(own), own);
    EXPECT_STREQ(own, "second");

    ASSERT_TRUE(reader.load(dir.write("with-nul-byte.txt", std::string("ab\0cd", 5)).c_str()));
    EXPECT_EQ(reader.length(), 5u);
    EXPECT_EQ(std::strlen(reader.text()), 2u);
}

TEST(ProgramText, FailuresHoldNoTextAndSaySo) {
    // Folders, devices and pipes: the program-fault runs of the viewer, which
    // check the whole caption.
    TempDir dir;
    const std::string tooLarge = dir.write("large.txt", std::string(ProgramText::kSharedBufferSize, 'a'));
    // Exactly one byte under the limit still fits, terminator included.
    const std::string fits = dir.write("fits.txt", std::string(ProgramText::kSharedBufferSize - 1, 'b'));
    struct Row {
        std::string path;
        const char* problem;
    };
    const Row rows[] = {
        {dir.file("missing.txt"), "cannot open"},
        {tooLarge, "too large"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ProgramText reader;
        ASSERT_TRUE(reader.load(dir.write("old.txt", "stale text").c_str()));
        EXPECT_FALSE(reader.load(row.path.c_str()));
        EXPECT_FALSE(reader.hasText());
        EXPECT_STREQ(reader.text(), "");
        EXPECT_NE(reader.errorMessage().find(row.path), std::string::npos);
        EXPECT_NE(reader.errorMessage().find(row.problem), std::string::npos) << reader.errorMessage();
    }
    ProgramText reader;
    EXPECT_STREQ(reader.text(), "");  // nothing loaded yet
    ASSERT_TRUE(reader.load(fits.c_str()));
    EXPECT_EQ(std::strlen(reader.text()), ProgramText::kSharedBufferSize - 1);
}

}  // namespace
