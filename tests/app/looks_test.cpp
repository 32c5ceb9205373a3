#include "app/looks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
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
    EXPECT_STREQ(looks()[0].name, "CT");
    EXPECT_FLOAT_EQ(looks()[0].threshold, 0.3f);
}

// Every look is its own: no two share table, threshold and passes; a shift
// moves the table by four entries a notch and the threshold by 4/255.
TEST(Looks, LooksDifferAndTheShiftMovesTableAndThreshold) {
    std::set<std::string> seen;
    for (const app::Look& look : looks()) {
        SCOPED_TRACE(look.name);
        const std::string key = tableOf(look, 0) + std::to_string(look.threshold) +
                                (look.isosurface ? "i" : "-") + (look.transparent ? "t" : "-");
        EXPECT_TRUE(seen.insert(key).second);
        const std::string base = tableOf(look, 0), up = tableOf(look, 2);
        EXPECT_EQ(up.substr(8 * 4), base.substr(0, 1024 - 8 * 4)) << "two notches up: entry k+8 is entry k";
        EXPECT_EQ(up.substr(0, 4), base.substr(0, 4)) << "below the range the lowest colour holds";
        EXPECT_NEAR(app::lookThreshold(look, -3), look.threshold - 12.0f / 255.0f, 1e-6);
    }
    // The MR ramp rises between its points instead of stepping.
    const std::string mr = tableOf(looks()[static_cast<std::size_t>(app::findLook("MR"))], 0);
    EXPECT_LT(mr[4 * 100 + 3], mr[4 * 200 + 3]);
    EXPECT_LT(mr[4 * 200 + 3], mr[4 * 255 + 3]);
}

TEST(Looks, StartLookFollowsTheOptionThenTheModality) {
    struct Row {
        const char* modality;
        const char* option;
        const char* expected;  // nullptr: refused
    } const rows[] = {
        {"", "", "CT"},          {"CT", "", "CT"},        {"MR", "", "MR"},
        {"MR", "CT bone", "CT bone"}, {"", "CT vessels", "CT vessels"}, {"CT", "ct", nullptr},
        {"", "Bone", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.modality) + " / " + row.option);
        std::string error;
        const int index = app::startLookFor(row.modality, row.option, error);
        if (row.expected == nullptr) {
            EXPECT_EQ(index, -1);
            EXPECT_NE(error.find("'CT', 'CT bone', 'CT skin', 'CT vessels', 'MR'"), std::string::npos) << error;
        } else {
            ASSERT_GE(index, 0);
            EXPECT_STREQ(looks()[static_cast<std::size_t>(index)].name, row.expected);
        }
    }
}

}  // namespace
