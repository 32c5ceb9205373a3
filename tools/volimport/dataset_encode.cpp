#include "tools/volimport/dataset_encode.h"

namespace volimport {

bool encodeDataset(const SampleGrid& grid, std::vector<unsigned char>& out) {
    for (int d : grid.dims) {
        if (d < 1 || d > kMaxDatasetDim) return false;
    }
    const std::size_t count = grid.count();
    if (grid.samples.size() != count) return false;
    out.resize(6 + 2 * count);
    unsigned char* p = out.data();
    for (int d : grid.dims) {
        *p++ = static_cast<unsigned char>(d & 0xff);
        *p++ = static_cast<unsigned char>(d >> 8);
    }
    for (uint16_t v : grid.samples) {
        *p++ = static_cast<unsigned char>(v & 0xff);
        *p++ = static_cast<unsigned char>(v >> 8);
    }
    return true;
}

}  // namespace volimport
