#include "tools/volimport/phantom.h"

#include <gtest/gtest.h>

namespace {

using namespace volimport;

bool isBone(uint16_t v) { return v >= kPhantomBoneInner && v <= kPhantomBoneOuter; }

TEST(Phantom, IsAHeadWithAFrontalHoleAndItsTopAtHighZ) {
    SampleGrid g;
    makeHeadPhantom(64, 64, 64, g);
    ASSERT_EQ(g.samples.size(), 64u * 64u * 64u);
    std::size_t counts[4] = {};  // air, soft tissue, bone, other
    for (uint16_t v : g.samples) {
        ++counts[v == kPhantomAir ? 0 : v == kPhantomSoftTissue ? 1 : isBone(v) ? 2 : 3];
    }
    EXPECT_GT(counts[0], 0u);
    EXPECT_GT(counts[1], counts[2]);
    EXPECT_GT(counts[2], 0u);
    EXPECT_EQ(counts[3], 0u);
    EXPECT_EQ(g.at(0, 0, 0), kPhantomAir);
    EXPECT_EQ(g.at(32, 32, 32), kPhantomSoftTissue);

    // Walking down the middle column from the top: air, then bone, then soft
    // tissue; the neck reaches the first slice.
    int top = 63;
    while (g.at(32, 32, top) == kPhantomAir) --top;
    EXPECT_GT(top, 48);
    EXPECT_TRUE(isBone(g.at(32, 32, top)));
    EXPECT_EQ(g.at(32, 32, 0), kPhantomSoftTissue);
    EXPECT_EQ(g.at(2, 2, 0), kPhantomAir);

    // Along the y axis at the hole's height the back (low y) hits bone, the
    // front (high y) goes straight from air into soft tissue.
    const int z = 45;
    int back = 0, front = 63;
    while (g.at(32, back, z) == kPhantomAir) ++back;
    while (g.at(32, front, z) == kPhantomAir) --front;
    EXPECT_TRUE(isBone(g.at(32, back, z)));
    EXPECT_EQ(g.at(32, front, z), kPhantomSoftTissue);

    SampleGrid again;
    makeHeadPhantom(64, 64, 64, again);
    EXPECT_EQ(again.samples, g.samples);
    makeHeadPhantom(1, 3, 2, again);
    EXPECT_EQ(again.samples.size(), 6u);
}

}  // namespace
