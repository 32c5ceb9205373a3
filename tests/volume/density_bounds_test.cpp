// The box around the texels at or above a level: a trilinear sample (as the
// driver takes it, GL_CLAMP with a zero border) anywhere outside it stays
// below the level, and the box is no larger than the texels need.
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

bool inside(const volume::TextureBox& box, const float p[3]) {
    for (int a = 0; a < 3; ++a)
        if (p[a] < box.low[a] || p[a] > box.high[a]) return false;
    return true;
}

TEST(DensityBounds, OneTexelGivesABoxJustAroundItsFilterReach) {
    Image image;
    image.at(5, 0, 15) = 200;
    const volume::DensityBounds bounds(image.bytes.data(), kEdge);

    const volume::TextureBox box = bounds.boxAtLeast(200);
    ASSERT_FALSE(box.empty);
    const int texel[3] = {5, 0, 15};
    for (int a = 0; a < 3; ++a) {
        EXPECT_FLOAT_EQ(box.low[a], (texel[a] - 1.5f) / kEdge) << "axis " << a;
        EXPECT_FLOAT_EQ(box.high[a], (texel[a] + 2.5f) / kEdge) << "axis " << a;
    }
    EXPECT_TRUE(bounds.boxAtLeast(201).empty);
    EXPECT_TRUE(bounds.boxAtLeast(255).empty);

    // Level 0: every texel reaches it, so the box spans the whole image.
    const volume::TextureBox all = bounds.boxAtLeast(0);
    ASSERT_FALSE(all.empty);
    for (int a = 0; a < 3; ++a) {
        EXPECT_LT(all.low[a], 0.0f);
        EXPECT_GT(all.high[a], 1.0f);
    }
}

// Samples outside the unit cube are discarded by the programs; inside it,
// none outside the box may reach the level.
TEST(DensityBounds, NoSampleOutsideTheBoxReachesTheLevel) {
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
        const volume::DensityBounds bounds(image.bytes.data(), kEdge);
        for (int level : {30, 61, 120, 200, 255}) {
            const volume::TextureBox box = bounds.boxAtLeast(static_cast<uint8_t>(level));
            std::uniform_real_distribution<float> coordinate(0.0f, 1.0f);
            for (int n = 0; n < 4000; ++n) {
                const float p[3] = {coordinate(random), coordinate(random), coordinate(random)};
                if (!box.empty && inside(box, p)) continue;
                ++outside;
                ASSERT_LT(image.sample(p[0], p[1], p[2]), static_cast<float>(level))
                    << "round " << round << ", level " << level << ", at " << p[0] << " " << p[1] << " "
                    << p[2];
            }
        }
    }
    EXPECT_GT(outside, 100000);  // the boxes do leave samples out
}

}  // namespace
