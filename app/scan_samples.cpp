#include "app/scan_samples.h"

#include <algorithm>
#include <new>

#include "volume/dataset_file.h"

namespace app {

void placeDataset(const int dims[3], float origin[3], float span[3]) {
    // Viewer mode's loader makes the longest axis span the cube: it scales a
    // larger dataset down and fits any other to the edge.
    const int longest = std::max({dims[0], dims[1], dims[2]});
    for (int a = 0; a < 3; ++a) {
        span[a] = static_cast<float>(dims[a]) / static_cast<float>(longest);
        origin[a] = 0.0f;
    }
    origin[2] = 1.0f - span[2];
}

bool readDatasetSamples(const std::string& path, ScanSamples& out, std::string& error) {
    volume::DatasetFile file;
    if (!file.open(path.c_str())) {
        error = file.error();
        return false;
    }
    ScanSamples read;
    read.dims[0] = file.dimX();
    read.dims[1] = file.dimY();
    read.dims[2] = file.dimZ();
    read.hounsfield = true;
    placeDataset(read.dims, read.textureOrigin, read.textureSpan);
    try {
        read.samples.resize(file.sampleCount());
    } catch (const std::bad_alloc&) {
        error = path + ": not enough memory for the slices";
        return false;
    }
    if (!file.readSamples(read.samples.data())) {
        error = file.error();
        return false;
    }
    // Values beyond 12 bits read as the largest, as the renderer clamps them.
    for (uint16_t& sample : read.samples) sample = std::min<uint16_t>(sample, 4095);
    out = std::move(read);
    return true;
}

void percentileRange(const ScanSamples& scan, int& low, int& high) {
    std::vector<std::size_t> counts(4096, 0);
    for (uint16_t sample : scan.samples) ++counts[std::min<uint16_t>(sample, 4095)];
    const std::size_t total = scan.samples.size();
    const std::size_t lowRank = total / 100, highRank = total - total / 100;
    std::size_t seen = 0;
    low = -1;
    high = 4095;
    for (int value = 0; value < 4096; ++value) {
        seen += counts[static_cast<std::size_t>(value)];
        if (low < 0 && seen > lowRank) low = value;
        if (seen >= highRank) {
            high = value;
            break;
        }
    }
    low = std::max(low, 0);
    high = std::max(high, low + 1);
}

}  // namespace app
