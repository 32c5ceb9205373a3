// Voxel access, value modes and sampling of Volume.
#include "volume/volume.h"

#include <gtest/gtest.h>

#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::loadCube;
using testing_support::positionCode;

constexpr int kEdge = 8;

TEST(Volume, AccessCoordinatesCountSlicesFromTheTopAndSkipCoordinateZero) {
    auto volume = loadCube(kEdge, positionCode);
    // Access (x, y, k) reads storage (x, y, edge - 1 - k).
    EXPECT_EQ(volume->value(1, 1, 1), positionCode(1, 1, kEdge - 2));
    EXPECT_EQ(volume->value(3, 5, 6), positionCode(3, 5, 1));
    const int outside[][3] = {{0, 3, 3}, {3, 0, 3}, {3, 3, 0}, {kEdge, 3, 3}, {3, 3, kEdge}, {-1, 3, 3}};
    for (const auto& p : outside) {
        SCOPED_TRACE(testing::Message() << p[0] << "," << p[1] << "," << p[2]);
        EXPECT_EQ(volume->value(p[0], p[1], p[2]), 0u);
    }
}

TEST(Volume, ValueModes) {
    auto volume = loadCube(kEdge, [](int x, int, int) -> uint16_t {
        const uint16_t samples[] = {0, 500, 1200, 2000, 4094, 4095, 9000, 65535};
        return samples[x];
    });
    struct Row {
        int x;
        uint32_t density, color;
    };
    const Row rows[] = {
        {1, 500, 0xFF00000Fu},
        {2, 1200, 0xFFFF002Fu},
        {3, 2000, 0xFFFFFFA0u},
        {4, 4094, 0xFFFFFFA0u},
        // Samples beyond the table share its last entry.
        {5, 4095, 0xFFFFFFA0u},
        {6, 9000, 0xFFFFFFA0u},
        {7, 65535, 0xFFFFFFA0u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        volume->setValueMode(volume::Density);
        EXPECT_EQ(volume->value(row.x, 3, 3), row.density);
        volume->setValueMode(volume::Color);
        EXPECT_EQ(volume->value(row.x, 3, 3), row.color);
        volume->setValueMode(volume::ShadedColor);
        volume->setValueMode(5);
        EXPECT_EQ(volume->value(row.x, 3, 3), 0u);
    }
}

TEST(Volume, SampleAtRoundsHalfUpToTheNearestVoxel) {
    auto volume = loadCube(kEdge, positionCode);
    EXPECT_EQ(volume->sampleAt(2.5f, 3.49f, 4.0f, 0), volume->value(3, 3, 4));
    EXPECT_EQ(volume->sampleAt(1.0f, 1.5f, 6.99f, 0), volume->value(1, 2, 7));
    EXPECT_EQ(volume->sampleAt(-3.0f, 1e30f, 2.0f, 0), 0u);
}

}  // namespace
