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
    thread_ = std::thread([this, path = std::move(path), edge] {
        try {
            loaded_.volume = std::make_unique<volume::Volume>(path.c_str(), edge);
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
