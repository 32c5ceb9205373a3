// The density image and the transfer-function table.
#include <new>

#include "volume/volume.h"

namespace volume {

std::unique_ptr<uint8_t[]> Volume::createDensityTexture(int /*bits: always 8*/, int edge) {
    setValueMode(Density);
    if (isEmpty() || edge != sizeX_ || edge != sizeY_ || edge != sizeZ_) return nullptr;
    const std::size_t count = static_cast<std::size_t>(edge) * edge * edge;
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[count]());
    if (!image) return nullptr;
    uint8_t* texel = image.get();
    for (int k = edge - 1; k >= 0; --k) {
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x) *texel++ = static_cast<uint8_t>(value(x, y, k) >> 4);
        }
    }
    return image;
}

std::unique_ptr<uint8_t[]> Volume::createTransferTable(int /*count: always 256*/) {
    return transferTableOf(colorTable_);
}

std::unique_ptr<uint8_t[]> transferTableOf(const uint32_t* colorTable) {
    constexpr int kEntries = 256;
    std::unique_ptr<uint8_t[]> table(new (std::nothrow) uint8_t[4 * kEntries]);
    if (!table) return nullptr;
    for (int k = 0; k < kEntries; ++k) {
        // Entry k stands for density byte k, samples 16k to 16k + 15.
        const uint32_t word = colorTable[16 * k];
        table[4 * k + 0] = static_cast<uint8_t>(word >> 24);
        table[4 * k + 1] = static_cast<uint8_t>(word >> 16);
        table[4 * k + 2] = static_cast<uint8_t>(word >> 8);
        table[4 * k + 3] = static_cast<uint8_t>(word);
    }
    return table;
}

}  // namespace volume
