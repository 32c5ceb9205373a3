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

// A maximum (minimum) blend keeps the brightest (faintest) colour along a
// ray; that is the colour of the brightest (faintest) sample only while the
// table never darkens with the value. A colour with no opacity would be
// dropped as empty space, which the minimum must never do.
TEST(Looks, ProjectionTablesRiseWithTheValueAndDropOnlyBlack) {
    int projections = 0;
    for (const app::Look& look : looks()) {
        if (look.projection == app::Projection::none) continue;
        SCOPED_TRACE(look.name);
        ++projections;
        EXPECT_FALSE(look.isosurface || look.transparent);
        uint8_t table[1024];
        app::makeLookTable(look, 0, table);
        for (int k = 0; k < 256; ++k) {
            const uint8_t* entry = table + 4 * k;
            const bool dimmer =
                k > 0 && (entry[0] < entry[-4] || entry[1] < entry[-3] || entry[2] < entry[-2]);
            EXPECT_FALSE(dimmer) << "entry " << k;
            EXPECT_TRUE(entry[3] > 0 || (look.projection == app::Projection::brightest &&
                                         entry[0] + entry[1] + entry[2] == 0))
                << "entry " << k;
        }
    }
    EXPECT_EQ(projections, 3);
}

}  // namespace
