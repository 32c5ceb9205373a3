// What bounds each pass: every density byte that can pass the isosurface's
// alpha test, or reach an opaque entry of the transfer table, lies at or
// above the level; every point of a slice that meets a box lies in exactly
// one quad of that slice.
#include "app/slice_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "app/slice_tiles.h"

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

// The frame loop's modelview, column-major: translate (0.5, 0.3, 0.6),
// turn by ay about x and by az about z, translate by -0.5.
struct Modelview {
    float m[16];
    Modelview(float ay, float az) {
        const float cx = std::cos(ay), sx = std::sin(ay), cz = std::cos(az), sz = std::sin(az);
        // rotation = Rx(ay) * Rz(az)
        const float r[3][3] = {{cz, -sz, 0}, {cx * sz, cx * cz, -sx}, {sx * sz, sx * cz, cx}};
        const float shift[3] = {0.5f, 0.3f, 0.6f};
        for (int row = 0; row < 3; ++row) {
            float t = shift[row];
            for (int c = 0; c < 3; ++c) {
                m[4 * c + row] = r[row][c];
                t -= 0.5f * r[row][c];
            }
            m[12 + row] = t;
            m[4 * row + 3] = 0.0f;
        }
        m[15] = 1.0f;
    }
    void apply(const float in[3], float out[3]) const {
        for (int row = 0; row < 3; ++row)
            out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row];
    }
};

// The stacks of the 128, 192, 256 and 512 cubes.
const app::SliceStack kStacks[] = {{}, {249, 1.0f / 225}, {332, 1.0f / 300}, {664, 1.0f / 600}};

// A few random boxes, up to a third of the cube wide.
std::vector<volume::TextureBox> randomBoxes(std::mt19937& random, int count) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<volume::TextureBox> boxes;
    for (int n = 0; n < count; ++n) {
        volume::TextureBox box;
        for (int a = 0; a < 3; ++a) {
            box.low[a] = unit(random) * 0.9f;
            box.high[a] = box.low[a] + 0.02f + unit(random) * 0.3f;
        }
        boxes.push_back(box);
    }
    return boxes;
}

// Whether a point of slice space lies in one of the boxes (widened across x
// and y by the wobble's reach).
bool meetsABox(const std::vector<volume::TextureBox>& boxes, const Modelview& modelview, const float point[3],
               float reach) {
    float texture[3];
    modelview.apply(point, texture);
    return std::any_of(boxes.begin(), boxes.end(), [&](const volume::TextureBox& box) {
        for (int a = 0; a < 3; ++a) {
            const float grow = a < 2 ? reach : 0.0f;
            if (texture[a] < box.low[a] - grow || texture[a] > box.high[a] + grow) return false;
        }
        return true;
    });
}

// The quads of each slice, by slice parameter, in the order they come.
std::vector<std::pair<float, std::vector<app::TileVertex>>> quadsBySlice(
    const std::vector<app::TileVertex>& quads) {
    std::vector<std::pair<float, std::vector<app::TileVertex>>> slices;
    for (std::size_t v = 0; v < quads.size(); ++v) {
        if (slices.empty() || slices.back().first != quads[v].w) slices.push_back({quads[v].w, {}});
        slices.back().second.push_back(quads[v]);
    }
    return slices;
}

