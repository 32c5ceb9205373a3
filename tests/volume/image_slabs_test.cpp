// The images made a slab at a time straight from the samples are the
// volume's own images, byte for byte, however the slices are cut into slabs
// and whether the grid copies, pads, crops, scales or places the samples.
#include "volume/image_slabs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/volume/dataset_builder.h"

namespace {

using testing_support::TempDir;

// A field with smooth and steep parts, zeros near one face and the full
// 12-bit range, so that gradients point every way.
uint16_t headLike(int x, int y, int z) {
    if (x < 2) return 0;
    return static_cast<uint16_t>((x * x * 7 + y * 13 * z + z * z * 3 + (x ^ y) * 29) % 4096);
}

struct Images {
    std::vector<uint8_t> density, gradient;
};

// The images of `source` made in slabs of `slabDepth` slices.
Images slabbed(const volume::GridSource& source, int slabDepth) {
    const std::size_t texels = static_cast<std::size_t>(source.edge()) * source.edge();
    Images images{std::vector<uint8_t>(texels * source.edge(), 0xAB),
                  std::vector<uint8_t>(4 * texels * source.edge(), 0xAB)};
    std::vector<int32_t> scratch;
    for (int z = 0; z < source.edge(); z += slabDepth) {
        const int count = std::min(slabDepth, source.edge() - z);
        volume::makeImageSlab(source, z, count, images.density.data() + texels * z,
                              images.gradient.data() + 4 * texels * z, scratch);
    }
    return images;
}

// Every texel that is not zero in either image lies in the box, and off
// the box's faces (a filter clamped there reads zeros), but where a face is
// the grid's own. (The slabs of the box are the loader's: slab_loader_test.)
void expectBoxHoldsTheImages(const uint8_t* density, const uint8_t* gradient,
                             const volume::GridSource& source) {
    const std::size_t edge = static_cast<std::size_t>(source.edge());
    const volume::VoxelBox box = source.imageBox();
    int outside = 0;
    for (std::size_t at = 0; at < edge * edge * edge; ++at) {
        if (density[at] == 0 && std::memcmp(gradient + 4 * at, "\0\0\0\0", 4) == 0) continue;
        const int c[3] = {static_cast<int>(at % edge), static_cast<int>(at / edge % edge),
                          static_cast<int>(at / edge / edge)};
        for (std::size_t a = 0; a < 3; ++a) {
            outside += (c[a] <= box.low[a] && box.low[a] > 0) ||
                       (c[a] >= box.high[a] - 1 && box.high[a] < source.edge());
        }
    }
    EXPECT_EQ(outside, 0) << "texels on or beyond the faces of the box";
}

void expectVolumeImages(volume::Volume& volume, const volume::GridSource& source) {
    const int edge = source.edge();
    ASSERT_FALSE(volume.isEmpty()) << volume.loadError();
    const auto density = volume.createDensityTexture(8, edge);
    const auto gradient = volume.createGradientTexture(edge);
    const std::size_t count = static_cast<std::size_t>(edge) * edge * edge;
    for (int depth : {1, 3, edge}) {
        SCOPED_TRACE("slabs of " + std::to_string(depth));
        const Images images = slabbed(source, depth);
        EXPECT_EQ(std::memcmp(images.density.data(), density.get(), count), 0);
        EXPECT_EQ(std::memcmp(images.gradient.data(), gradient.get(), 4 * count), 0);
    }
    expectBoxHoldsTheImages(density.get(), gradient.get(), source);
}

TEST(ImageSlabs, MatchTheImagesOfADatasetFileLoadedOntoTheGrid) {
    struct Case {
        const char* name;
        int dims[3];
        int edge;
    };
    const Case cases[] = {
        {"padded", {9, 7, 5}, 12},    {"copied", {12, 12, 12}, 12},      {"cropped", {20, 6, 14}, 12},
        {"scaled", {25, 19, 31}, 12}, {"scaled flat", {40, 33, 13}, 11}, {"in a corner", {7, 6, 4}, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> samples;
        for (int z = 0; z < c.dims[2]; ++z)
            for (int y = 0; y < c.dims[1]; ++y)
                for (int x = 0; x < c.dims[0]; ++x) samples.push_back(headLike(x, y, z));
        TempDir dir;
        const std::string path =
            dir.write("scan.dat", testing_support::datasetBytes(c.dims[0], c.dims[1], c.dims[2], headLike));
        volume::Volume loaded(path.c_str(), c.edge);
        loaded.setProgressOutput(nullptr);
        expectVolumeImages(
            loaded, volume::GridSource::resampled(samples.data(), c.dims[0], c.dims[1], c.dims[2], c.edge));
    }
}

TEST(ImageSlabs, MatchTheImagesOfSamplesPlacedInTheGrid) {
    struct Case {
        const char* name;
        int dims[3];
        int edge;
    };
    // Centred with margins, and filling whole axes (which reach the grid's
    // outer layer, read as zero).
    const Case cases[] = {
        {"centred", {6, 5, 3}, 11}, {"filling x and z", {10, 4, 10}, 10}, {"small", {5, 4, 3}, 17}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> samples;
        for (int z = 0; z < c.dims[2]; ++z)
            for (int y = 0; y < c.dims[1]; ++y)
                for (int x = 0; x < c.dims[0]; ++x)
                    samples.push_back(static_cast<uint16_t>(headLike(x, y, z) + 7));
        const auto placement = volume::PlacedSamples::centred(c.dims, samples.data(), c.edge);
        EXPECT_EQ(volume::placementError(placement, c.edge), "");
        volume::Volume placed(placement, c.edge, "scan");
        expectVolumeImages(placed, volume::GridSource::placed(placement, c.edge));
    }
}

TEST(ImageSlabs, ASampleBlockLargerThanTheGridDoesNotFit) {
    const int dims[3] = {5, 9, 5};
    const auto placement = volume::PlacedSamples::centred(dims, nullptr, 8);
    EXPECT_EQ(volume::placementError(placement, 8), "a 5 x 9 x 5 scan does not fit a grid of edge 8");
}

}  // namespace
