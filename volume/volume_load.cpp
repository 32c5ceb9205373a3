// Volume::load: read the dataset file, resample it onto the grid and compute
// the gradients.
#include <new>

#include "volume/dataset_file.h"
#include "volume/resample.h"
#include "volume/volume.h"

namespace volume {

using support::Vector3;

namespace {
constexpr int kMaxEdge = 65535;  // the size fields are 16-bit
}

void Volume::printProgress(const char* text) {
    if (progress_ == nullptr) return;
    std::fputs(text, progress_);
    std::fflush(progress_);
}

bool Volume::fail(const char* path, const std::string& problem) {
    loadError_ = problem.rfind(path, 0) == 0 ? problem : std::string(path) + ": " + problem;
    voxels_.reset();
    gradients_.reset();
    sizeX_ = sizeY_ = sizeZ_ = 0;
    std::fill(std::begin(valueCounts_), std::end(valueCounts_), 0);
    return false;
}

void Volume::load(const char* path, int edge) {
    loadError_.clear();
    if (path == nullptr) path = "";
    DatasetFile file;
    if (!file.open(path)) {
        fail(path, file.error());
        return;
    }
    if (edge < 1 || edge > kMaxEdge) {
        fail(path, "grid edge " + std::to_string(edge) + " is out of range");
        return;
    }
    const int dimX = file.dimX();
    const int dimY = file.dimY();
    const int dimZ = file.dimZ();
    sizeX_ = file.dimX();
    sizeY_ = file.dimY();
    sizeZ_ = file.dimZ();
    voxels_.reset();
    gradients_.reset();

    setBounds(Vector3(0, 0, 0),
              Vector3(static_cast<float>(dimX), static_cast<float>(dimY), static_cast<float>(dimZ)));

    printProgress("loading data\n");
    const std::size_t gridCount = static_cast<std::size_t>(edge) * edge * edge;
    voxels_.reset(new (std::nothrow) VoxelRecord[gridCount]);
    std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[file.sampleCount()]);
    if (!voxels_ || !samples) {
        fail(path, "out of memory for a " + std::to_string(dimX) + " x " + std::to_string(dimY) + " x " +
                       std::to_string(dimZ) + " dataset on a grid of edge " + std::to_string(edge));
        return;
    }
    if (!file.readSamples(samples.get())) {
        fail(path, file.error());
        return;
    }

    printProgress("resampling data\n");
    resampleToGrid(samples.get(), dimX, dimY, dimZ, edge, voxels_.get());
    samples.reset();

    finishLoad(path, edge);
}

void Volume::setBounds(const Vector3& near, const Vector3& far) {
    planes_[0] = Plane(Vector3(-1, 0, 0), near);
    planes_[1] = Plane(Vector3(0, -1, 0), near);
    planes_[2] = Plane(Vector3(0, 0, -1), near);
    planes_[3] = Plane(Vector3(1, 0, 0), far);
    planes_[4] = Plane(Vector3(0, 1, 0), far);
    planes_[5] = Plane(Vector3(0, 0, 1), far);
}

void Volume::finishLoad(const char* path, int edge) {
    sizeX_ = sizeY_ = sizeZ_ = static_cast<uint16_t>(edge);
    countValues();
    setValueMode(Density);
    if (!computeGradients()) fail(path, "out of memory for the gradients");
}

}  // namespace volume
