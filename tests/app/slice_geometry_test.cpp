// The slice lists as commands: their shape, the order of the two lists, the
// slice parameter at both ends, and the constant light vector every vertex
// carries. Recorded through a SliceSink, so no driver is needed.
#include "app/slice_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace app;

namespace {

struct Vertex {
    std::array<float, 3> unit0;
    std::array<float, 3> unit1;
    std::array<float, 4> unit2;
    std::array<float, 3> position;
};

struct Recording : SliceSink {
    std::vector<std::string> commands;  // "color", "begin", "vertex", "end" in order
    std::vector<std::array<float, 3>> colors;
    std::vector<std::vector<Vertex>> quads;
    Vertex pending{};
    bool inQuad = false;

    void color(float r, float g, float b) override {
        commands.push_back("color");
        colors.push_back({r, g, b});
    }
    void beginQuad() override {
        commands.push_back("begin");
        EXPECT_FALSE(inQuad);
        inQuad = true;
        quads.emplace_back();
    }
    void texCoordUnit0(float s, float t, float r) override { pending.unit0 = {s, t, r}; }
    void texCoordUnit1(const float xyz[3]) override { pending.unit1 = {xyz[0], xyz[1], xyz[2]}; }
    void texCoordUnit2(float s, float t, float r, float q) override { pending.unit2 = {s, t, r, q}; }
    void vertex(float x, float y, float z) override {
        commands.push_back("vertex");
        pending.position = {x, y, z};
        if (!quads.empty()) quads.back().push_back(pending);
        pending = Vertex{};  // every vertex must set all three coordinates again
    }
    void endQuad() override {
        commands.push_back("end");
        EXPECT_TRUE(inQuad);
        inQuad = false;
    }
};

Recording record(SliceOrder order) {
    Recording recording;
    emitSlices(recording, order, computeLightVector());
    return recording;
}

TEST(SliceGeometryTest, LightVectorIsTheZAxisTurnedByFortyFiveDegreesTwice) {
    const support::Vector3 light = computeLightVector();
    EXPECT_FLOAT_EQ(light.x, -0.70710677f);
    EXPECT_FLOAT_EQ(light.y, -0.49999997f);
    EXPECT_FLOAT_EQ(light.z, 0.49999997f);
}

TEST(SliceGeometryTest, SliceParameterKeepsItsFloatRoundingAtTheFarEnd) {
    EXPECT_EQ(sliceParameter(0), 1.0f);
    // 1/150 rounded to float first: 150 steps do not land exactly on zero.
    EXPECT_NE(sliceParameter(150), 0.0f);
    EXPECT_NEAR(sliceParameter(150), 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(sliceParameter(165), -0.10000002f);
}

TEST(SliceGeometryTest, EachListIsOneColourThen166QuadsOfFourVertices) {
    for (SliceOrder order : {SliceOrder::backToFront, SliceOrder::frontToBack}) {
        SCOPED_TRACE(order == SliceOrder::backToFront ? "back to front" : "front to back");
        const Recording recording = record(order);
        ASSERT_FALSE(recording.commands.empty());
        EXPECT_EQ(recording.commands.front(), "color");
        ASSERT_EQ(recording.colors.size(), 1u);
        EXPECT_EQ(recording.colors[0], (std::array<float, 3>{1, 0, 1}));
        ASSERT_EQ(recording.quads.size(), static_cast<size_t>(kSliceCount));
        ASSERT_EQ(kSliceCount, 166);
        size_t vertices = 0;
        for (const auto& quad : recording.quads) {
            EXPECT_EQ(quad.size(), 4u);
            vertices += quad.size();
        }
        EXPECT_EQ(vertices, 664u);
        // begin, four vertices, end, for every quad after the colour.
        EXPECT_EQ(recording.commands.size(), 1u + 166u * 6u);
    }
}

TEST(SliceGeometryTest, ListsRunBetweenTheSameEndSlicesInOppositeOrders) {
    struct Case {
        SliceOrder order;
        const char* what;
        float firstZ, firstR, lastZ, lastR;
    };
    const Case cases[] = {
        {SliceOrder::backToFront, "back to front", -0.8f, -0.10000002f, -0.25f, 1.0f},
        {SliceOrder::frontToBack, "front to back", -0.25f, 1.0f, -0.8f, -0.10000002f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Recording recording = record(c.order);
        ASSERT_EQ(recording.quads.size(), 166u);
        for (const Vertex& v : recording.quads.front()) {
            EXPECT_FLOAT_EQ(v.position[2], c.firstZ);
            EXPECT_FLOAT_EQ(v.unit0[2], c.firstR);
        }
        for (const Vertex& v : recording.quads.back()) {
            EXPECT_FLOAT_EQ(v.position[2], c.lastZ);
            EXPECT_FLOAT_EQ(v.unit0[2], c.lastR);
        }
        // Depth moves one way only, one slice per quad.
        for (size_t i = 1; i < recording.quads.size(); ++i) {
            const float step = recording.quads[i][0].position[2] - recording.quads[i - 1][0].position[2];
            EXPECT_TRUE(c.order == SliceOrder::backToFront ? step > 0 : step < 0) << "quad " << i;
        }
    }
    // The same quads, reversed.
    const Recording back = record(SliceOrder::backToFront), front = record(SliceOrder::frontToBack);
    for (size_t i = 0; i < 166; ++i) {
        EXPECT_EQ(back.quads[i][0].position, front.quads[165 - i][0].position) << "quad " << i;
    }
}

TEST(SliceGeometryTest, EveryVertexCarriesTheLightVectorAndTheConstantUnit2Coordinate) {
    const support::Vector3 light = computeLightVector();
    const std::array<float, 3> expectedLight = {light.x, light.y, light.z};
    const std::array<float, 4> expectedUnit2 = {0, 0, 1, 0};
    // Corners in drawing order: position (x, y) and unit-0 (s, t).
    const float corners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};
    for (SliceOrder order : {SliceOrder::backToFront, SliceOrder::frontToBack}) {
        SCOPED_TRACE(order == SliceOrder::backToFront ? "back to front" : "front to back");
        const Recording recording = record(order);
        int wrong = 0;
        for (const auto& quad : recording.quads) {
            for (size_t k = 0; k < quad.size() && k < 4; ++k) {
                const Vertex& v = quad[k];
                wrong += v.unit1 != expectedLight || v.unit2 != expectedUnit2;
                wrong += v.position[0] != corners[k][0] || v.position[1] != corners[k][1];
                wrong += v.unit0[0] != corners[k][2] || v.unit0[1] != corners[k][3];
                wrong += v.unit0[2] != quad[0].unit0[2] || v.position[2] != quad[0].position[2];
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
