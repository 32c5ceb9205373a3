#include "tools/volimport/raw_file.h"

#include "tests/tools/volimport/test_files.h"

namespace {

TEST(RawFile, NeedsEveryByteTheLayoutDescribes) {
    testfiles::ScratchDir dir;
    testfiles::writeBytes(dir.file("v.raw"), std::string(16, '\1'));
    const struct {
        const char* name;
        std::string file;
        uint64_t skip;
        volimport::SampleType type;
        uint64_t trailing;
        const char* expected;  // null: accepted
    } cases[] = {
        {"exact fit", "v.raw", 0, volimport::SampleType::UInt16, 0, nullptr},
        {"header and trailer", "v.raw", 3, volimport::SampleType::UInt8, 5, nullptr},
        {"one byte short", "v.raw", 1, volimport::SampleType::UInt16, 0,
         "too short: 2 x 2 x 2 uint16 after 1 header bytes needs 17 bytes, the file has 16"},
        {"skip past the end", "v.raw", 100, volimport::SampleType::UInt8, 0, "too short"},
        {"missing", "none.raw", 0, volimport::SampleType::UInt8, 0, "cannot open"},
        {"a folder", ".", 0, volimport::SampleType::UInt8, 0, "cannot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        volimport::RawLayout layout;
        layout.dims[0] = layout.dims[1] = layout.dims[2] = 2;
        layout.type = c.type;
        volimport::Scan scan;
        uint64_t trailing = 0;
        std::string error;
        const bool ok =
            volimport::readRawFile(dir.file(c.file), c.skip, layout, 0, scan, trailing, error);
        EXPECT_EQ(ok, c.expected == nullptr) << error;
        if (ok) {
            EXPECT_EQ(trailing, c.trailing);
            EXPECT_EQ(scan.grid.samples.size(), 8u);
        } else {
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        }
    }
}

}  // namespace
