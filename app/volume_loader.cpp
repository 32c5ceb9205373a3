#include "app/volume_loader.h"

#include <new>
#include <utility>

namespace app {

const char* LoadedVolume::missingImage() const {
    if (!volume || volume->isEmpty()) return nullptr;
    if (!densityImage) return "density texture image";
    if (!gradientImage) return "gradient texture image";
    if (!transferTable) return "transfer-function table";
    return nullptr;
}

VolumeLoader::VolumeLoader(std::string path, int edge) {
    start([path = std::move(path), edge] { return std::make_unique<volume::Volume>(path.c_str(), edge); },
          edge);
}

VolumeLoader::VolumeLoader(std::vector<uint16_t> samples, volume::PlacedSamples placement, std::string name,
                           int edge) {
    start(
        [samples = std::move(samples), placement, name = std::move(name), edge]() mutable {
            placement.samples = samples.data();
            auto made = std::make_unique<volume::Volume>(placement, edge, name);
            std::vector<uint16_t>().swap(samples);  // the grid holds them now
            return made;
        },
        edge);
}

void VolumeLoader::start(std::function<std::unique_ptr<volume::Volume>()> make, int edge) {
    thread_ = std::thread([this, make = std::move(make), edge] {
        try {
            loaded_.volume = make();
        } catch (const std::bad_alloc&) {
            loaded_.volume.reset();
            return;
        }
        volume::Volume& volume = *loaded_.volume;
        if (volume.isEmpty()) return;
        loaded_.densityImage = volume.createDensityTexture(8, edge);
        loaded_.gradientImage = volume.createGradientTexture(edge);
        loaded_.transferTable = volume.createTransferTable(256);
    });
}

VolumeLoader::~VolumeLoader() {
    if (thread_.joinable()) thread_.join();
}

LoadedVolume VolumeLoader::take() {
    if (thread_.joinable()) thread_.join();
    return std::move(loaded_);
}

}  // namespace app
