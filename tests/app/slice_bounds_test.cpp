// The density levels that bound each pass: every density byte that can pass
// the isosurface's alpha test, or reach an opaque entry of the transfer
// table, lies at or above the level.
#include "app/slice_bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(SliceBounds, IsosurfaceLevelKeepsEveryDensityThatPassesTheAlphaTest) {
    for (float threshold = -0.2f; threshold < 1.2f; threshold += 0.01f) {
        const int level = app::lowestIsosurfaceTexel(threshold);
        for (int byte = 0; byte < 256; ++byte) {
            if (static_cast<float>(byte) / 255.0f >= threshold) {
                EXPECT_GE(byte, level) << "threshold " << threshold;
            }
        }
        // And it is tight: at most a step below the first passing byte.
        if (threshold > 0.0f && threshold <= 1.0f) {
            EXPECT_GE(level, static_cast<int>(std::ceil(threshold * 255.0f)) - 1) << threshold;
        }
    }
    EXPECT_EQ(app::lowestIsosurfaceTexel(0.0f), 0);
    EXPECT_EQ(app::lowestIsosurfaceTexel(-1.0f), 0);
    EXPECT_EQ(app::lowestIsosurfaceTexel(std::nanf("")), 0);
    EXPECT_EQ(app::lowestIsosurfaceTexel(7.0f), 255);
}

std::vector<uint8_t> tableWithOpacityFrom(int first) {
    std::vector<uint8_t> table(4 * 256, 0);
    for (int k = first; k >= 0 && k < 256; ++k) table[4 * k + 3] = static_cast<uint8_t>(1 + k % 7);
    return table;
}

TEST(SliceBounds, TransparentLevelKeepsEveryDensityThatReachesAnOpaqueEntry) {
    for (int first : {0, 1, 19, 100, 255}) {
        const auto table = tableWithOpacityFrom(first);
        const int level = app::lowestTransparentTexel(table.data(), 256);
        ASSERT_GE(level, 0);
        // The program reads entry floor(density * 256) of the table.
        for (float density = 0.0f; density <= 1.0f; density += 1.0f / 4096.0f) {
            const int entry = std::min(255, static_cast<int>(density * 256.0f));
            if (table[4 * entry + 3] != 0) {
                EXPECT_GE(density * 255.0f, static_cast<float>(level)) << "first opaque entry " << first;
            }
        }
    }
    EXPECT_EQ(app::lowestTransparentTexel(tableWithOpacityFrom(-1).data(), 256), -1);
    EXPECT_EQ(app::lowestTransparentTexel(tableWithOpacityFrom(0).data(), 256), 0);
}

}  // namespace
