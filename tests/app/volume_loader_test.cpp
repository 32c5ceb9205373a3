// The volume loaded on its own thread: what it hands over is what loading
// on the calling thread makes, and which image memory ran out for.
#include "app/volume_loader.h"

#include <gtest/gtest.h>

#include <cstring>

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
