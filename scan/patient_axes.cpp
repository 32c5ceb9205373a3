#include "scan/patient_axes.h"

#include <algorithm>
#include <cmath>

namespace scan {
namespace {

// Sign of each output axis in DICOM patient coordinates: left is +x there,
// anterior is -y, superior is +z.
constexpr double kConventionSign[3] = {1.0, -1.0, 1.0};

}  // namespace

bool AxisMap::identity() const {
    for (int o = 0; o < 3; ++o) {
        if (source[o] != o || flip[o]) return false;
    }
    return true;
}

bool conventionMap(const double axes[3][3], AxisMap& out, std::string& error) {
    for (int a = 0; a < 3; ++a) {
        const double length =
            std::sqrt(axes[a][0] * axes[a][0] + axes[a][1] * axes[a][1] + axes[a][2] * axes[a][2]);
        if (!std::isfinite(length) || length < 1e-6) {
            error = "storage axis " + std::to_string(a) + " has no direction";
            return false;
        }
    }
    // The permutation that keeps the storage axes closest to the patient's.
    int perm[3] = {0, 1, 2};
    int best[3] = {0, 1, 2};
    double bestScore = -1.0;
    do {
        double score = 0.0;
        for (int o = 0; o < 3; ++o) score += std::fabs(axes[perm[o]][o]);
        if (score > bestScore + 1e-9) {
            bestScore = score;
            std::copy(perm, perm + 3, best);
        }
    } while (std::next_permutation(perm, perm + 3));
    for (int o = 0; o < 3; ++o) {
        if (std::fabs(axes[best[o]][o]) < 1e-6) {
            error = "the storage axes do not span the three patient directions";
            return false;
        }
        out.source[o] = best[o];
        out.flip[o] = axes[best[o]][o] * kConventionSign[o] < 0.0;
    }
    return true;
}

void applyAxisMap(const AxisMap& map, SampleGrid& grid, double spacing[3]) {
    if (map.identity()) return;
    SampleGrid out;
    double outSpacing[3];
    for (int o = 0; o < 3; ++o) {
        out.dims[o] = grid.dims[map.source[o]];
        outSpacing[o] = spacing[map.source[o]];
    }
    out.samples.resize(out.count());
    const std::size_t stride[3] = {1, static_cast<std::size_t>(grid.dims[0]),
                                   static_cast<std::size_t>(grid.dims[0]) * grid.dims[1]};
    // Where output step o moves in the input, and where output (0, 0, 0) is.
    std::ptrdiff_t step[3];
    std::ptrdiff_t origin = 0;
    for (int o = 0; o < 3; ++o) {
        const std::ptrdiff_t s = static_cast<std::ptrdiff_t>(stride[map.source[o]]);
        step[o] = map.flip[o] ? -s : s;
        if (map.flip[o]) origin += s * (out.dims[o] - 1);
    }
    uint16_t* dst = out.samples.data();
    for (int z = 0; z < out.dims[2]; ++z) {
        for (int y = 0; y < out.dims[1]; ++y) {
            std::ptrdiff_t p = origin + z * step[2] + y * step[1];
            for (int x = 0; x < out.dims[0]; ++x, p += step[0]) *dst++ = grid.samples[p];
        }
    }
    grid = std::move(out);
    std::copy(outSpacing, outSpacing + 3, spacing);
}

PatientPlacement mapPlacement(const AxisMap& map, const PatientPlacement& stored, const int dims[3],
                              const double spacing[3]) {
    PatientPlacement out = stored;
    for (int o = 0; o < 3; ++o) {
        const int s = map.source[o];
        const double sign = map.flip[o] ? -1.0 : 1.0;
        // A reversed axis starts at the stored axis' last sample.
        const double shift = map.flip[o] ? (dims[s] - 1) * spacing[s] : 0.0;
        for (int k = 0; k < 3; ++k) {
            out.axes[o][k] = sign * stored.axes[s][k];
            out.first[k] += shift * stored.axes[s][k];
        }
    }
    return out;
}

std::string describeAxisMap(const AxisMap& map) {
    static const char kAxis[3] = {'x', 'y', 'z'};
    std::string text;
    for (int o = 0; o < 3; ++o) {
        if (o > 0) text += ", ";
        text += kAxis[o];
        text += " <- ";
        if (map.flip[o]) text += '-';
        text += kAxis[map.source[o]];
    }
    return text;
}

}  // namespace scan
