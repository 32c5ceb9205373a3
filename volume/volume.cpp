// Construction, accessors, voxel values and bucket averages of Volume.
#include "volume/volume.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "volume/color_table.h"

namespace volume {

using support::Vector3;

Volume::Volume(const char* path, int edge) {
    lightDirection_ = Vector3(-1, 0, 0).normalized();
    fillDefaultColorTable(colorTable_);
    Volume::load(path, edge);  // not through the virtual table: this is construction
    valueMode_ = Density;
}

Volume::~Volume() = default;

void Volume::boundingPlanes(Plane out[6]) const {
    for (int i = 0; i < 6; ++i) out[i] = planes_[i];
}

void Volume::setColorTable(const uint32_t source[kColorTableSize]) {
    std::memcpy(colorTable_, source, sizeof colorTable_);
}

void Volume::setLighting(float ambient, float diffuse, float specular, int exponent) {
    ambient_ = ambient;
    diffuse_ = diffuse;
    specular_ = specular;
    specularExponent_ = exponent;
}

void Volume::setLightDirection(const Vector3& direction) { lightDirection_ = direction.normalized(); }

void Volume::dimensions(int32_t out[3]) const {
    out[0] = sizeX_;
    out[1] = sizeY_;
    out[2] = sizeZ_;
}

void Volume::attachSampler(VoxelSampler* sampler) {
    sampler_ = sampler;
    if (sampler_ != nullptr) sampler_->attachTo(this);
}

uint32_t Volume::value(int x, int y, int k) {
    if (!inside(x, y, k)) return 0;
    const VoxelRecord& record = voxels_[storageIndex(x, y, k)];
    // Samples of 4095 and above share the table's last colour.
    const auto colorOf = [this](uint16_t sample) {
        return colorTable_[std::min<int>(sample, kColorTableSize - 1)];
    };
    switch (valueMode_) {
    case Density:
        return record.value;
    case ShadedColor: {
        const uint32_t color = colorOf(record.value);
        uint32_t result = color & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t byte = (color >> shift) & 0xFFu;
            result |= (byte * record.shade / 255u) << shift;
        }
        return result;
    }
    case Color:
        return colorOf(record.value);
    case GradientColor:
        return packedGradient(x, y, k);
    default:
        return 0;
    }
}

uint32_t Volume::sampleAt(float x, float y, float z, int32_t w) {
    if (sampler_ != nullptr) {
        const bool within = 0 < x && x < sizeX_ && 0 < y && y < sizeY_ && 0 < z && z < sizeZ_;
        return within ? sampler_->sample(x, y, z, w) : 0;
    }
    // Round half up, and keep far-away positions out of int overflow.
    const auto nearest = [](float c) {
        if (!(std::fabs(c) < 1e9f)) return -1;
        const int whole = static_cast<int>(c);
        return std::fmod(c, 1.0f) >= 0.5f ? whole + 1 : whole;
    };
    return value(nearest(x), nearest(y), nearest(z));
}

void Volume::bucketAverages(int32_t* out, int count) const {
    const double step = 4095.0 / count;
    double current = 0.0;
    for (int i = 0; i < count; ++i) {
        const double next = current + step;
        const int from = static_cast<int>(current);
        const int to = std::min(static_cast<int>(next), kValueCountSize);
        // The bucket covers valueCounts[from, to) and is divided by its
        // width plus one.
        uint32_t sum = 0;
        for (int v = from; v < to; ++v) sum += static_cast<uint32_t>(valueCounts_[v]);
        const uint32_t divisor = static_cast<uint32_t>(to - from + 1);
        out[i] = divisor == 0 ? 0 : static_cast<int32_t>(sum / divisor);
        current = next;
    }
}

std::unique_ptr<int32_t[]> Volume::newBucketAverages(int count) {
    if (count <= 0) return nullptr;
    std::unique_ptr<int32_t[]> out(new (std::nothrow) int32_t[static_cast<std::size_t>(count)]);
    if (out) bucketAverages(out.get(), count);
    return out;
}

void Volume::countValues() {
    std::fill(std::begin(valueCounts_), std::end(valueCounts_), 0);
    const std::size_t count = static_cast<std::size_t>(sizeX_) * sizeY_ * sizeZ_;
    for (std::size_t i = 0; i < count; ++i) {
        const uint16_t v = voxels_[i].value;
        if (v < kValueCountSize) ++valueCounts_[v];
    }
}

}  // namespace volume
