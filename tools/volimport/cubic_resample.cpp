#include "tools/volimport/cubic_resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace volimport {
namespace {

// For each output sample of one axis: the lower input index and the weight
// of the upper one.
struct AxisTaps {
    std::vector<int> lower;
    std::vector<float> weight;
};

AxisTaps axisTaps(int inCount, int outCount, double spacing, double edge) {
    AxisTaps taps;
    taps.lower.resize(outCount);
    taps.weight.resize(outCount);
    const double scale = edge / spacing;
    for (int i = 0; i < outCount; ++i) {
        double pos = (i + 0.5) * scale - 0.5;
        pos = std::min(std::max(pos, 0.0), static_cast<double>(inCount - 1));
        int lower = static_cast<int>(std::floor(pos));
        if (lower >= inCount - 1) lower = std::max(inCount - 2, 0);
        taps.lower[i] = lower;
        taps.weight[i] = inCount > 1 ? static_cast<float>(pos - lower) : 0.0f;
    }
    return taps;
}

}  // namespace

bool cubicShape(const int dims[3], const double spacing[3], int maxDim, CubicShape& out, std::string& error) {
    static const char kAxis[3] = {'x', 'y', 'z'};
    double edge = 0.0;
    for (int a = 0; a < 3; ++a) {
        if (dims[a] <= 0) {
            error = std::string("dimension ") + kAxis[a] + " is not positive";
            return false;
        }
        if (!(spacing[a] > 0.0) || !std::isfinite(spacing[a])) {
            error = std::string("spacing ") + kAxis[a] + " is not a positive number";
            return false;
        }
        edge = a == 0 ? spacing[a] : std::min(edge, spacing[a]);
    }
    for (int a = 0; a < 3; ++a) {
        const double count = std::floor(dims[a] * spacing[a] / edge + 0.5);
        if (count > maxDim) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "the output would need %.0f samples along %c, more than the %d a "
                          "dataset file can hold",
                          count, kAxis[a], maxDim);
            error = text;
            return false;
        }
        out.dims[a] = std::max(1, static_cast<int>(count));
    }
    out.edge = edge;
    return true;
}

void resampleToCubic(const SampleGrid& in, const double spacing[3], const CubicShape& shape,
                     SampleGrid& out) {
    AxisTaps taps[3];
    for (int a = 0; a < 3; ++a) {
        taps[a] = axisTaps(in.dims[a], shape.dims[a], spacing[a], shape.edge);
    }
    for (int a = 0; a < 3; ++a) out.dims[a] = shape.dims[a];
    out.samples.assign(out.count(), 0);

    // Steps to the next input sample along each axis; zero on a one-sample
    // axis, whose weight is zero anyway.
    const std::size_t stepX = in.dims[0] > 1 ? 1 : 0;
    const std::size_t stepY = in.dims[1] > 1 ? static_cast<std::size_t>(in.dims[0]) : 0;
    const std::size_t stepZ = in.dims[2] > 1 ? static_cast<std::size_t>(in.dims[0]) * in.dims[1] : 0;
    const uint16_t* src = in.samples.data();
    uint16_t* dst = out.samples.data();
    for (int z = 0; z < shape.dims[2]; ++z) {
        const float wz = taps[2].weight[z];
        for (int y = 0; y < shape.dims[1]; ++y) {
            const float wy = taps[1].weight[y];
            const uint16_t* row = src + in.index(0, taps[1].lower[y], taps[2].lower[z]);
            for (int x = 0; x < shape.dims[0]; ++x) {
                const float wx = taps[0].weight[x];
                const uint16_t* p = row + taps[0].lower[x];
                const float c00 = p[0] + wx * (p[stepX] - p[0]);
                const float c10 = p[stepY] + wx * (p[stepY + stepX] - p[stepY]);
                const float c01 = p[stepZ] + wx * (p[stepZ + stepX] - p[stepZ]);
                const float c11 = p[stepZ + stepY] + wx * (p[stepZ + stepY + stepX] - p[stepZ + stepY]);
                const float c0 = c00 + wy * (c10 - c00);
                const float c1 = c01 + wy * (c11 - c01);
                const float v = c0 + wz * (c1 - c0);
                *dst++ = static_cast<uint16_t>(v + 0.5f);
            }
        }
    }
}

void flipZ(SampleGrid& grid) {
    const std::size_t slice = static_cast<std::size_t>(grid.dims[0]) * grid.dims[1];
    for (int lo = 0, hi = grid.dims[2] - 1; lo < hi; ++lo, --hi) {
        std::swap_ranges(grid.samples.begin() + lo * slice, grid.samples.begin() + (lo + 1) * slice,
                         grid.samples.begin() + hi * slice);
    }
}

}  // namespace volimport
