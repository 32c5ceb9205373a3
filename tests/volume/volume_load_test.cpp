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
#ifndef _WIN32
#include "tests/common/unprivileged.h"
#endif
#include "tests/volume/dataset_builder.h"
#include "volume/volume.h"

namespace {

using testing_support::datasetBytes;
using testing_support::datasetHeader;
using testing_support::TempDir;

TEST(VolumeLoad, PrintsTheProgressLinesWithOneDotPerSlice) {
    TempDir dir;
    const std::string path = dir.write("cube.dat", datasetBytes(4, 4, 4, [](int, int, int) { return 7; }));
    testing::internal::CaptureStdout();
    volume::Volume volume(path.c_str(), 16);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "loading data\nresampling data\ncalculating gradients " + std::string(16, '.') + "\n");
    EXPECT_FALSE(volume.isEmpty());
    EXPECT_EQ(volume.loadError(), "");
}

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
    // Storage (x, y, 6 + z) holds file sample (x, y, z); access k = 7 - storage z.
    // Storage (x, y, 6 + z) holds file sample (x, y, z); access k counts
    // down from the top, so k = 1 is storage z 6 and k = 0 is never inside.
    EXPECT_EQ(volume.value(1, 1, 0), 0u);
    EXPECT_EQ(volume.value(1, 1, 1), 100u + 1 + 2);
    EXPECT_EQ(volume.value(1, 0, 1), 0u);
    EXPECT_EQ(volume.value(1, 1, 2), 0u);  // padding below the data
}

TEST(VolumeLoad, PlanesKeepFileUnitsWhileSizesBecomeTheEdge) {
    TempDir dir;
    const std::string path = dir.write("wide.dat", datasetBytes(20, 20, 10, [](int, int, int) { return 1; }));
    volume::Volume volume(path.c_str(), 8);
    volume::Plane planes[6];
    volume.boundingPlanes(planes);
    EXPECT_TRUE(planes[3].normal.equals({1, 0, 0}));
    EXPECT_TRUE(planes[3].origin.equals({20, 20, 10}));
    EXPECT_EQ(planes[3].offset, -20.0f);
    EXPECT_TRUE(planes[0].axisV.equals({0, 0, 10}));
    EXPECT_TRUE(planes[0].axisU.equals({0, 10, 0}));
    int32_t dims[3];
    volume.dimensions(dims);
    EXPECT_EQ(dims[0], 8);
    EXPECT_EQ(dims[2], 8);
}

TEST(VolumeLoad, TrailingBytesAreIgnored) {
    TempDir dir;
    const std::string path =
        dir.write("tail.dat", datasetBytes(3, 3, 3, [](int, int, int) { return 50; }) + "garbage!");
    volume::Volume volume(path.c_str(), 3);
    EXPECT_FALSE(volume.isEmpty());
    EXPECT_EQ(volume.value(1, 1, 1), 50u);
}

TEST(VolumeLoad, BadFilesLeaveTheVolumeEmptyWithAMessageNamingFileAndProblem) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.dat"));
    struct BadFile {
        const char* name;
        std::string bytes;  // not written when empty and name is special
        const char* problem;
    };
    const std::string full = datasetBytes(4, 4, 4, [](int, int, int) { return 9; });
    const BadFile cases[] = {
        {"missing.dat", "", "cannot open"},
        {"folder.dat", "", "is a directory"},
        {"short-header.dat", std::string("\x04\x00\x04", 3), "header needs 6 bytes"},
        {"empty.dat", std::string(), "header needs 6 bytes"},
        {"zero-dimension.dat", datasetHeader(4, 0, 4), "dimension is zero"},
        {"no-samples.dat", datasetHeader(4, 4, 4), "truncated"},
        {"one-sample-short.dat", full.substr(0, full.size() - 2), "truncated"},
        {"odd-byte-short.dat", full.substr(0, full.size() - 1), "truncated"},
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

// A damaged file fails the same way wherever it was cut: in the header or
// anywhere in the samples.
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

#ifndef _WIN32  // devices, pipes, permissions and other users are POSIX
// Devices and pipes have no length to check a header against, and some never
// end: they are refused before a byte is read, in bounded time and memory.
TEST(VolumeLoad, DevicesAndPipesAreRefusedUnread) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("pipe.dat").c_str(), 0600), 0);  // no writer: opening it must not wait
    const std::size_t peakBefore = platform::peakResidentBytes();
    for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/urandom"), std::string("/dev/null"),
                                   dir.file("pipe.dat")}) {
        SCOPED_TRACE(path);
        volume::Volume volume(path.c_str(), 16);
        EXPECT_TRUE(volume.isEmpty());
        EXPECT_EQ(volume.loadError(), path + ": is not a regular file (a device or a pipe)");
    }
    EXPECT_LT(platform::peakResidentBytes() - peakBefore, std::size_t(64) << 20);
}

TEST(VolumeLoad, UnreadableFileSaysPermissionDenied) {
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    const std::string path = dir.write("locked.dat", datasetBytes(2, 2, 2, [](int, int, int) { return 7; }));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const testing_support::UnprivilegedResult run = testing_support::runUnprivileged([&path] {
        volume::Volume volume("", 4);
        volume.setProgressOutput(nullptr);
        volume.load(path.c_str(), 4);
        return volume.isEmpty() ? volume.loadError() : std::string("loaded");
    });
    ASSERT_TRUE(run.ran) << "could not run as an unprivileged user";
    EXPECT_EQ(run.output, path + ": cannot open (Permission denied)");
}
#endif

TEST(VolumeLoad, ReloadAfterFailureRecovers) {
    TempDir dir;
    const std::string good = dir.write("good.dat", datasetBytes(4, 4, 4, [](int, int, int) { return 33; }));
    volume::Volume volume(dir.file("absent.dat").c_str(), 4);
    ASSERT_TRUE(volume.isEmpty());
    volume.setProgressOutput(nullptr);
    volume.load(good.c_str(), 4);
    EXPECT_FALSE(volume.isEmpty());
    EXPECT_EQ(volume.loadError(), "");
    EXPECT_EQ(volume.value(2, 2, 2), 33u);
}

TEST(VolumeLoad, ImagesNeedTheGridEdge) {
    TempDir dir;
    const std::string path = dir.write("cube.dat", datasetBytes(4, 4, 4, [](int, int, int) { return 16; }));
    volume::Volume volume(path.c_str(), 4);
    EXPECT_EQ(volume.createDensityTexture(8, 8), nullptr);
    EXPECT_EQ(volume.createGradientTexture(5), nullptr);
    EXPECT_NE(volume.createDensityTexture(8, 4), nullptr);
}

}  // namespace
