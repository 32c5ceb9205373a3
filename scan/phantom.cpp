#include "scan/phantom.h"

#include <cmath>

namespace scan {
namespace {

// Geometry in coordinates that run from -1 to 1 across each axis.
constexpr double kSemiAxis[3] = {0.72, 0.85, 0.78};
constexpr double kCentreZ = -0.12;    // top of the head at z = 0.66
constexpr double kShellInner = 0.86;  // inner surface, relative radius
constexpr double kHoleRadius = 0.16;  // around the y axis
constexpr double kHoleCentreZ = kCentreZ + 0.42;
constexpr double kNeck[2] = {0.3, 0.35};  // semi-axes in x and y

}  // namespace

void makeHeadPhantom(int dimX, int dimY, int dimZ, SampleGrid& out) {
    out.dims[0] = dimX;
    out.dims[1] = dimY;
    out.dims[2] = dimZ;
    out.samples.assign(out.count(), kPhantomAir);
    std::size_t i = 0;
    for (int z = 0; z < dimZ; ++z) {
        const double w = (z + 0.5) / dimZ * 2.0 - 1.0;
        for (int y = 0; y < dimY; ++y) {
            const double v = (y + 0.5) / dimY * 2.0 - 1.0;
            for (int x = 0; x < dimX; ++x, ++i) {
                const double u = (x + 0.5) / dimX * 2.0 - 1.0;
                const double a = u / kSemiAxis[0];
                const double b = v / kSemiAxis[1];
                const double c = (w - kCentreZ) / kSemiAxis[2];
                const double r = std::sqrt(a * a + b * b + c * c);
                if (r > 1.0) {
                    const double nu = u / kNeck[0], nv = v / kNeck[1];
                    if (w < kCentreZ && nu * nu + nv * nv < 1.0) {
                        out.samples[i] = kPhantomSoftTissue;
                    }
                    continue;
                }
                if (r < kShellInner) {
                    out.samples[i] = kPhantomSoftTissue;
                    continue;
                }
                const double du = u, dw = w - kHoleCentreZ;
                if (v > 0.0 && du * du + dw * dw < kHoleRadius * kHoleRadius) continue;
                const double t = (r - kShellInner) / (1.0 - kShellInner);
                out.samples[i] = static_cast<uint16_t>(
                    std::lround(kPhantomBoneInner + t * (kPhantomBoneOuter - kPhantomBoneInner)));
            }
        }
    }
}

}  // namespace scan
