#include "app/looks.h"

#include <gtest/gtest.h>

#include <string>

#include "volume/volume.h"

namespace {

using app::looks;

std::string tableOf(const app::Look& look, int shift) {
    uint8_t table[1024];
    app::makeLookTable(look, shift, table);
    return std::string(reinterpret_cast<const char*>(table), sizeof table);
}

// The start look is the viewer's own table and threshold, byte for byte.
TEST(Looks, TheStartLookIsTheVolumesDefaultTableAndThreshold) {
    volume::Volume defaultVolume("", 2);  // empty: no file, the default table
    const std::unique_ptr<uint8_t[]> own = defaultVolume.createTransferTable(256);
    EXPECT_EQ(tableOf(looks()[0], 0), std::string(reinterpret_cast<const char*>(own.get()), 1024));
    EXPECT_FLOAT_EQ(looks()[0].threshold, 0.3f);
}

TEST(Looks, StartLookFollowsTheOptionThenTheModality) {
    const char* const rows[][3] = {{"", "", "CT"},
                                   {"MR", "", "MR"},
                                   {"MR", "CT bone", "CT bone"},
                                   {"CT", "ct", "refused"},
                                   {"", "Bone", "refused"}};
    for (const auto& row : rows) {
        std::string error;
        const int index = app::startLookFor(row[0], row[1], error);
        EXPECT_EQ(index < 0 ? "refused" : looks()[static_cast<std::size_t>(index)].name, std::string(row[2]))
            << row[0] << " / " << row[1] << ": " << error;
    }
}

}  // namespace
