#include "tools/volimport/cubic_resample.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using volimport::CubicShape;
using volimport::SampleGrid;

SampleGrid grid(int x, int y, int z, std::vector<uint16_t> samples) {
    SampleGrid g;
    g.dims[0] = x;
    g.dims[1] = y;
    g.dims[2] = z;
    g.samples = std::move(samples);
    return g;
}

SampleGrid resample(const SampleGrid& in, const double spacing[3]) {
    CubicShape shape;
    std::string error;
    EXPECT_TRUE(volimport::cubicShape(in.dims, spacing, 65535, shape, error)) << error;
    SampleGrid out;
    volimport::resampleToCubic(in, spacing, shape, out);
    return out;
}

TEST(CubicResample, ShapesEachAxisByRoundedPhysicalLength) {
    const struct {
        int dims[3];
        double spacing[3];
        int expected[3];  // zeros: refused
        double edge;
    } cases[] = {
        {{256, 256, 108}, {0.9570312, 0.9570312, 1.5}, {256, 256, 169}, 0.9570312},
        {{10, 10, 10}, {2, 2, 2}, {10, 10, 10}, 2},
        {{10, 20, 3}, {1, 0.5, 2.5}, {20, 20, 15}, 0.5},
        {{3, 3, 3}, {1, 1, 1.5}, {3, 3, 5}, 1},  // 4.5 rounds up
        {{3, 3, 1}, {1, 1, 0.1}, {30, 30, 1}, 0.1},
        {{40000, 2, 2}, {2, 1, 1}, {0, 0, 0}, 0},  // 80000 samples along x
        {{4, 4, 4}, {1, 0, 1}, {0, 0, 0}, 0},
        {{4, 4, 0}, {1, 1, 1}, {0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dims[0]) + "x" + std::to_string(c.dims[1]) + "x" +
                     std::to_string(c.dims[2]));
        CubicShape shape;
        std::string error;
        const bool ok = volimport::cubicShape(c.dims, c.spacing, 65535, shape, error);
        ASSERT_EQ(ok, c.expected[0] != 0) << error;
        if (!ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        for (int a = 0; a < 3; ++a) EXPECT_EQ(shape.dims[a], c.expected[a]) << a;
        EXPECT_DOUBLE_EQ(shape.edge, c.edge);
    }
}

TEST(CubicResample, InterpolatesLinearlyBetweenCellCentres) {
    // z spacing 2: each input slice becomes two; output slice centres sit at
    // input positions -0.25, 0.25, 0.75 and 1.25 (clamped to 0 and 1).
    const SampleGrid in = grid(1, 1, 2, {0, 1000});
    const double spacing[3] = {1, 1, 2};
    EXPECT_EQ(resample(in, spacing).samples, (std::vector<uint16_t>{0, 250, 750, 1000}));

    // x spacing 1.5 over 3 samples gives round(4.5) = 5 samples at input
    // positions -1/6, 1/2, 7/6, 11/6 and 5/2; each y row on its own.
    const SampleGrid row = grid(3, 2, 1, {0, 100, 400, 1000, 1000, 1000});
    const double spacing2[3] = {1.5, 1, 1};
    EXPECT_EQ(resample(row, spacing2).samples,
              (std::vector<uint16_t>{0, 50, 150, 350, 400, 1000, 1000, 1000, 1000, 1000}));

    // Trilinear weights multiply: only corner (1, 1, 1) is set; x and y are
    // spread to 4 samples at positions -1/4, 1/4, 3/4, 5/4, z stays.
    const SampleGrid cube = grid(2, 2, 2, {0, 0, 0, 0, 0, 0, 0, 800});
    const double spacing3[3] = {2, 2, 1};
    const SampleGrid out = resample(cube, spacing3);
    ASSERT_EQ(out.dims[0], 4);
    EXPECT_EQ(out.at(1, 1, 1), 50);   // 800 / 4 / 4
    EXPECT_EQ(out.at(2, 2, 1), 450);  // 800 * 3/4 * 3/4
    EXPECT_EQ(out.at(3, 3, 1), 800);
    EXPECT_EQ(out.at(3, 3, 0), 0);
}

}  // namespace
