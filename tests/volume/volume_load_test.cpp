// Loading dataset files into a Volume: progress output, planes, mapping of
// small files, and every kind of bad file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "platform/runtime.h"
#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::datasetBytes;
using testing_support::datasetHeader;
using testing_support::TempDir;

TEST(VolumeLoad, SmallFileLandsAtTheTopCornerOfTheGrid) {
    TempDir dir;
    const std::string path = dir.write(
        "two.dat", datasetBytes(2, 2, 2, [](int x, int y, int z) { return 100 + x + 2 * y + 4 * z; }));
    testing::internal::CaptureStdout();
    volume::Volume volume(path.c_str(), 8);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(volume.sizeX(), 8);
    EXPECT_EQ(volume.sizeZ(), 8);
    EXPECT_EQ(volume.valueMode(), volume::Density);
    // Storage (x, y, 6 + z) holds file sample (x, y, z); access k counts
    // down from the top, so k = 1 is storage z 6 and k = 0 is never inside.
    EXPECT_EQ(volume.value(1, 1, 0), 0u);
    EXPECT_EQ(volume.value(1, 1, 1), 100u + 1 + 2);
    EXPECT_EQ(volume.value(1, 0, 1), 0u);
    EXPECT_EQ(volume.value(1, 1, 2), 0u);  // padding below the data
}

TEST(VolumeLoad, BadFilesLeaveTheVolumeEmptyWithAMessageNamingFileAndProblem) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.dat"));
    struct BadFile {
        const char* name;
        std::string bytes;  // not written for the missing file and the folder
        const char* problem;
    };
    const BadFile cases[] = {
        {"missing.dat", "", "cannot open"},
        {"folder.dat", "", "is a directory"},
        {"zero-dimension.dat", datasetHeader(4, 0, 4), "dimension is zero"},
        {"huge.dat", datasetHeader(65535, 65535, 65535) + "\x01\x02", "truncated"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        if (std::string(c.name) != "missing.dat" && std::string(c.name) != "folder.dat") dir.write(c.name, c.bytes);
        testing::internal::CaptureStdout();
        volume::Volume volume(path.c_str(), 16);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(volume.isEmpty());
        EXPECT_NE(volume.loadError().find(path), std::string::npos) << volume.loadError();
        EXPECT_NE(volume.loadError().find(c.problem), std::string::npos) << volume.loadError();
        EXPECT_EQ(volume.sizeX(), 0);
        EXPECT_EQ(volume.value(1, 1, 1), 0u);
        EXPECT_TRUE(volume.gradient(1, 1, 1).equals({0, 0, 0}));
        EXPECT_EQ(volume.createDensityTexture(8, 16), nullptr);
        EXPECT_EQ(volume.createGradientTexture(16), nullptr);
    }
}

// A file cut anywhere, in the header or in the samples, fails.
TEST(VolumeLoad, FileCutAtEveryByteFails) {
    TempDir dir;
    const std::string full = datasetBytes(3, 2, 2, [](int x, int y, int z) { return 1 + x + 3 * y + 6 * z; });
    volume::Volume volume("", 4);
    volume.setProgressOutput(nullptr);
    for (std::size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE("first " + std::to_string(length) + " bytes");
        const std::string path = dir.write("cut.dat", full.substr(0, length));
        volume.load(path.c_str(), 4);
        EXPECT_TRUE(volume.isEmpty());
        EXPECT_EQ(volume.loadError().rfind(path + ": ", 0), 0u) << volume.loadError();
        const char* problem = length < 6 ? "the header needs 6 bytes" : "truncated: the header announces 3 x 2 x 2";
        EXPECT_NE(volume.loadError().find(problem), std::string::npos) << volume.loadError();
    }
    volume.load(dir.write("whole.dat", full).c_str(), 4);
    EXPECT_FALSE(volume.isEmpty()) << volume.loadError();
}

}  // namespace
