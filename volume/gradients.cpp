// Gradients of the sample field: the gradient pass of load, gradient
// look-ups, the packed gradient word, the gradient image and shading.
#include <cmath>
#include <new>

#include "volume/volume.h"

namespace volume {

using support::Vector3;

namespace {

// The single-precision number nearest 1/6, used in double arithmetic.
const double kSixth = static_cast<double>(0.16666667f);

// One gradient component from the differences over one and two voxels.
float component(int64_t d1, int64_t d2) {
    return static_cast<float>(0.5 * static_cast<double>(d1) + kSixth * static_cast<double>(d2));
}

// Byte of a normalised component: -1 -> 0, 0 -> 128, +1 -> 255.
uint32_t gradientByte(float c) {
    // NOTE: (1 + 1) * 128 = 256 does not fit a byte; +1.0 is stored as 255
    // rather than wrapping to 0, the byte of -1.0.
    if (c >= 1.0f) return 255;
    const int byte = static_cast<int>((static_cast<double>(c) + 1.0) * 128.0);
    return byte < 0 ? 0u : static_cast<uint32_t>(byte);
}

}  // namespace

bool Volume::computeGradients() {
    const int sx = sizeX_, sy = sizeY_, sz = sizeZ_;
    const std::size_t count = static_cast<std::size_t>(sx) * sy * sz;
    gradients_.reset(new (std::nothrow) Vector3[count]);
    // The density field with a margin of two voxels on every side, read once
    // through value() so that each sample is fetched once rather than twelve
    // times. Held in storage orientation: z = sizeZ - 1 - k.
    const std::size_t px = static_cast<std::size_t>(sx) + 4, py = static_cast<std::size_t>(sy) + 4;
    const std::size_t pz = static_cast<std::size_t>(sz) + 4;
    std::unique_ptr<int64_t[]> field(new (std::nothrow) int64_t[px * py * pz]);
    if (!gradients_ || !field) {
        gradients_.reset();
        return false;
    }
    printProgress("calculating gradients ");

    int64_t* out = field.get();
    for (int z = -2; z < sz + 2; ++z) {
        const int k = sz - 1 - z;
        for (int y = -2; y < sy + 2; ++y) {
            for (int x = -2; x < sx + 2; ++x) *out++ = value(x, y, k);
        }
    }

    const std::ptrdiff_t stepX = 1;
    const std::ptrdiff_t stepY = static_cast<std::ptrdiff_t>(px);
    const std::ptrdiff_t stepZ = static_cast<std::ptrdiff_t>(px * py);
    Vector3* gradient = gradients_.get();
    for (int z = 0; z < sz; ++z) {
        for (int y = 0; y < sy; ++y) {
            const int64_t* v = field.get() + 2 + px * (static_cast<std::size_t>(y) + 2) +
                               px * py * (static_cast<std::size_t>(z) + 2);
            for (int x = 0; x < sx; ++x, ++v, ++gradient) {
                const float gx = component(v[stepX] - v[-stepX], v[2 * stepX] - v[-2 * stepX]);
                const float gy = component(v[stepY] - v[-stepY], v[2 * stepY] - v[-2 * stepY]);
                // Along k, which runs against storage z.
                const float gk = component(v[-stepZ] - v[stepZ], v[-2 * stepZ] - v[2 * stepZ]);
                gradient->x = gx;
                gradient->y = gy;
                gradient->z = -gk;
            }
        }
        printProgress(".");
    }
    printProgress("\n");
    return true;
}

Vector3 Volume::gradient(int x, int y, int k) {
    if (!inside(x, y, k) || !gradients_) return Vector3(0, 0, 0);
    return gradients_[storageIndex(x, y, k)];
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

uint32_t Volume::packedGradient(int x, int y, int k) {
    const Vector3 g = gradient(x, y, k);
    if (g.x == 0 && g.y == 0 && g.z == 0) return 0;
    const Vector3 n = g.normalized();
    return gradientByte(n.x) << 16 | gradientByte(n.y) << 8 | gradientByte(n.z);
}

std::unique_ptr<uint8_t[]> Volume::createGradientTexture(int edge) {
    if (isEmpty() || edge != sizeX_ || edge != sizeY_ || edge != sizeZ_) return nullptr;
    const std::size_t count = static_cast<std::size_t>(edge) * edge * edge;
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[4 * count]);
    if (!image) return nullptr;
    // Walked in texel order (storage order), which keeps the writes sequential.
    uint8_t* texel = image.get();
    for (int k = edge - 1; k >= 0; --k) {
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x, texel += 4) {
                setValueMode(GradientColor);
                const uint32_t word = value(x, y, k);
                texel[0] = static_cast<uint8_t>(word >> 16);
                texel[1] = static_cast<uint8_t>(word >> 8);
                texel[2] = static_cast<uint8_t>(word);
                setValueMode(Density);
                texel[3] = static_cast<uint8_t>(value(x, y, k) >> 4);
            }
        }
    }
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
