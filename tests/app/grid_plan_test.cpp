// What an edge decides: slices as dense per voxel as the 128 cube's over the
// same depth, opacity that adds up to the same over any spacing, and a
// refusal that names the largest edge that fits.
#include "app/grid_plan.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GridPlan, SlicesKeepTheirDensityPerVoxelAndTheirDepth) {
    const struct {
        int gridOption, edge, slices;
        bool added;
    } cases[] = {{0, 128, 166, false},  {128, 128, 166, true}, {192, 192, 249, true},
                 {256, 256, 332, true}, {384, 384, 498, true}, {512, 512, 664, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gridOption);
        app::ViewerOptions options;
        options.gridEdge = c.gridOption;
        const app::GridPlan plan = app::planGrid(options);
        EXPECT_EQ(plan.edge, c.edge);
        EXPECT_EQ(plan.slices.count, c.slices);
        EXPECT_EQ(plan.addedRendering, c.added);
        // 128/150 of a voxel apart, and reaching as deep as the 166 do.
        EXPECT_FLOAT_EQ(plan.slices.step * static_cast<float>(c.edge), 128.0f / 150.0f);
        EXPECT_GE(plan.slices.step * static_cast<float>(plan.slices.count - 1), 165.0f / 150.0f - 1e-5f);
    }
}

TEST(GridPlan, CorrectedOpacityOfThinnerSlicesAddsUpToTheSame) {
    uint8_t table[4 * 3] = {9, 9, 9, 0, 9, 9, 9, 15, 9, 9, 9, 160};
    app::correctTableOpacity(table, 3, 0.5f);
    EXPECT_EQ(table[3], 0);  // clear stays clear
    EXPECT_EQ(table[0], 9);  // colour untouched
    uint8_t faint[4] = {0, 0, 0, 1};
    app::correctTableOpacity(faint, 1, 0.125f);
    EXPECT_EQ(faint[3], 1);  // faint stays visible
    for (const auto& [corrected, perSlice128] : {std::pair{table[7], 15}, std::pair{table[11], 160}}) {
        // Two slices half as far apart let through what one slice of the 128 cube did.
        const double through = std::pow(1.0 - corrected / 255.0, 2.0);
        EXPECT_NEAR(1.0 - through, perSlice128 / 255.0, 1.0 / 255.0);
    }
}

TEST(GridPlan, RefusalNamesTheLargestEdgeThatFits) {
    EXPECT_EQ(app::refuseGridEdge(512, 2048, app::bytesForEdge(512)), "");
    EXPECT_EQ(app::refuseGridEdge(512, 2048, 0), "");  // memory unknown
    const std::string byDriver = app::refuseGridEdge(512, 256, 0);
    EXPECT_NE(byDriver.find("reach only 256"), std::string::npos) << byDriver;
    EXPECT_NE(byDriver.find("largest edge that fits is 256"), std::string::npos) << byDriver;
    const std::string byMemory = app::refuseGridEdge(512, 2048, app::bytesForEdge(300) + 1);
    EXPECT_NE(byMemory.find("largest edge that fits is 300"), std::string::npos) << byMemory;
    EXPECT_GT(app::bytesForEdge(512), 8 * app::bytesForEdge(255));
}
