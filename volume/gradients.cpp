// Gradients of the sample field: the gradient pass of load, gradient
// look-ups, the packed gradient word, the gradient image and shading.
#include <algorithm>
#include <cmath>
#include <new>
#include <thread>
#include <vector>

#include "support/parallel.h"
#include "volume/gradient_word.h"
#include "volume/volume.h"

namespace volume {

using support::Vector3;

using support::inParallel;

bool Volume::computeGradients() {
    const int sx = sizeX_, sy = sizeY_, sz = sizeZ_;
    const std::size_t count = static_cast<std::size_t>(sx) * sy * sz;
    gradients_.reset(new (std::nothrow) StoredGradient[count]);
    // The density field with a margin of two voxels on every side, read once
    // through value() so that each sample is fetched once rather than twelve
    // times. Held in storage orientation: z = sizeZ - 1 - k.
    const std::size_t px = static_cast<std::size_t>(sx) + 4, py = static_cast<std::size_t>(sy) + 4;
    const std::size_t pz = static_cast<std::size_t>(sz) + 4;
    std::unique_ptr<int32_t[]> field(new (std::nothrow) int32_t[px * py * pz]);
    if (!gradients_ || !field) {
        gradients_.reset();
        return false;
    }
    printProgress("calculating gradients ");

    // V is the sample inside the inside box and 0 outside it, as value()
    // gives in Density mode; read straight from the records.
    int32_t* out = field.get();
    for (int z = -2; z < sz + 2; ++z) {
        const int k = sz - 1 - z;
        for (int y = -2; y < sy + 2; ++y) {
            for (int x = -2; x < sx + 2; ++x) {
                *out++ = inside(x, y, k) ? voxels_[storageIndex(x, y, k)].value : 0;
            }
        }
    }
    const std::ptrdiff_t stepX = 1;
    const std::ptrdiff_t stepY = static_cast<std::ptrdiff_t>(px);
    const std::ptrdiff_t stepZ = static_cast<std::ptrdiff_t>(px * py);
    // Slices are shared out between the cores; the calling thread's share
    // starts at slice 0 and prints its dots as it goes, the rest after.
    const auto slices = [&](int first, int last) {
        for (int z = first; z < last; ++z) {
            StoredGradient* gradient = gradients_.get() + static_cast<std::size_t>(z) * sx * sy;
            for (int y = 0; y < sy; ++y) {
                const int32_t* v = field.get() + 2 + px * (static_cast<std::size_t>(y) + 2) +
                                   px * py * (static_cast<std::size_t>(z) + 2);
                for (int x = 0; x < sx; ++x, ++v, ++gradient) {
                    const float gx = gradientComponent(v[stepX] - v[-stepX], v[2 * stepX] - v[-2 * stepX]);
                    const float gy = gradientComponent(v[stepY] - v[-stepY], v[2 * stepY] - v[-2 * stepY]);
                    // Along k, which runs against storage z.
                    const float gk = gradientComponent(v[-stepZ] - v[stepZ], v[-2 * stepZ] - v[2 * stepZ]);
                    gradient->x = gx;
                    gradient->y = gy;
                    gradient->z = -gk;
                }
            }
            if (first == 0) printProgress(".");
        }
    };
    int firstShare = sz;
    inParallel(sz, [&](int first, int last) {
        if (first == 0) firstShare = last;
        slices(first, last);
    });
    for (int z = firstShare; z < sz; ++z) printProgress(".");
    printProgress("\n");
    return true;
}

Vector3 Volume::gradient(int x, int y, int k) {
    if (!inside(x, y, k) || !gradients_) return Vector3(0, 0, 0);
    const StoredGradient& stored = gradients_[storageIndex(x, y, k)];
    return Vector3(stored.x, stored.y, stored.z);
}

Vector3 Volume::interpolatedGradient(float x, float y, float z) {
    const int i = static_cast<int>(x), j = static_cast<int>(y), l = static_cast<int>(z);
    const float fx = std::fmod(x, 1.0f), fy = std::fmod(y, 1.0f), fz = std::fmod(z, 1.0f);
    const auto lerpX = [&](int b, int c) {
        return gradient(i, j + b, l + c).scale(1 - fx).add(gradient(i + 1, j + b, l + c).scale(fx));
    };
    const auto lerpXY = [&](int c) { return lerpX(0, c).scale(1 - fy).add(lerpX(1, c).scale(fy)); };
    return lerpXY(0).scale(1 - fz).add(lerpXY(1).scale(fz));
}

uint32_t Volume::packedGradient(int x, int y, int k) { return packGradient(gradient(x, y, k)); }

std::unique_ptr<uint8_t[]> Volume::createGradientTexture(int edge) {
    if (isEmpty() || edge != sizeX_ || edge != sizeY_ || edge != sizeZ_) return nullptr;
    const std::size_t count = static_cast<std::size_t>(edge) * edge * edge;
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[4 * count]);
    if (!image) return nullptr;
    // Walked in texel order (storage order), which keeps the writes
    // sequential; each core takes a share of the slices. The gradient word
    // and the density are read as value() gives them in GradientColor and
    // Density mode.
    inParallel(edge, [&](int first, int last) {
        for (int z = first; z < last; ++z) {
            const int k = edge - 1 - z;
            uint8_t* texel = image.get() + 4 * static_cast<std::size_t>(z) * edge * edge;
            for (int y = 0; y < edge; ++y) {
                for (int x = 0; x < edge; ++x, texel += 4) {
                    const bool within = inside(x, y, k);
                    const uint32_t word = within ? packedGradient(x, y, k) : 0;
                    texel[0] = static_cast<uint8_t>(word >> 16);
                    texel[1] = static_cast<uint8_t>(word >> 8);
                    texel[2] = static_cast<uint8_t>(word);
                    texel[3] = within ? static_cast<uint8_t>(voxels_[storageIndex(x, y, k)].value >> 4) : 0;
                }
            }
        }
    });
    setValueMode(Density);
    return image;
}

void Volume::computeShading(int32_t) {
    setValueMode(Color);
    const double ambient = ambient_, diffuse = diffuse_, specular = specular_;
    for (int k = 0; k < sizeZ_; ++k) {
        for (int y = 0; y < sizeY_; ++y) {
            for (int x = 0; x < sizeX_; ++x) {
                const Vector3 g = gradient(x, y, k);
                const float length = std::sqrt(g.dot(g));
                const float d = length > 0 ? g.normalized().dot(lightDirection_) : 0.0f;
                uint8_t shade;
                if (d > 0) {
                    const double light = specular * std::pow(static_cast<double>(d), specularExponent_) +
                                         diffuse * d + ambient;
                    shade = static_cast<uint8_t>(static_cast<int64_t>(255.0 * light) & 0xFF);
                } else {
                    shade = static_cast<uint8_t>(ambient * 255.0);
                }
                voxels_[storageIndex(x, y, k)].shade = shade;
            }
        }
    }
}

}  // namespace volume