TEST(SliceBounds, EveryPointOfASliceThatMeetsABoxLiesInExactlyOneQuadOfThatSlice) {
    std::mt19937 random(12);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f);
    int hits = 0, misses = 0;
    std::vector<app::TileVertex> quads;
    for (int round = 0; round < 40; ++round) {
        const std::vector<volume::TextureBox> boxes = randomBoxes(random, 1 + round % 5);
        const Modelview modelview(angle(random), angle(random));
        const float reach = round % 3 == 0 ? app::kWobbleReach : 0.0f;
        const app::SliceStack& stack = kStacks[round % 4];
        const auto order = round % 2 ? app::SliceOrder::frontToBack : app::SliceOrder::backToFront;
        app::SliceTiles tiles = app::sliceTiles(boxes, modelview.m, reach, stack);
        // Half the rounds cut away the nearer half of the slices.
        const float cut = round % 2 ? 0.5f : -10.0f;
        app::cutSliceTiles(tiles, cut, stack);
        app::tileQuads(tiles, order, stack, quads);
        ASSERT_EQ(quads.size() % 4, 0u);
        const auto slices = quadsBySlice(quads);
        // Slices come once each, in the pass's order, at their own depth.
        for (std::size_t k = 1; k < slices.size(); ++k) {
            EXPECT_EQ(slices[k].first < slices[k - 1].first, order == app::SliceOrder::frontToBack);
        }
        for (int n = 0; n < 20000; ++n) {
            const int slice = static_cast<int>(random() % static_cast<unsigned>(stack.count));
            const float point[3] = {unit(random), unit(random), app::sliceParameter(slice, stack.step)};
            int within = 0;
            for (const auto& [w, corners] : slices) {
                if (w != point[2]) continue;
                for (std::size_t q = 0; q < corners.size(); q += 4) {
                    EXPECT_EQ(corners[q].z, app::sliceDepth(slice, stack.step));
                    // Half-open, as the rasteriser shares an edge between two quads.
                    within += point[0] >= corners[q].s && point[0] < corners[q + 2].s &&
                              point[1] >= corners[q].t && point[1] < corners[q + 2].t;
                }
            }
            ASSERT_LE(within, 1) << "quads of slice " << slice << " overlap";
            if (point[2] < cut) {
                ASSERT_EQ(within, 0) << "slice " << slice << " is nearer than the cut";
            } else if (meetsABox(boxes, modelview, point, reach)) {
                ++hits;
                ASSERT_EQ(within, 1) << "round " << round << ", slice " << slice << " at " << point[0] << " "
                                     << point[1];
            } else if (within == 0) {
                ++misses;
            }
        }
    }
    EXPECT_GT(hits, 5000);
    EXPECT_GT(misses, 10 * hits);
}

// Groups of four slices drawn one fragment each: a group covers every cell
// of its four slices, lies exactly where its farthest slice does (the
// program reads the nearer ones from there) and is depth-tested at its
// nearest, so that a surface inside it still lets the slices in front
// through.
TEST(SliceBounds, AGroupOfSlicesCoversItsSlicesLiesOnTheFarthestAndIsTestedAtTheNearest) {
    std::mt19937 random(7);
    for (const app::SliceStack& stack : kStacks) {
        app::SliceTiles tiles;
        tiles.slices = stack.count;
        tiles.rows.resize(static_cast<std::size_t>(stack.count) * app::kTileCells);
        for (app::CellRow& row : tiles.rows)
            row = random() % 5 == 0 ? app::CellRow{1} << (random() % 128) : 0;
        const app::SliceTiles groups = app::sliceGroups(tiles);
        ASSERT_EQ(groups.slices, stack.count / app::kSlicesPerGroup);
        for (int k = 0; k < groups.slices; ++k) {
            const int farthest = k * app::kSlicesPerGroup;
            for (int row = 0; row < app::kTileCells; ++row) {
                app::CellRow cells = 0;
                for (int n = 0; n < app::kSlicesPerGroup; ++n)
                    cells |= tiles.rows[static_cast<std::size_t>((farthest + n) * app::kTileCells + row)];
                ASSERT_TRUE(groups.rows[static_cast<std::size_t>(k * app::kTileCells + row)] == cells);
            }
        }
        std::vector<app::TileVertex> quads;
        app::groupQuads(groups, app::SliceOrder::frontToBack, stack, quads);
        ASSERT_FALSE(quads.empty());
        for (const app::TileVertex& vertex : quads) {
            const double groupStep = app::kSlicesPerGroup * static_cast<double>(stack.step);
            const int farthest =
                static_cast<int>(std::lround((1.0 - vertex.w) / groupStep)) * app::kSlicesPerGroup;
            ASSERT_EQ(vertex.w, app::sliceParameter(farthest, stack.step));
            ASSERT_EQ(vertex.z, app::sliceDepth(farthest + app::kSlicesPerGroup - 1, stack.step));
        }
    }
}

}  // namespace
