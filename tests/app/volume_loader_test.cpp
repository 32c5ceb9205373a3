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

// Samples held in memory land where a dataset file holding them at that
// place puts them; a block reaching out of the grid is refused.
TEST(VolumeLoader, PlacesSamplesFromMemoryWhereADatasetFileHasThem) {
    volume::PlacedSamples at;  // a 4 x 3 x 2 block from (5, 6, 7)
    const auto inBlock = [&](int x, int y, int z) {
        const int p[3] = {x - at.offset[0], y - at.offset[1], z - at.offset[2]};
        for (int a = 0; a < 3; ++a)
            if (p[a] < 0 || p[a] >= at.dims[a]) return false;
        return true;
    };
    const auto value = [&](int x, int y, int z) {
        return uint16_t(inBlock(x, y, z) ? 1000 + x * 37 + y * 11 + z * 5 : 0);
    };
    at = {{4, 3, 2}, nullptr, {5, 6, 7}};
    TempDir dir;
    const std::string path =
        dir.write("block.dat", testing_support::datasetBytes(kEdge, kEdge, kEdge, value));
    std::vector<uint16_t> block;
    for (int i = 0; i < kEdge * kEdge * kEdge; ++i)
        if (inBlock(i % kEdge, i / kEdge % kEdge, i / kEdge / kEdge))
            block.push_back(value(i % kEdge, i / kEdge % kEdge, i / kEdge / kEdge));
    testing::internal::CaptureStdout();
    const app::LoadedVolume file = app::VolumeLoader(path, kEdge).take();
    const app::LoadedVolume memory = app::VolumeLoader(block, at, "block", kEdge).take();
    at.offset[2] = kEdge - 1;
    const app::LoadedVolume outside = app::VolumeLoader(block, at, "block", kEdge).take();
    testing::internal::GetCapturedStdout();

    ASSERT_TRUE(file.densityImage && memory.densityImage && memory.gradientImage);
    const std::size_t texels = static_cast<std::size_t>(kEdge) * kEdge * kEdge;
    EXPECT_EQ(std::memcmp(memory.densityImage.get(), file.densityImage.get(), texels), 0);
    EXPECT_EQ(std::memcmp(memory.gradientImage.get(), file.gradientImage.get(), 4 * texels), 0);
    ASSERT_TRUE(outside.volume && outside.volume->isEmpty());
    EXPECT_EQ(outside.volume->loadError(), "block: a 4 x 3 x 2 scan does not fit a grid of edge 16");
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
