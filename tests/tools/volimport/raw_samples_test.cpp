#include "tools/volimport/raw_samples.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using volimport::ByteOrder;
using volimport::SampleType;

TEST(RawSamples, DecodesEachTypeAndByteOrderAndClamps) {
    const struct {
        const char* name;
        SampleType type;
        ByteOrder order;
        std::vector<unsigned char> bytes;
        int offset;
        std::vector<uint16_t> expected;
        std::size_t below, above;
    } cases[] = {
        {"uint8", SampleType::UInt8, ByteOrder::Little, {0, 1, 200, 255}, 0, {0, 1, 200, 255}, 0, 0},
        {"uint8 offset", SampleType::UInt8, ByteOrder::Big, {0, 5, 10, 255}, -5, {0, 0, 5, 250}, 1, 0},
        {"uint16 little", SampleType::UInt16, ByteOrder::Little,
         {0x34, 0x12, 0xff, 0x0f, 0x00, 0x10, 0xff, 0xff}, 0, {4095, 4095, 4095, 4095}, 0, 3},
        {"uint16 little small", SampleType::UInt16, ByteOrder::Little,
         {0x01, 0x02, 0xff, 0x0f, 0x00, 0x00, 0x07, 0x00}, 0, {0x201, 4095, 0, 7}, 0, 0},
        {"uint16 big", SampleType::UInt16, ByteOrder::Big,
         {0x02, 0x01, 0x0f, 0xff, 0x00, 0x00, 0x00, 0x07}, 0, {0x201, 4095, 0, 7}, 0, 0},
        // -1024 (air), 0 (water), 3071, -2000 (outside the scan circle)
        {"int16 little", SampleType::Int16, ByteOrder::Little,
         {0x00, 0xfc, 0x00, 0x00, 0xff, 0x0b, 0x30, 0xf8}, 1024, {0, 1024, 4095, 0}, 1, 0},
        {"int16 big", SampleType::Int16, ByteOrder::Big,
         {0xfc, 0x00, 0x00, 0x00, 0x0c, 0x00, 0x80, 0x00}, 1024, {0, 1024, 4095, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        volimport::RawLayout layout;
        layout.dims[0] = 2;
        layout.dims[1] = 2;
        layout.dims[2] = 1;
        layout.type = c.type;
        layout.order = c.order;
        std::size_t bytes = 0;
        ASSERT_TRUE(volimport::rawByteCount(layout, bytes));
        ASSERT_EQ(bytes, c.bytes.size());
        volimport::SampleGrid grid;
        volimport::ClampStats stats;
        volimport::decodeSamples(c.bytes.data(), layout, c.offset, grid, stats);
        EXPECT_EQ(grid.samples, c.expected);
        EXPECT_EQ(stats.below, c.below);
        EXPECT_EQ(stats.above, c.above);
    }
}

}  // namespace
