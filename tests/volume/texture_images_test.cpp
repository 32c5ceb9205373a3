// The density image and the transfer-function table.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::loadCube;

constexpr int kEdge = 8;

TEST(DensityImage, ByteIsTheSampleShiftedRightByFourWithoutClamping) {
    const uint16_t samples[] = {0, 15, 16, 4095, 4096, 65535, 1234};
    const uint8_t bytes[] = {0, 0, 1, 255, 0, 255, 1234 >> 4};
    auto volume = loadCube(kEdge, [&](int x, int, int) { return samples[(x + 6) % 7]; });
    const auto image = volume->createDensityTexture(8, kEdge);
    ASSERT_NE(image, nullptr);
    for (int x = 1; x < kEdge; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(image[x + kEdge * (3 + kEdge * 4)], bytes[(x + 6) % 7]);
    }
}

TEST(DensityImage, FacesOfTheInsideBoxAreEmpty) {
    auto volume = loadCube(kEdge, [](int, int, int) { return uint16_t{3000}; });
    const auto image = volume->createDensityTexture(8, kEdge);
    const auto at = [&](int x, int y, int z) { return image[x + kEdge * (y + kEdge * z)]; };
    EXPECT_EQ(at(0, 3, 3), 0);
    EXPECT_EQ(at(3, 0, 3), 0);
    EXPECT_EQ(at(3, 3, kEdge - 1), 0);
    EXPECT_EQ(at(3, 3, 0), 3000 >> 4);  // the bottom slice is k = edge - 1: inside
    EXPECT_EQ(at(kEdge - 1, kEdge - 1, 1), 3000 >> 4);
}

TEST(TransferTable, TakesEverySixteenthColour) {
    auto volume = loadCube(4, [](int, int, int) { return uint16_t{0}; });
    const auto table = volume->createTransferTable(256);
    struct Row {
        int entry;
        uint8_t r, g, b, a;
    };
    const Row rows[] = {{0, 0, 0, 0, 0},          {18, 0, 0, 0, 0},         {19, 255, 0, 0, 15},
                        {68, 255, 0, 0, 15},      {69, 255, 255, 0, 47},    {81, 255, 255, 0, 47},
                        {82, 255, 255, 255, 160}, {255, 255, 255, 255, 160}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        const uint8_t* e = table.get() + 4 * row.entry;
        EXPECT_EQ(e[0], row.r);
        EXPECT_EQ(e[1], row.g);
        EXPECT_EQ(e[2], row.b);
        EXPECT_EQ(e[3], row.a);
    }
}

TEST(TransferTable, DefaultColourBandsStartAndEndAtTheirSamples) {
    auto volume = loadCube(4, [](int, int, int) { return uint16_t{0}; });
    const uint32_t* colors = volume->colorTable();
    const std::pair<int, uint32_t> rows[] = {{299, 0u},           {300, 0xFF00000Fu},  {1099, 0xFF00000Fu},
                                             {1100, 0xFFFF002Fu}, {1299, 0xFFFF002Fu}, {1300, 0xFFFFFFA0u},
                                             {4094, 0xFFFFFFA0u}};
    for (const auto& [sample, word] : rows) EXPECT_EQ(colors[sample], word) << sample;
}

TEST(TransferTable, FollowsTheColourTable) {
    auto volume = loadCube(4, [](int, int, int) { return uint16_t{0}; });
    std::vector<uint32_t> colors(volume->colorTable(),
                                 volume->colorTable() + volume::Volume::kColorTableSize);
    colors[32] = 0x01020304u;
    colors[33] = 0xAABBCCDDu;  // not a multiple of 16: never reaches the table
    volume->setColorTable(colors.data());
    for (int count : {16, 256, 1000}) {
        SCOPED_TRACE(count);
        const auto table = volume->createTransferTable(count);
        EXPECT_EQ(table[8], 1);
        EXPECT_EQ(table[9], 2);
        EXPECT_EQ(table[10], 3);
        EXPECT_EQ(table[11], 4);
        EXPECT_EQ(table[12 + 3], 0);  // entry 3 = colour 48, still transparent
    }
}

}  // namespace
