// Volume from samples already in memory (a scan imported on the spot):
// placed in a grid of zeros, then the same gradients and counts as a load
// from a dataset file.
#include <algorithm>
#include <new>

#include "volume/color_table.h"
#include "volume/image_slabs.h"
#include "volume/volume.h"

namespace volume {

using support::Vector3;

Volume::Volume(const PlacedSamples& scan, int edge, const std::string& name) {
    lightDirection_ = Vector3(-1, 0, 0).normalized();
    fillDefaultColorTable(colorTable_);
    loadPlaced(scan, edge, name.c_str());
    valueMode_ = Density;
}

PlacedSamples PlacedSamples::centred(const int dims[3], const uint16_t* samples, int edge) {
    PlacedSamples placed;
    placed.samples = samples;
    for (int a = 0; a < 3; ++a) {
        placed.dims[a] = dims[a];
        placed.offset[a] = (edge - dims[a]) / 2;
    }
    return placed;
}

void Volume::loadPlaced(const PlacedSamples& scan, int edge, const char* name) {
    loadError_.clear();
    const std::string misfit = placementError(scan, edge);
    if (!misfit.empty()) {
        fail(name, misfit);
        return;
    }
    const auto corner = [](const int(&v)[3], const int(&add)[3]) {
        return Vector3(static_cast<float>(v[0] + add[0]), static_cast<float>(v[1] + add[1]),
                       static_cast<float>(v[2] + add[2]));
    };
    setBounds(corner(scan.offset, {0, 0, 0}), corner(scan.offset, scan.dims));

    printProgress("loading data\n");
    const std::size_t gridCount = static_cast<std::size_t>(edge) * edge * edge;
    voxels_.reset(new (std::nothrow) VoxelRecord[gridCount]);
    gradients_.reset();
    if (!voxels_) {
        fail(name, "out of memory for a grid of edge " + std::to_string(edge));
        return;
    }
    const std::size_t row = static_cast<std::size_t>(scan.dims[0]);
    const uint16_t* from = scan.samples;
    for (int z = 0; z < scan.dims[2]; ++z) {
        for (int y = 0; y < scan.dims[1]; ++y, from += row) {
            const std::size_t start =
                static_cast<std::size_t>(scan.offset[0]) +
                static_cast<std::size_t>(edge) * (static_cast<std::size_t>(scan.offset[1] + y) +
                                                  static_cast<std::size_t>(edge) * (scan.offset[2] + z));
            for (std::size_t x = 0; x < row; ++x) voxels_[start + x].value = from[x];
        }
    }
    finishLoad(name, edge);
}

}  // namespace volume
