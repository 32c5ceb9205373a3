// Optional delegate of Volume::sampleAt. No class of the viewer implements it.
#pragma once

#include <cstdint>

namespace volume {

class Volume;

class VoxelSampler {
public:
    virtual ~VoxelSampler() = default;
    // Sample at a continuous position inside the volume.
    virtual uint32_t sample(float x, float y, float z, int32_t w) = 0;
    // Called when the sampler is attached to a volume.
    virtual void attachTo(Volume* volume) = 0;
};

}  // namespace volume
