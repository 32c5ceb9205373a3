// Dataset files for tests, made by the product's own writer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "volume/dataset_file.h"

namespace testing_support {

using SampleFunction = std::function<uint16_t(int x, int y, int z)>;
using volume::datasetHeader;

inline std::string datasetBytes(int dimX, int dimY, int dimZ, const SampleFunction& sample) {
    std::vector<uint16_t> samples;
    for (int z = 0; z < dimZ; ++z)
        for (int y = 0; y < dimY; ++y)
            for (int x = 0; x < dimX; ++x) samples.push_back(sample(x, y, z));
    const int dims[3] = {dimX, dimY, dimZ};
    std::string bytes;
    volume::encodeDataset(dims, samples, bytes);
    return bytes;
}

// A non-zero sample value that (nearly always) differs between positions,
// so a voxel's value tells which file sample it came from.
inline uint16_t positionCode(int x, int y, int z) {
    const uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                       static_cast<uint32_t>(z) * 83492791u;
    return static_cast<uint16_t>(1 + h % 65535u);
}

}  // namespace testing_support

#include <gtest/gtest.h>

#include <memory>

#include "tests/common/temp_dir.h"
#include "volume/volume.h"

namespace testing_support {

// Loads an edge^3 volume whose file sample (x, y, z) is sample(x, y, z);
// with a file of the grid's size, storage position equals file position.
inline std::unique_ptr<volume::Volume> loadCube(int edge, const SampleFunction& sample) {
    TempDir dir;
    const std::string path = dir.write("cube.dat", datasetBytes(edge, edge, edge, sample));
    testing::internal::CaptureStdout();
    auto loaded = std::make_unique<volume::Volume>(path.c_str(), edge);
    testing::internal::GetCapturedStdout();
    return loaded;
}

}  // namespace testing_support
