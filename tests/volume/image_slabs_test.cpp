// The images made a slab at a time straight from the samples are the
// volume's own images, byte for byte, however the slices are cut into slabs
// and whether the grid copies, pads, crops, scales or places the samples.
#include "volume/image_slabs.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// the grid's own; the box's slabs hold the images' texels within it.
void expectBoxHoldsTheImages(const uint8_t* density, const uint8_t* gradient,
                             const volume::GridSource& source) {
    const int edge = source.edge();
    const volume::VoxelBox box = source.imageBox();
    int outside = 0;
    std::size_t at = 0;
    for (int z = 0; z < edge; ++z) {
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x, ++at) {
                uint32_t word = 0;
                std::memcpy(&word, gradient + 4 * at, 4);
                if (density[at] == 0 && word == 0) continue;
                const int c[3] = {x, y, z};
                for (std::size_t a = 0; a < 3; ++a) {
                    const bool clear = (c[a] > box.low[a] || box.low[a] == 0) &&
                                       (c[a] < box.high[a] - 1 || box.high[a] == edge);
                    if (!clear) ++outside;
                }
            }
        }
    }
    EXPECT_EQ(outside, 0) << "texels on or beyond the faces of the box";
    const std::size_t width = static_cast<std::size_t>(box.size(0));
    const std::size_t area = width * static_cast<std::size_t>(box.size(1));
    const std::size_t count = area * static_cast<std::size_t>(box.size(2));
    std::vector<uint8_t> boxDensity(count, 0xAB), boxGradient(4 * count, 0xAB);
    std::vector<int32_t> scratch;
    for (int z = box.low[2]; z < box.high[2]; z += 2) {
        const int slices = std::min(2, box.high[2] - z);
        const std::size_t first = area * static_cast<std::size_t>(z - box.low[2]);
        volume::makeImageSlab(source, box, z, slices, boxDensity.data() + first,
                              boxGradient.data() + 4 * first, scratch);
    }
    int wrong = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t x = static_cast<std::size_t>(box.low[0]) + i % width;
        const std::size_t y =
            static_cast<std::size_t>(box.low[1]) + i / width % static_cast<std::size_t>(box.size(1));
        const std::size_t z = static_cast<std::size_t>(box.low[2]) + i / area;
        const std::size_t whole =
            (z * static_cast<std::size_t>(edge) + y) * static_cast<std::size_t>(edge) + x;
        wrong +=
            boxDensity[i] != density[whole] || std::memcmp(&boxGradient[4 * i], gradient + 4 * whole, 4) != 0;
    }
    EXPECT_EQ(wrong, 0) << "texels of the box's slabs unlike the whole images'";
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
