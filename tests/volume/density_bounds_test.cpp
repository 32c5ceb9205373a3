// The boxes around the blocks that reach a level: a trilinear sample (as
// the driver takes it, GL_CLAMP with a zero border) anywhere outside them
// stays below the level, and a box is no larger than its block needs.
#include "volume/density_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kEdge = 16;

struct Image {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kEdge * kEdge * kEdge, 0);
    uint8_t& at(int x, int y, int z) { return bytes[(z * kEdge + y) * kEdge + x]; }
    float texel(int x, int y, int z) const {
        const bool inside = x >= 0 && y >= 0 && z >= 0 && x < kEdge && y < kEdge && z < kEdge;
        return inside ? bytes[(z * kEdge + y) * kEdge + x] : 0.0f;  // the border is zero
    }
    // Linear filtering of a texture with GL_CLAMP wrapping.
    float sample(float s, float t, float r) const {
        const float p[3] = {s, t, r};
        int base[3];
        float weight[3];
        for (int a = 0; a < 3; ++a) {
            const float u = std::clamp(p[a], 0.0f, 1.0f) * kEdge - 0.5f;
            base[a] = static_cast<int>(std::floor(u));
            weight[a] = u - std::floor(u);
        }
        float sum = 0.0f;
        for (int corner = 0; corner < 8; ++corner) {
            float w = 1.0f;
            int index[3];
            for (int a = 0; a < 3; ++a) {
                const int step = (corner >> a) & 1;
                index[a] = base[a] + step;
                w *= step ? weight[a] : 1.0f - weight[a];
            }
            sum += w * texel(index[0], index[1], index[2]);
        }
        return sum;
    }
};

bool inside(const std::vector<volume::TextureBox>& boxes, const float p[3]) {
    for (const volume::TextureBox& box : boxes) {
        bool within = true;
        for (int a = 0; a < 3; ++a) within = within && p[a] >= box.low[a] && p[a] <= box.high[a];
        if (within) return true;
    }
    return false;
}

// Samples outside the unit cube are discarded by the programs; inside it,
// none outside the boxes may reach the level.
TEST(DensityBounds, NoSampleOutsideTheBoxesReachesTheLevel) {
    std::mt19937 random(7);
    int outside = 0;
    for (int round = 0; round < 20; ++round) {
        // Low noise everywhere, and a few denser blobs.
        Image image;
        for (auto& byte : image.bytes) byte = static_cast<uint8_t>(random() % 60);
        for (int blob = 0; blob < 3; ++blob) {
            const int x = random() % kEdge, y = random() % kEdge, z = random() % kEdge;
            image.at(x, y, z) = static_cast<uint8_t>(60 + random() % 196);
        }
        const volume::DensityBounds bounds(image.bytes.data(), kEdge, round % 2 ? 2 : 4);
        for (int level : {30, 61, 120, 200, 255}) {
            const auto boxes = bounds.boxesAtLeast(static_cast<uint8_t>(level));
            std::uniform_real_distribution<float> coordinate(0.0f, 1.0f);
            for (int n = 0; n < 4000; ++n) {
                const float p[3] = {coordinate(random), coordinate(random), coordinate(random)};
                if (inside(boxes, p)) continue;
                ++outside;
                ASSERT_LT(image.sample(p[0], p[1], p[2]), static_cast<float>(level))
                    << "round " << round << ", level " << level << ", at " << p[0] << " " << p[1] << " "
                    << p[2];
            }
            // And just outside each face of each box, where a box too tight
            // would first let a sample through.
            for (const volume::TextureBox& box : boxes) {
                for (int axis = 0; axis < 3; ++axis) {
                    for (int n = 0; n < 40; ++n) {
                        float p[3];
                        for (int a = 0; a < 3; ++a) {
                            p[a] = box.low[a] + coordinate(random) * (box.high[a] - box.low[a]);
                        }
                        p[axis] = n % 2 ? box.high[axis] + 1e-4f : box.low[axis] - 1e-4f;
                        if (inside(boxes, p) || p[axis] < 0.0f || p[axis] > 1.0f) continue;
                        ++outside;
                        ASSERT_LT(image.sample(p[0], p[1], p[2]), static_cast<float>(level))
                            << "next to a face, round " << round << ", level " << level;
                    }
                }
            }
        }
    }
    EXPECT_GT(outside, 100000);  // the boxes do leave samples out
}

}  // namespace
