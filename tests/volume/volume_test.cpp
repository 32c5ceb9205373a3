// Voxel access, value modes, sampling and the small accessors of Volume.
#include "volume/volume.h"

#include <gtest/gtest.h>

#include "tests/volume/dataset_builder.h"

namespace {

using support::Vector3;
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
        {1, 500, 0xFF00000Fu},  {2, 1200, 0xFFFF002Fu}, {3, 2000, 0xFFFFFFA0u}, {4, 4094, 0xFFFFFFA0u},
        // Samples beyond the table share its last entry.
        {5, 4095, 0xFFFFFFA0u}, {6, 9000, 0xFFFFFFA0u}, {7, 65535, 0xFFFFFFA0u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        volume->setValueMode(volume::Density);
        EXPECT_EQ(volume->value(row.x, 3, 3), row.density);
        volume->setValueMode(volume::Color);
        EXPECT_EQ(volume->value(row.x, 3, 3), row.color);
        volume->setValueMode(volume::ShadedColor);
        volume->value(row.x, 3, 3);  // must stay inside the table
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

class RecordingSampler : public volume::VoxelSampler {
public:
    uint32_t sample(float x, float, float, int32_t w) override { return static_cast<uint32_t>(x) * 1000 + w; }
    void attachTo(volume::Volume* volume) override { attachedTo = volume; }
    volume::Volume* attachedTo = nullptr;
};

TEST(Volume, AttachedSamplerAnswersInsideTheVolumeOnly) {
    auto volume = loadCube(kEdge, positionCode);
    RecordingSampler sampler;
    volume->attachSampler(&sampler);
    EXPECT_EQ(sampler.attachedTo, volume.get());
    EXPECT_EQ(volume->sampler(), &sampler);
    EXPECT_EQ(volume->sampleAt(3.2f, 1.0f, 1.0f, 7), 3007u);
    EXPECT_EQ(volume->sampleAt(0.0f, 1.0f, 1.0f, 7), 0u);
    EXPECT_EQ(volume->sampleAt(3.0f, 1.0f, kEdge, 7), 0u);
    volume->attachSampler(nullptr);
    EXPECT_EQ(volume->sampler(), nullptr);
}

TEST(Volume, LightingAndLightDirection) {
    auto volume = loadCube(4, positionCode);
    EXPECT_TRUE(volume->lightDirection().equals({-1, 0, 0}));
    EXPECT_EQ(volume->ambient(), 0.1f);
    EXPECT_EQ(volume->diffuse(), 0.3f);
    EXPECT_EQ(volume->specular(), 0.6f);
    EXPECT_EQ(volume->specularExponent(), 40);
    volume->setLighting(0.2f, 0.5f, 0.3f, 10);
    EXPECT_EQ(volume->ambient(), 0.2f);
    EXPECT_EQ(volume->specular(), 0.3f);
    EXPECT_EQ(volume->diffuse(), 0.5f);
    EXPECT_EQ(volume->specularExponent(), 10);
    volume->setLightDirection(Vector3(0, 0, 2));
    EXPECT_TRUE(volume->lightDirection().equals({0, 0, 1}));
    EXPECT_EQ(volume->maxValue(), 4095);
    EXPECT_FALSE(volume->probe(1, 2, 3, 4));
}

TEST(Volume, BucketAveragesDivideByTheBucketWidthPlusOne) {
    // 4^3 voxels: 64 samples of value 10.
    auto volume = loadCube(4, [](int, int, int) { return uint16_t{10}; });
    auto perValue = volume->newBucketAverages(4095);  // buckets [i, i + 1)
    ASSERT_NE(perValue, nullptr);
    EXPECT_EQ(perValue[10], 32);
    EXPECT_EQ(perValue[11], 0);
    int32_t whole[1];
    volume->bucketAverages(whole, 1);  // [0, 4095) / 4096
    EXPECT_EQ(whole[0], 0);
    EXPECT_EQ(volume->newBucketAverages(0), nullptr);
}

TEST(Plane, DefaultAndAxisRules) {
    const volume::Plane plane;
    EXPECT_TRUE(plane.axisV.equals({0, -10, 0}));
    EXPECT_TRUE(plane.axisU.equals({10, 0, 0}));
    EXPECT_TRUE(plane.origin.equals({0, 0, 0}));
    EXPECT_TRUE(plane.normal.equals({0, 0, 1}));
    EXPECT_EQ(plane.offset, 0.0f);
    const volume::Plane alongX(Vector3(1, 0, 0), Vector3(3, 4, 5));
    EXPECT_TRUE(alongX.axisV.equals({0, 0, -10}));
    EXPECT_EQ(alongX.offset, -3.0f);
}

}  // namespace
