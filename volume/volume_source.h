// Abstract interface of a scalar volume. The declaration order is the
// virtual slot order that derived classes and callers rely on.
#pragma once

#include <cstdint>

#include "support/vector3.h"
#include "volume/plane.h"
#include "volume/voxel_sampler.h"

namespace volume {

// What Volume::value answers.
enum ValueMode : int32_t {
    Density = 1,       // the 16-bit sample
    ShadedColor = 2,   // colour word with its colour bytes scaled by the shade
    Color = 3,         // colour word of the sample
    GradientColor = 4  // packed normalised gradient
};

class VolumeSource {
public:
    virtual support::Vector3 lightDirection() const = 0;                  // 0
    virtual VoxelSampler* sampler() const = 0;                            // 1
    virtual void boundingPlanes(Plane out[6]) const = 0;                  // 2
    virtual float ambient() const = 0;                                    // 3
    virtual float specular() const = 0;                                   // 4
    virtual float diffuse() const = 0;                                    // 5
    virtual int specularExponent() const = 0;                             // 6
    virtual void setColorTable(const uint32_t source[4095]) = 0;          // 7
    virtual uint32_t sampleAt(float x, float y, float z, int32_t w) = 0;  // 8
    virtual void bucketAverages(int32_t* out, int count) const = 0;       // 9
    virtual void setLighting(float ambient, float diffuse, float specular,
                             int exponent) = 0;                                    // 10
    virtual void load(const char* path, int edge) = 0;                             // 11
    virtual uint32_t value(int x, int y, int k) = 0;                               // 12
    virtual int sizeX() const = 0;                                                 // 13
    virtual int sizeY() const = 0;                                                 // 14
    virtual void setLightDirection(const support::Vector3& direction) = 0;         // 15
    virtual int sizeZ() const = 0;                                                 // 16
    virtual int valueMode() const = 0;                                             // 17
    virtual void setValueMode(int mode) = 0;                                       // 18
    virtual void computeShading(int32_t unused) = 0;                               // 19
    virtual ~VolumeSource() = default;                                             // 20
    virtual uint32_t* colorTable() = 0;                                            // 21
    virtual void dimensions(int32_t out[3]) const = 0;                             // 22
    virtual void attachSampler(VoxelSampler* sampler) = 0;                         // 23
    virtual support::Vector3 gradient(int x, int y, int k) = 0;                    // 24
    virtual support::Vector3 interpolatedGradient(float x, float y, float z) = 0;  // 25
};

}  // namespace volume
