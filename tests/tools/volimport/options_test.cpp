#include "tools/volimport/options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

using volimport::Options;

bool parse(const std::string& line, Options& out, std::string& error) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    return volimport::parseOptions(static_cast<int>(argv.size()), argv.data(), out, error);
}

TEST(Options, ReadsBothInputKindsAndTheirDefaults) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse("--inv3 head.inv3 -o out.dat", o, error)) << error;
    EXPECT_EQ(o.input, volimport::InputKind::Inv3);
    EXPECT_EQ(o.inputPath, "head.inv3");
    EXPECT_EQ(o.outputPath, "out.dat");
    EXPECT_EQ(o.effectiveOffset(), 1024);
    EXPECT_FALSE(o.force || o.flipZ);

    ASSERT_TRUE(parse("--raw v.raw --dims 4x5x6 --type=uint16 --endian big --spacing 0.5,0.5,2 "
                      "--skip 128 --output=o.dat --flip-z --force",
                      o, error))
        << error;
    EXPECT_EQ(o.layout.dims[1], 5);
    EXPECT_EQ(o.layout.order, volimport::ByteOrder::Big);
    EXPECT_EQ(o.spacing[2], 2.0);
    EXPECT_EQ(o.skipBytes, 128u);
    EXPECT_TRUE(o.force && o.flipZ);
    EXPECT_EQ(o.effectiveOffset(), 0);

    ASSERT_TRUE(parse("--raw v.raw --dims 4,5,6 --type int16 --spacing 0.7 -o o.dat", o, error));
    EXPECT_EQ(o.effectiveOffset(), 1024);
    EXPECT_EQ(o.spacing[2], 0.7);
    ASSERT_TRUE(parse("--raw v.raw --dims 4,5,6 --type int16 --offset -1000 -o o.dat", o, error));
    EXPECT_EQ(o.effectiveOffset(), -1000);
    ASSERT_TRUE(parse("--help", o, error));
    EXPECT_TRUE(o.help);
}

TEST(Options, RefusesBadCommandLines) {
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"", "no input"},
        {"--inv3 a", "no output"},
        {"--inv3 a -o b -o c", "-o given twice"},
        {"--inv3 a -o b --dims 1,2,3", "--dims applies to --raw input only"},
        {"--inv3 a -o b extra", "unexpected argument \"extra\""},
        {"--inv3 a -o b --bogus", "unknown option --bogus"},
        {"--inv3 a -o b --force=yes", "--force takes no value"},
        {"--raw a -o b --type int16", "--raw needs --dims and --type"},
        {"--raw a -o b --dims 1,2 --type int16", "--dims needs three positive integers"},
        {"--raw a -o b --dims 1,2,3 --type float", "--type must be"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --endian middle", "--endian must be"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --spacing 1,0,1", "--spacing needs"},
        {"--raw a -o b --dims 1,2,3 --type uint8 --skip -4", "--skip needs"},
        {"--inv3 a -o b --offset 9999999999", "--offset needs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.line, o, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

}  // namespace
