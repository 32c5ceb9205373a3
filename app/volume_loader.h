// Loads the dataset and makes the texture images on a thread of its own,
// so that start-up can have the driver build its shaders meanwhile. The
// load's progress lines are the only output of that thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "volume/volume.h"

namespace app {

struct LoadedVolume {
    std::unique_ptr<volume::Volume> volume;  // null only when memory ran out
    // The images to upload; null when the volume is empty.
    std::unique_ptr<uint8_t[]> densityImage;
    std::unique_ptr<uint8_t[]> gradientImage;
    std::unique_ptr<uint8_t[]> transferTable;

    // Names the first image missing from a volume that is not empty (memory
    // ran out while it was made); null when every image is there.
    const char* missingImage() const;
};

class VolumeLoader {
public:
    VolumeLoader(std::string path, int edge);
    // Places samples held in memory instead; `name` stands for the file in
    // messages.
    VolumeLoader(std::vector<uint16_t> samples, volume::PlacedSamples placement, std::string name, int edge);
    ~VolumeLoader();  // waits for the thread
    VolumeLoader(const VolumeLoader&) = delete;
    VolumeLoader& operator=(const VolumeLoader&) = delete;

    // Waits for the load and hands over what it made.
    LoadedVolume take();

private:
    void start(std::function<std::unique_ptr<volume::Volume>()> make, int edge);

    LoadedVolume loaded_;
    std::thread thread_;
};

}  // namespace app
