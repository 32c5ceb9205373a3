#include "tools/volimport/inv3_project.h"

#include "tests/tools/volimport/test_files.h"

namespace {

using namespace testfiles;

TEST(Inv3Project, ReadsSamplesAndSpacingInXYZOrder) {
    ScratchDir dir;
    writeProject(dir.file("p.inv3"), projectPlist(tinyMatrixDict(), tinySpacing()),
                 int16Bytes(tinySamples()));
    volimport::Scan scan;
    std::string error;
    ASSERT_TRUE(volimport::readInv3Project(dir.file("p.inv3"), 1024, scan, error)) << error;
    EXPECT_EQ(scan.grid.dims[0], 3);
    EXPECT_EQ(scan.grid.dims[1], 2);
    EXPECT_EQ(scan.grid.dims[2], 2);
    EXPECT_EQ(scan.spacing[2], 2.0);
    EXPECT_EQ(scan.grid.at(1, 0, 0), 24);
    EXPECT_EQ(scan.grid.at(0, 1, 0), 1124);
    EXPECT_EQ(scan.grid.at(2, 1, 1), 4095);
    EXPECT_EQ(scan.grid.at(0, 0, 0), 0);
    EXPECT_EQ(scan.clamped.below, 1u);
    EXPECT_EQ(scan.clamped.above, 1u);
    EXPECT_EQ(scan.source, "proj/matrix.dat");
}

TEST(Inv3Project, NamesWhatIsWrongWithABadArchive) {
    const std::string matrix = int16Bytes(tinySamples());
    const std::string dict = tinyMatrixDict();
    auto without = [&](const std::string& key) {
        const std::size_t at = dict.find("<key>" + key + "</key>");
        const std::size_t end = dict.find("<key>", at + 5);
        return dict.substr(0, at) + (end == std::string::npos ? "" : dict.substr(end));
    };
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string d = dict;
        return d.replace(d.find(from), from.size(), to);
    };
    const struct {
        const char* name;
        std::string plist;
        std::string matrix;
        const char* expected;
    } cases[] = {
        {"no dtype", projectPlist(without("dtype"), tinySpacing()), matrix,
         "main.plist: \"matrix\" has no \"dtype\""},
        {"no shape", projectPlist(without("shape"), tinySpacing()), matrix, "no \"shape\""},
        {"no spacing", "<plist><dict><key>matrix</key><dict>" + dict + "</dict></dict></plist>",
         matrix, "main.plist: the top level has no \"spacing\""},
        {"empty spacing", projectPlist(dict, ""), matrix, "\"spacing\" has 0 entries"},
        {"float32", projectPlist(replaced("int16", "float32"), tinySpacing()), matrix,
         "unsupported sample type \"float32\""},
        {"shape of two", projectPlist(replaced("<integer>3</integer>", ""), tinySpacing()), matrix,
         "\"shape\" has 2 entries"},
        {"negative shape", projectPlist(replaced("<integer>3</integer>", "<integer>-3</integer>"),
                                        tinySpacing()),
         matrix, "\"shape\" entry 2 is out of range"},
        {"zero spacing", projectPlist(dict, "<real>1</real><real>0</real><real>1</real>"), matrix,
         "\"spacing\" entry 1 is not positive"},
        {"short matrix", projectPlist(dict, tinySpacing()), matrix.substr(0, 20),
         "matrix.dat: holds 20 bytes, the shape 2 x 2 x 3 of int16 needs 24 (file too short)"},
        {"long matrix", projectPlist(dict, tinySpacing()), matrix + "xx", "holds 26 bytes"},
        {"other matrix name", projectPlist(replaced("matrix.dat", "m2.dat"), tinySpacing()), matrix,
         "the archive holds no m2.dat"},
        {"malformed plist", "<plist><dict><key>matrix</key>", matrix,
         "main.plist: line 1: unexpected end"},
        {"not a dict", "<plist><array/></plist>", matrix, "the top level is not a dict"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeProject(dir.file("p.inv3"), c.plist, c.matrix);
        volimport::Scan scan;
        std::string error;
        EXPECT_FALSE(volimport::readInv3Project(dir.file("p.inv3"), 1024, scan, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

}  // namespace
