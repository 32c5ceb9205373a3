#include "volume/resample.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::positionCode;

struct Source {
    int x, y, z;
};

struct ResampleCase {
    const char* name;
    int dimX, dimY, dimZ;
    bool scales;
    // File sample that grid voxel (x, y, z) must hold; nullopt for padding.
    std::optional<Source> (*expected)(int x, int y, int z);
};

const ResampleCase kCases[] = {
    {"cube 256 halves every axis", 256, 256, 256, true,
     [](int x, int y, int z) -> std::optional<Source> {
         return Source{2 * x, 2 * y, 2 * z + 1};
     }},
    {"300x256x200 scales by 2.34375 and pads y and low z", 300, 256, 200, true,
     [](int x, int y, int z) -> std::optional<Source> {
         if (y >= 109 || z <= 42) return std::nullopt;
         const double s = 2.34375;
         return Source{static_cast<int>(x * s), static_cast<int>(y * s),
                       static_cast<int>(199 - (127 - z) * s)};
     }},
    {"thin z copies and pads the bottom", 256, 256, 100, false,
     [](int x, int y, int z) -> std::optional<Source> {
         if (z < 28) return std::nullopt;
         return Source{x, y, z - 28};
     }},
    {"grid-sized file copies one to one", 128, 128, 128, false,
     [](int x, int y, int z) -> std::optional<Source> {
         return Source{x, y, z};
     }},
    {"small cube pads high x, high y and low z", 100, 100, 100, false,
     [](int x, int y, int z) -> std::optional<Source> {
         if (x >= 100 || y >= 100 || z <= 27) return std::nullopt;
         return Source{x, y, z - 28};
     }},
    {"one extra sample on x and y is cropped", 129, 129, 128, false,
     [](int x, int y, int z) -> std::optional<Source> {
         return Source{x, y, z};
     }},
    {"tall z keeps the top 128 slices", 100, 100, 200, false,
     [](int x, int y, int z) -> std::optional<Source> {
         if (x >= 100 || y >= 100) return std::nullopt;
         return Source{x, y, z + 72};
     }},
};

TEST(Resample, MapsEveryGridVoxelToItsFileSample) {
    constexpr int kEdge = 128;
    for (const ResampleCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(volume::resampleScales(c.dimX, c.dimY, c.dimZ, kEdge), c.scales);
        std::vector<uint16_t> samples(static_cast<std::size_t>(c.dimX) * c.dimY * c.dimZ);
        for (int z = 0, i = 0; z < c.dimZ; ++z)
            for (int y = 0; y < c.dimY; ++y)
                for (int x = 0; x < c.dimX; ++x) samples[i++] = positionCode(x, y, z);

        std::vector<volume::VoxelRecord> grid(kEdge * kEdge * kEdge);
        volume::resampleToGrid(samples.data(), c.dimX, c.dimY, c.dimZ, kEdge, grid.data());

        int mismatches = 0;
        for (int z = 0, i = 0; z < kEdge; ++z) {
            for (int y = 0; y < kEdge; ++y) {
                for (int x = 0; x < kEdge; ++x, ++i) {
                    const std::optional<Source> from = c.expected(x, y, z);
                    const uint16_t want = from ? positionCode(from->x, from->y, from->z) : 0;
                    if (grid[i].value != want && ++mismatches <= 3) {
                        ADD_FAILURE() << "grid voxel (" << x << ", " << y << ", " << z << ") holds "
                                      << grid[i].value << ", expected " << want;
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace
