// The slabs that viewer mode uploads, made on several threads, put together
// are the images the whole-volume load makes; a dataset that cannot be read
// or samples that do not fit are refused naming the file.
#include "app/slab_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/dataset_fit.h"
#include "app/volume_loader.h"
#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::TempDir;
using Next = app::SlabLoader::Next;

struct Images {
    std::vector<uint8_t> density, gradient;
    std::vector<int> timesMade;  // per slice
};

// Takes every slab into whole images of zeros, giving each back, until Done.
Images collect(app::SlabLoader& loader, int edge) {
    const std::size_t texels = static_cast<std::size_t>(edge) * edge;
    Images images{std::vector<uint8_t>(texels * edge), std::vector<uint8_t>(4 * texels * edge),
                  std::vector<int>(static_cast<std::size_t>(edge), 0)};
    for (;;) {
        app::ImageSlab slab;
        const Next next = loader.next(slab, std::chrono::milliseconds(50));
        if (next == Next::Done || next == Next::Failed) break;
        if (next != Next::Slab) continue;
        const volume::VoxelBox& box = loader.box();
        const std::size_t width = box.size(0);
        for (int z = slab.firstZ, row = 0; z < slab.firstZ + slab.count; ++z) {
            ++images.timesMade[z];
            for (int y = box.low[1]; y < box.high[1]; ++y, ++row) {
                const std::size_t at = texels * z + static_cast<std::size_t>(y) * edge + box.low[0];
                std::memcpy(&images.density[at], &slab.density[row * width], width);
                std::memcpy(&images.gradient[4 * at], &slab.gradient[4 * row * width], 4 * width);
            }
        }
        loader.giveBack(std::move(slab));
    }
    return images;
}

// The slabs, put in their places among zeros, are the whole load's images:
// each slice of the box made once, and nothing but zeros outside it.
void expectSameImages(const Images& slabbed, const app::LoadedVolume& whole, const volume::VoxelBox& box,
                      int edge) {
    ASSERT_TRUE(whole.densityImage && whole.gradientImage);
    const std::size_t count = static_cast<std::size_t>(edge) * edge * edge;
    for (int z = 0; z < edge; ++z) {
        const bool inBox = z >= box.low[2] && z < box.high[2];
        EXPECT_EQ(slabbed.timesMade[static_cast<std::size_t>(z)], inBox ? 1 : 0) << "slice " << z;
    }
    EXPECT_EQ(std::memcmp(slabbed.density.data(), whole.densityImage.get(), count), 0);
    EXPECT_EQ(std::memcmp(slabbed.gradient.data(), whole.gradientImage.get(), 4 * count), 0);
}

uint16_t ridges(int x, int y, int z) {
    return static_cast<uint16_t>((x * 131 + y * y * 17 + z * 977) % 4096);
}

TEST(SlabLoader, SlabsOnAnyNumberOfThreadsAreTheWholeLoadsImages) {
    // At edge 150 a slab holds 18 slices: the last one is shorter.
    constexpr int kEdge = 150;
    TempDir dir;
    const std::string path = dir.write("head.dat", testing_support::datasetBytes(40, 31, 23, ridges));
    testing::internal::CaptureStdout();
    const app::LoadedVolume whole = app::VolumeLoader(path, kEdge).take();
    testing::internal::GetCapturedStdout();
    for (int threads : {1, 3}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        app::SlabLoader loader(path, kEdge, threads);
        const Images images = collect(loader, kEdge);
        expectSameImages(images, whole, loader.box(), kEdge);
        EXPECT_EQ(loader.slicesDone(), kEdge);
        // The file sits at the low x and y and the top of a cube far larger.
        EXPECT_TRUE(loader.box().size(0) < 50 && loader.box().size(2) < 30) << loader.box().size(0);
    }
}

TEST(SlabLoader, SamplesFromMemoryGiveTheImagesOfTheirPlacedVolume) {
    constexpr int kEdge = 24;
    const int dims[3] = {20, 9, 24};
    std::vector<uint16_t> samples;
    for (int z = 0; z < dims[2]; ++z)
        for (int y = 0; y < dims[1]; ++y)
            for (int x = 0; x < dims[0]; ++x) samples.push_back(ridges(x, y, z));
    const auto placement = volume::PlacedSamples::centred(dims, nullptr, kEdge);
    testing::internal::CaptureStdout();
    const app::LoadedVolume whole = app::VolumeLoader(samples, placement, "scan", kEdge).take();
    testing::internal::GetCapturedStdout();
    app::SlabLoader loader(samples, placement, "scan", kEdge, 2);
    const Images images = collect(loader, kEdge);
    expectSameImages(images, whole, loader.box(), kEdge);
}

TEST(SlabLoader, RefusesWhatCannotBeReadOrPlacedNamingIt) {
    TempDir dir;
    app::ImageSlab slab;
    app::SlabLoader missing(dir.path() + "/none.dat", 16);
    while (missing.next(slab, std::chrono::milliseconds(50)) == Next::Waiting) {
    }
    EXPECT_EQ(missing.error().rfind(dir.path() + "/none.dat: ", 0), 0u) << missing.error();

    const int dims[3] = {4, 20, 4};
    app::SlabLoader tooLarge(std::vector<uint16_t>(4 * 20 * 4, 1000),
                             volume::PlacedSamples::centred(dims, nullptr, 16), "big scan", 16);
    while (tooLarge.next(slab, std::chrono::milliseconds(50)) == Next::Waiting) {
    }
    EXPECT_EQ(tooLarge.error(), "big scan: a 4 x 20 x 4 scan does not fit a grid of edge 16");
}

}  // namespace

// A dataset file on a grid its longest axis does not span: fitted to the
// edge, up or down, and placed from the low x and y and the top; a file that
// spans it, or that the loader scales down itself, is left alone.
TEST(DatasetFit, TheLongestAxisSpansTheGridAndTheTopStaysOnTop) {
    TempDir dir;
    const auto fit = [&dir](int dimX, int dimY, int dimZ, int edge, volume::PlacedSamples& placement,
                            std::vector<uint16_t>& samples) {
        const std::string path = dir.file("fit.dat");
        testing_support::writeBytes(path, testing_support::datasetBytes(dimX, dimY, dimZ, [](int, int, int) {
                                        return uint16_t{1000};
                                    }));
        std::string error;
        const bool fitted = app::fitDatasetFile(path, edge, samples, placement, error);
        EXPECT_EQ(error, "");
        return fitted;
    };
    volume::PlacedSamples placement;
    std::vector<uint16_t> samples;
    ASSERT_TRUE(fit(4, 4, 2, 8, placement, samples));
    EXPECT_EQ(std::vector<int>(placement.dims, placement.dims + 3), (std::vector<int>{8, 8, 4}));
    EXPECT_EQ(std::vector<int>(placement.offset, placement.offset + 3), (std::vector<int>{0, 0, 4}));
    ASSERT_EQ(samples.size(), 8u * 8 * 4);
    EXPECT_EQ(std::count(samples.begin(), samples.end(), 1000), 8 * 8 * 4);  // a constant stays constant
    ASSERT_TRUE(fit(16, 16, 4, 8, placement, samples));  // one axis short of the edge: fitted down
    EXPECT_EQ(std::vector<int>(placement.dims, placement.dims + 3), (std::vector<int>{8, 8, 2}));
    EXPECT_FALSE(fit(8, 6, 5, 8, placement, samples));     // spans the edge already
    EXPECT_FALSE(fit(16, 12, 10, 8, placement, samples));  // the loader scales it down

    std::string error;
    EXPECT_FALSE(app::fitDatasetFile(dir.file("missing.dat"), 8, samples, placement, error));
    EXPECT_NE(error.find("missing.dat"), std::string::npos) << error;
}
