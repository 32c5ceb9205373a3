#include "scan/cubic_resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace scan {

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

void flipZ(SampleGrid& grid) {
    const std::size_t slice = static_cast<std::size_t>(grid.dims[0]) * grid.dims[1];
    for (int lo = 0, hi = grid.dims[2] - 1; lo < hi; ++lo, --hi) {
        std::swap_ranges(grid.samples.begin() + lo * slice, grid.samples.begin() + (lo + 1) * slice,
                         grid.samples.begin() + hi * slice);
    }
}

}  // namespace scan
