#include "tools/volimport/raw_file.h"

#include "tests/tools/volimport/test_files.h"

namespace {

volimport::RawLayout layout2x2x2(volimport::SampleType type) {
    volimport::RawLayout layout;
    layout.dims[0] = layout.dims[1] = layout.dims[2] = 2;
    layout.type = type;
    return layout;
}

TEST(RawFile, SkipsTheHeaderAndCountsTrailingBytes) {
    testfiles::ScratchDir dir;
    testfiles::writeBytes(dir.file("v.raw"),
                          "HEAD" + testfiles::int16Bytes({-1024, 0, 1, 2, 3, 4, 5, 3071}) + "xyz");
    volimport::Scan scan;
    uint64_t trailing = 0;
    std::string error;
    ASSERT_TRUE(volimport::readRawFile(dir.file("v.raw"), 4,
                                       layout2x2x2(volimport::SampleType::Int16), 1024, scan,
                                       trailing, error))
        << error;
    EXPECT_EQ(scan.grid.samples, (std::vector<uint16_t>{0, 1024, 1025, 1026, 1027, 1028, 1029, 4095}));
    EXPECT_EQ(trailing, 3u);
    EXPECT_EQ(scan.type, volimport::SampleType::Int16);
}

TEST(RawFile, RefusesShortAndMissingFiles) {
    testfiles::ScratchDir dir;
    testfiles::writeBytes(dir.file("v.raw"), std::string(16, '\1'));
    const struct {
        const char* name;
        std::string file;
        uint64_t skip;
        volimport::SampleType type;
        const char* expected;
    } cases[] = {
        {"exact fit", "v.raw", 0, volimport::SampleType::UInt16, nullptr},
        {"one byte short", "v.raw", 1, volimport::SampleType::UInt16,
         "too short: 2 x 2 x 2 uint16 after 1 header bytes needs 17 bytes, the file has 16"},
        {"skip past the end", "v.raw", 100, volimport::SampleType::UInt8, "too short"},
        {"missing", "none.raw", 0, volimport::SampleType::UInt8, "cannot open"},
        {"a folder", ".", 0, volimport::SampleType::UInt8, "cannot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        volimport::Scan scan;
        uint64_t trailing = 0;
        std::string error;
        const bool ok = volimport::readRawFile(dir.file(c.file), c.skip, layout2x2x2(c.type), 0,
                                               scan, trailing, error);
        EXPECT_EQ(ok, c.expected == nullptr) << error;
        if (c.expected != nullptr) {
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        }
    }
}

}  // namespace
