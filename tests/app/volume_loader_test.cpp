// The volume loaded on its own thread: what it hands over is what loading
// on the calling thread makes, and which image memory ran out for.
#include "app/volume_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::TempDir;

constexpr int kEdge = 16;

TEST(VolumeLoader, HandsOverTheVolumeAndTheImagesOfALoadOnThisThread) {
    TempDir dir;
    const std::string path =
        dir.write("head.dat", testing_support::datasetBytes(kEdge, kEdge, kEdge, [](int x, int y, int z) {
                      return static_cast<uint16_t>((x * 37 + y * 11 + z * 5) % 4096);
                  }));
    testing::internal::CaptureStdout();
    app::LoadedVolume loaded = app::VolumeLoader(path, kEdge).take();
    volume::Volume here(path.c_str(), kEdge);
    const auto density = here.createDensityTexture(8, kEdge);
    const auto gradient = here.createGradientTexture(kEdge);
    const auto table = here.createTransferTable(256);
    const std::string progress = testing::internal::GetCapturedStdout();

    ASSERT_TRUE(loaded.volume);
    ASSERT_FALSE(loaded.volume->isEmpty());
    ASSERT_TRUE(loaded.densityImage && loaded.gradientImage && loaded.transferTable);
    const std::size_t texels = static_cast<std::size_t>(kEdge) * kEdge * kEdge;
    EXPECT_EQ(std::memcmp(loaded.densityImage.get(), density.get(), texels), 0);
    EXPECT_EQ(std::memcmp(loaded.gradientImage.get(), gradient.get(), 4 * texels), 0);
    EXPECT_EQ(std::memcmp(loaded.transferTable.get(), table.get(), 4 * 256), 0);
    // Both loads told their progress, whole lines each.
    const std::string line = "loading data\n";
    EXPECT_NE(progress.find(line), progress.rfind(line));
}

// Samples held in memory, centred, land where a dataset file holding them in
// the middle of the grid has them.
TEST(VolumeLoader, CentresSamplesFromMemoryAsADatasetFileHoldingThemThere) {
    const int dims[3] = {4, 3, 2}, from[3] = {6, 6, 7}, to[3] = {10, 9, 9};
    const auto value = [&](int x, int y, int z) {
        const bool in = x >= from[0] && x < to[0] && y >= from[1] && y < to[1] && z >= from[2] && z < to[2];
        return uint16_t(in ? 1000 + x * 37 + y * 11 + z * 5 : 0);
    };
    std::vector<uint16_t> block;
    for (int z = from[2]; z < to[2]; ++z)
        for (int y = from[1]; y < to[1]; ++y)
            for (int x = from[0]; x < to[0]; ++x) block.push_back(value(x, y, z));
    TempDir dir;
    const std::string path =
        dir.write("block.dat", testing_support::datasetBytes(kEdge, kEdge, kEdge, value));
    const app::LoadedVolume file = app::VolumeLoader(path, kEdge).take();
    const app::LoadedVolume memory =
        app::VolumeLoader(block, volume::PlacedSamples::centred(dims, nullptr, kEdge), "b", kEdge).take();
    ASSERT_TRUE(file.densityImage && memory.densityImage);
    EXPECT_EQ(std::memcmp(memory.densityImage.get(), file.densityImage.get(), kEdge * kEdge * kEdge), 0);
}

TEST(VolumeLoader, NamesTheFirstImageThatMemoryRanOutFor) {
    TempDir dir;
    const std::string path = dir.write(
        "head.dat",
        testing_support::datasetBytes(kEdge, kEdge, kEdge, [](int, int, int) { return uint16_t{900}; }));
    testing::internal::CaptureStdout();
    app::LoadedVolume loaded = app::VolumeLoader(path, kEdge).take();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(loaded.missingImage(), nullptr);
    loaded.transferTable.reset();
    EXPECT_STREQ(loaded.missingImage(), "transfer-function table");
    loaded.gradientImage.reset();
    EXPECT_STREQ(loaded.missingImage(), "gradient texture image");
    loaded.densityImage.reset();
    EXPECT_STREQ(loaded.missingImage(), "density texture image");
}

}  // namespace
