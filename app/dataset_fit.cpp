#include "app/dataset_fit.h"

#include <algorithm>
#include <new>

#include "scan/fit_resample.h"
#include "volume/dataset_file.h"
#include "volume/resample.h"

namespace app {

bool datasetNeedsFitting(const int dims[3], int edge) {
    return std::max({dims[0], dims[1], dims[2]}) != edge &&
           !volume::resampleScales(dims[0], dims[1], dims[2], edge);
}

bool fitDatasetSamples(const scan::SampleGrid& grid, int edge, std::vector<uint16_t>& samples,
                       volume::PlacedSamples& placement, std::string& error) {
    const double spacing[3] = {1.0, 1.0, 1.0};  // a dataset file's samples are cubes
    scan::CubicShape shape;
    if (!scan::fittedShape(grid.dims, spacing, edge, 65535, shape, error)) return false;
    scan::SampleGrid fitted;
    scan::resampleFitted(grid, spacing, shape, fitted);
    placement = volume::PlacedSamples{};
    for (int a = 0; a < 3; ++a) placement.dims[a] = fitted.dims[a];
    placement.offset[2] = edge - fitted.dims[2];
    samples = std::move(fitted.samples);
    return true;
}

bool fitDatasetFile(const std::string& path, int edge, std::vector<uint16_t>& samples,
                    volume::PlacedSamples& placement, std::string& error) {
    error.clear();
    volume::DatasetFile file;
    if (!file.open(path.c_str())) {
        error = file.error();
        return false;
    }
    scan::SampleGrid read;
    read.dims[0] = file.dimX();
    read.dims[1] = file.dimY();
    read.dims[2] = file.dimZ();
    if (!datasetNeedsFitting(read.dims, edge)) return false;
    try {
        read.samples.resize(file.sampleCount());
        if (!file.readSamples(read.samples.data())) {
            error = file.error();
            return false;
        }
        if (!fitDatasetSamples(read, edge, samples, placement, error)) {
            error = path + ": " + error;
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = path + ": not enough memory to fit it to a grid of edge " + std::to_string(edge);
        return false;
    }
    return true;
}

}  // namespace app
