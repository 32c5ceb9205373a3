// A block of 16-bit samples in storage order: x fastest, then y, then z.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scan {

struct SampleGrid {
    int dims[3] = {0, 0, 0};
    std::vector<uint16_t> samples;

    std::size_t count() const {
        return static_cast<std::size_t>(dims[0]) * static_cast<std::size_t>(dims[1]) *
               static_cast<std::size_t>(dims[2]);
    }
    std::size_t index(int x, int y, int z) const {
        return static_cast<std::size_t>(x) +
               static_cast<std::size_t>(dims[0]) *
                   (static_cast<std::size_t>(y) +
                    static_cast<std::size_t>(dims[1]) * static_cast<std::size_t>(z));
    }
    uint16_t at(int x, int y, int z) const { return samples[index(x, y, z)]; }
};

}  // namespace scan
