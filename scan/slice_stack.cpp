#include "scan/slice_stack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scan {
namespace {

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

bool finite(const double* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

}  // namespace

bool stackSlices(const std::vector<SliceHeader>& slices, SliceStack& out, std::string& error) {
    if (slices.empty()) {
        error = "no slices";
        return false;
    }
    const SliceHeader& first = slices.front();
    const double* row = first.orientation;
    const double* column = first.orientation + 3;
    for (const SliceHeader& s : slices) {
        if (s.rows < 1 || s.columns < 1) {
            error = s.file + ": the image has no pixels";
            return false;
        }
        if (!finite(s.position, 3) || !finite(s.orientation, 6) || !finite(s.pixelSpacing, 2) ||
            !(s.pixelSpacing[0] > 0.0) || !(s.pixelSpacing[1] > 0.0)) {
            error = s.file + ": position, orientation or pixel spacing is missing or not a number";
            return false;
        }
        if (s.rows != first.rows || s.columns != first.columns) {
            error = s.file + ": " + std::to_string(s.columns) + " x " + std::to_string(s.rows) +
                    " pixels, the series' first slice " + first.file + " has " +
                    std::to_string(first.columns) + " x " + std::to_string(first.rows);
            return false;
        }
        for (int i = 0; i < 6; ++i) {
            if (std::fabs(s.orientation[i] - first.orientation[i]) > 1e-3) {
                error = s.file + ": its orientation differs from " + first.file + "'s";
                return false;
            }
        }
        if (std::fabs(s.pixelSpacing[0] - first.pixelSpacing[0]) > 1e-3 ||
            std::fabs(s.pixelSpacing[1] - first.pixelSpacing[1]) > 1e-3) {
            error = s.file + ": its pixel spacing differs from " + first.file + "'s";
            return false;
        }
    }
    if (std::fabs(dot(row, row) - 1.0) > 1e-2 || std::fabs(dot(column, column) - 1.0) > 1e-2 ||
        std::fabs(dot(row, column)) > 1e-2) {
        error = first.file + ": the row and column directions are not unit vectors at right angles";
        return false;
    }
    const double normal[3] = {row[1] * column[2] - row[2] * column[1],
                              row[2] * column[0] - row[0] * column[2],
                              row[0] * column[1] - row[1] * column[0]};

    std::vector<double> along(slices.size());
    for (std::size_t i = 0; i < slices.size(); ++i) along[i] = dot(slices[i].position, normal);
    out.order.resize(slices.size());
    for (std::size_t i = 0; i < slices.size(); ++i) out.order[i] = static_cast<int>(i);
    std::stable_sort(out.order.begin(), out.order.end(), [&](int a, int b) { return along[a] < along[b]; });

    // The usual spacing: the median gap between neighbours.
    std::vector<double> gaps;
    for (std::size_t i = 1; i < out.order.size(); ++i) {
        gaps.push_back(along[out.order[i]] - along[out.order[i - 1]]);
    }
    double usual = 1.0;
    if (!gaps.empty()) {
        std::vector<double> sorted = gaps;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        usual = sorted[sorted.size() / 2];
    } else {
        usual = std::min(first.pixelSpacing[0], first.pixelSpacing[1]);
    }
    for (std::size_t i = 1; i < out.order.size(); ++i) {
        const SliceHeader& previous = slices[out.order[i - 1]];
        const SliceHeader& s = slices[out.order[i]];
        const double gap = gaps[i - 1];
        if (gap < 1e-3 * std::max(usual, 1e-3)) {
            error = s.file + ": at the same position as " + previous.file;
            return false;
        }
        if (gap > 1.5 * usual) {
            error = s.file + ": " + number(gap) + " mm from the slice before it (" + previous.file +
                    "), more than 1.5 times the usual " + number(usual) + " mm: a slice is missing";
            return false;
        }
        // A position off the normal means the slices are sheared: a gantry tilt.
        double offset[3];
        for (int k = 0; k < 3; ++k) offset[k] = s.position[k] - previous.position[k];
        const double sideways = std::sqrt(std::max(0.0, dot(offset, offset) - gap * gap));
        if (sideways > 0.02 * gap + 1e-3) {
            error = s.file + ": its position is not on the slice normal of " + previous.file +
                    " (a gantry tilt); tilted series are not supported";
            return false;
        }
    }
    if (!(usual > 0.0) || !std::isfinite(usual)) {
        error = first.file + ": the slice positions give no spacing";
        return false;
    }
    out.dims[0] = first.columns;
    out.dims[1] = first.rows;
    out.dims[2] = static_cast<int>(slices.size());
    out.spacing[0] = first.pixelSpacing[1];
    out.spacing[1] = first.pixelSpacing[0];
    out.spacing[2] = usual;
    const SliceHeader& lowest = slices[static_cast<std::size_t>(out.order.front())];
    std::copy(lowest.position, lowest.position + 3, out.origin);
    for (int k = 0; k < 3; ++k) {
        out.axes[0][k] = row[k];
        out.axes[1][k] = column[k];
        out.axes[2][k] = normal[k];
    }
    return true;
}

}  // namespace scan
