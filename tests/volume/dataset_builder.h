// Builds dataset files for tests: a header of three little-endian uint16
// dimensions, then the samples, x fastest.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace testing_support {

using SampleFunction = std::function<uint16_t(int x, int y, int z)>;

inline void putLittleEndian16(std::string& bytes, unsigned v) {
    bytes.push_back(static_cast<char>(v & 0xFF));
    bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// The six header bytes alone, for files whose samples are missing or
// announced beyond reason.
inline std::string datasetHeader(unsigned dimX, unsigned dimY, unsigned dimZ) {
    std::string bytes;
    for (unsigned v : {dimX, dimY, dimZ}) putLittleEndian16(bytes, v);
    return bytes;
}

inline std::string datasetBytes(int dimX, int dimY, int dimZ, const SampleFunction& sample) {
    std::string bytes = datasetHeader(static_cast<unsigned>(dimX), static_cast<unsigned>(dimY),
                                      static_cast<unsigned>(dimZ));
    bytes.reserve(6 + 2 * static_cast<std::size_t>(dimX) * dimY * dimZ);
    const auto put16 = [&bytes](unsigned v) { putLittleEndian16(bytes, v); };
    for (int z = 0; z < dimZ; ++z)
        for (int y = 0; y < dimY; ++y)
            for (int x = 0; x < dimX; ++x) put16(sample(x, y, z));
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

#include <memory>

#include <gtest/gtest.h>

#include "tests/common/temp_dir.h"
#include "volume/volume.h"

namespace testing_support {

// Loads an edge^3 volume whose file sample (x, y, z) is sample(x, y, z);
// with a file of the grid's size, storage position equals file position.
// VolumeType lets tests load a Volume subclass.
template <typename VolumeType = volume::Volume>
std::unique_ptr<VolumeType> loadCube(int edge, const SampleFunction& sample) {
    TempDir dir;
    const std::string path = dir.write("cube.dat", datasetBytes(edge, edge, edge, sample));
    testing::internal::CaptureStdout();
    auto loaded = std::make_unique<VolumeType>(path.c_str(), edge);
    testing::internal::GetCapturedStdout();
    return loaded;
}

}  // namespace testing_support
