#include "tools/volimport/dataset_encode.h"

#include "tests/tools/volimport/test_files.h"
#include "volume/dataset_file.h"

namespace {

TEST(DatasetEncode, WritesTheViewerLayout) {
    volimport::SampleGrid grid;
    grid.dims[0] = 2;
    grid.dims[1] = 1;
    grid.dims[2] = 300;  // needs the high byte
    grid.samples.assign(600, 7);
    grid.samples[1] = 0x0fed;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(volimport::encodeDataset(grid, bytes));
    ASSERT_EQ(bytes.size(), 6u + 1200u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 10),
              (std::vector<unsigned char>{2, 0, 1, 0, 0x2c, 0x01, 7, 0, 0xed, 0x0f}));

    testfiles::ScratchDir dir;
    testfiles::writeBytes(dir.file("d.dat"), std::string(bytes.begin(), bytes.end()));
    volume::DatasetFile file;
    ASSERT_TRUE(file.open(dir.file("d.dat").c_str())) << file.error();
    EXPECT_EQ(file.dimZ(), 300);
    std::vector<uint16_t> back(file.sampleCount());
    ASSERT_TRUE(file.readSamples(back.data())) << file.error();
    EXPECT_EQ(back, grid.samples);
}

TEST(DatasetEncode, RefusesDimensionsTheHeaderCannotHold) {
    for (int dim : {0, 65536}) {
        SCOPED_TRACE(dim);
        volimport::SampleGrid grid;
        grid.dims[0] = dim;
        grid.dims[1] = grid.dims[2] = 1;
        grid.samples.assign(static_cast<std::size_t>(dim), 0);
        std::vector<unsigned char> bytes;
        EXPECT_FALSE(volimport::encodeDataset(grid, bytes));
    }
}

}  // namespace
