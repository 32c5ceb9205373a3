// The scalar volume the viewer renders: a cube of 16-bit samples resampled
// from the dataset file, one gradient per voxel, a colour table, lighting
// coefficients and the dataset's bounding planes. It produces the density,
// gradient and transfer-function images that the viewer uploads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "volume/volume_source.h"

namespace volume {

struct VoxelRecord {
    uint16_t value = 0;  // the sample
    uint8_t shade = 0;   // written by computeShading
};

// Samples held in memory, to be placed in the grid: dims[0] * dims[1] *
// dims[2] values in dataset-file order (x fastest, the top slice last),
// their first value at grid storage position `offset`.
struct PlacedSamples {
    int dims[3] = {0, 0, 0};
    const uint16_t* samples = nullptr;
    int offset[3] = {0, 0, 0};

    // `dims` in the middle of an edge^3 grid; an odd margin leaves the extra
    // voxel at the high end.
    static PlacedSamples centred(const int dims[3], const uint16_t* samples, int edge);
};

class Volume : public VolumeSource {
public:
    static constexpr int kColorTableSize = 4095;
    static constexpr int kValueCountSize = 4096;

    // Loads `path` onto an edge^3 grid. On failure the volume is empty:
    // isEmpty() is true and loadError() names the file and the problem.
    Volume(const char* path, int edge);
    // Places `scan` in an edge^3 grid of zeros; `name` stands for the file
    // in messages. Fails like the load from a file, and when `scan` does not
    // fit inside the grid.
    Volume(const PlacedSamples& scan, int edge, const std::string& name);
    Volume(const Volume&) = delete;
    Volume& operator=(const Volume&) = delete;
    ~Volume() override;

    support::Vector3 lightDirection() const override { return lightDirection_; }
    VoxelSampler* sampler() const override { return sampler_; }
    void boundingPlanes(Plane out[6]) const override;
    float ambient() const override { return ambient_; }
    float specular() const override { return specular_; }
    float diffuse() const override { return diffuse_; }
    int specularExponent() const override { return specularExponent_; }
    void setColorTable(const uint32_t source[kColorTableSize]) override;
    uint32_t sampleAt(float x, float y, float z, int32_t w) override;
    void bucketAverages(int32_t* out, int count) const override;
    void setLighting(float ambient, float diffuse, float specular, int exponent) override;
    void load(const char* path, int edge) override;
    uint32_t value(int x, int y, int k) override;
    int sizeX() const override { return sizeX_; }
    int sizeY() const override { return sizeY_; }
    void setLightDirection(const support::Vector3& direction) override;
    int sizeZ() const override { return sizeZ_; }
    int valueMode() const override { return valueMode_; }
    void setValueMode(int mode) override { valueMode_ = mode; }
    void computeShading(int32_t unused) override;
    uint32_t* colorTable() override { return colorTable_; }
    void dimensions(int32_t out[3]) const override;
    void attachSampler(VoxelSampler* sampler) override;
    support::Vector3 gradient(int x, int y, int k) override;
    support::Vector3 interpolatedGradient(float x, float y, float z) override;

    // Image buffers pass to the caller. Each is null when the volume is
    // empty, when `edge` is not the grid edge, or when memory runs out.
    virtual std::unique_ptr<uint8_t[]> createDensityTexture(int bits, int edge);  // edge^3 bytes
    virtual std::unique_ptr<uint8_t[]> createGradientTexture(int edge);           // 4 edge^3 bytes
    virtual std::unique_ptr<uint8_t[]> createTransferTable(int count);            // 256 RGBA entries
    virtual std::unique_ptr<int32_t[]> newBucketAverages(int count);
    virtual int maxValue() const { return 4095; }
    virtual bool probe(int32_t, int32_t, int32_t, int32_t) { return false; }

    // True when no dataset is loaded (the last load failed).
    bool isEmpty() const { return voxels_ == nullptr; }
    // Why the last load failed, naming the file; empty after a good load.
    const std::string& loadError() const { return loadError_; }

    // Where the loader's progress lines go; null silences them.
    void setProgressOutput(std::FILE* out) { progress_ = out; }

    // Packed normalised gradient of an access position (the GradientColor word).
    uint32_t packedGradient(int x, int y, int k);

    // The gradient pass of load: one gradient per voxel from the samples,
    // one progress dot per slice. Public so that it can be timed on its own.
    bool computeGradients();

private:
    bool inside(int x, int y, int k) const {
        return 0 < x && x < sizeX_ && 0 < y && y < sizeY_ && 0 < k && k < sizeZ_;
    }
    // Storage index of access position (x, y, k); the k axis runs top down.
    std::size_t storageIndex(int x, int y, int k) const {
        return static_cast<std::size_t>(x) +
               static_cast<std::size_t>(sizeX_) *
                   (static_cast<std::size_t>(y) +
                    static_cast<std::size_t>(sizeY_) * static_cast<std::size_t>(sizeZ_ - 1 - k));
    }
    bool fail(const char* path, const std::string& problem);
    void loadPlaced(const PlacedSamples& scan, int edge, const char* name);
    // What every load does once the grid is filled: the bounding planes
    // from `near` to `far`, then the value counts and the gradients.
    void setBounds(const support::Vector3& near, const support::Vector3& far);
    void finishLoad(const char* path, int edge);
    void countValues();
    void printProgress(const char* text);

    Plane planes_[6];
    float ambient_ = 0.1f;
    float diffuse_ = 0.3f;
    float specular_ = 0.6f;
    int32_t specularExponent_ = 40;
    int32_t valueMode_ = Density;
    VoxelSampler* sampler_ = nullptr;
    uint16_t sizeX_ = 0;
    uint16_t sizeY_ = 0;
    uint16_t sizeZ_ = 0;
    // Three floats per voxel: a Vector3 would add a pointer (its virtual
    // destructor) to every one of them.
    struct StoredGradient {
        float x, y, z;
    };
    std::unique_ptr<StoredGradient[]> gradients_;
    std::unique_ptr<VoxelRecord[]> voxels_;
    int32_t valueCounts_[kValueCountSize] = {};
    support::Vector3 lightDirection_;
    uint32_t colorTable_[kColorTableSize];

    std::string loadError_;
    std::FILE* progress_ = stdout;
};

// The 256-entry RGBA transfer table of a colour table of
// Volume::kColorTableSize words, as createTransferTable makes it.
std::unique_ptr<uint8_t[]> transferTableOf(const uint32_t* colorTable);

}  // namespace volume
