#include "scan/fit_resample.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "support/parallel.h"

namespace scan {
namespace {

struct Tap {
    int index;
    float weight;
};

// For each output cell of an axis, the input cells it draws on and their
// weights (summing to 1). `scale` is input cells per output cell.
std::vector<std::vector<Tap>> axisTaps(int inCount, int outCount, double scale) {
    std::vector<std::vector<Tap>> taps(outCount);
    for (int i = 0; i < outCount; ++i) {
        std::vector<Tap>& list = taps[i];
        if (scale > 1.0) {
            // The input interval this cell covers, clipped to the data.
            const double begin = std::min(i * scale, static_cast<double>(inCount));
            const double end = std::min((i + 1) * scale, static_cast<double>(inCount));
            double total = 0.0;
            for (int j = static_cast<int>(std::floor(begin)); j < end && j < inCount; ++j) {
                const double overlap = std::min(end, j + 1.0) - std::max(begin, static_cast<double>(j));
                if (overlap <= 1e-9) continue;
                list.push_back({j, static_cast<float>(overlap)});
                total += overlap;
            }
            if (list.empty()) list.push_back({inCount - 1, 1.0f});
            for (Tap& tap : list) tap.weight = static_cast<float>(tap.weight / std::max(total, 1e-9));
        } else {
            double pos = (i + 0.5) * scale - 0.5;
            pos = std::min(std::max(pos, 0.0), static_cast<double>(inCount - 1));
            const int lower = std::min(static_cast<int>(std::floor(pos)), inCount - 1);
            const float upper = static_cast<float>(pos - lower);
            list.push_back({lower, 1.0f - upper});
            if (upper > 0.0f && lower + 1 < inCount) list.push_back({lower + 1, upper});
        }
    }
    return taps;
}

// Floats that are not set to zero on allocation: each pass writes every one
// of them on the core that fills its line, in parallel.
struct FloatBlock {
    std::unique_ptr<float[]> values;
    std::size_t size = 0;

    void allocate(std::size_t count) {
        values.reset(new float[count]);
        size = count;
    }
};

// A sample's float rounded to the nearest 16-bit value.
uint16_t rounded(float value) {
    return static_cast<uint16_t>(std::min(std::max(value, 0.0f), 65535.0f) + 0.5f);
}

// Resamples `in` (dims) along `axis` to `outCount` cells, into `out`, or
// with `samples` (the last pass) straight into rounded samples: the floats
// of a line then live only while it is made.
void resampleAxis(const FloatBlock& in, int dims[3], int axis, int outCount, double scale, FloatBlock& out,
                  uint16_t* samples = nullptr) {
    const auto taps = axisTaps(dims[axis], outCount, scale);
    std::size_t inner = 1, outer = 1;
    for (int a = 0; a < axis; ++a) inner *= static_cast<std::size_t>(dims[a]);
    for (int a = axis + 1; a < 3; ++a) outer *= static_cast<std::size_t>(dims[a]);
    const std::size_t inLine = inner * static_cast<std::size_t>(dims[axis]);
    const std::size_t outLine = inner * static_cast<std::size_t>(outCount);
    if (samples == nullptr) out.allocate(outer * outLine);
    // Every output line on its own, shared out between the cores.
    const std::size_t cells = static_cast<std::size_t>(outCount);
    support::inParallel(outer * cells, [&](std::size_t first, std::size_t last) {
        std::vector<float> line(samples != nullptr ? inner : 0);
        for (std::size_t at = first; at < last; ++at) {
            const std::size_t o = at / cells, i = at % cells;
            const float* src = in.values.get() + o * inLine;
            const std::size_t start = o * outLine + i * inner;
            float* row = samples != nullptr ? line.data() : out.values.get() + start;
            std::fill(row, row + inner, 0.0f);
            for (const Tap& tap : taps[i]) {
                const float* from = src + static_cast<std::size_t>(tap.index) * inner;
                for (std::size_t k = 0; k < inner; ++k) row[k] += tap.weight * from[k];
            }
            if (samples != nullptr) {
                for (std::size_t k = 0; k < inner; ++k) samples[start + k] = rounded(row[k]);
            }
        }
    });
    dims[axis] = outCount;
}

}  // namespace

bool fittedShape(const int dims[3], const double spacing[3], int longest, int maxDim, CubicShape& out,
                 std::string& error) {
    if (!cubicShape(dims, spacing, maxDim, out, error)) return false;
    const int most = std::max(out.dims[0], std::max(out.dims[1], out.dims[2]));
    // A scan already `longest` voxels long keeps its own shape; a longer one
    // is reduced and a shorter one enlarged to that length.
    if (longest <= 0 || most == longest) return true;
    double extent = 0.0;
    for (int a = 0; a < 3; ++a) extent = std::max(extent, dims[a] * spacing[a]);
    out.edge = extent / longest;
    for (int a = 0; a < 3; ++a) {
        const double count = std::floor(dims[a] * spacing[a] / out.edge + 0.5);
        out.dims[a] = std::min(longest, std::max(1, static_cast<int>(count)));
    }
    return true;
}

void resampleFitted(const SampleGrid& in, const double spacing[3], const CubicShape& shape, SampleGrid& out,
                    void (*progress)(int, void*), void* context) {
    int dims[3] = {in.dims[0], in.dims[1], in.dims[2]};
    FloatBlock current, next;
    current.allocate(in.samples.size());
    std::copy(in.samples.begin(), in.samples.end(), current.values.get());
    // Shrinking axes first, so the later passes have less to do.
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) {
        return static_cast<double>(shape.dims[a]) / dims[a] < static_cast<double>(shape.dims[b]) / dims[b];
    });
    std::size_t count = 1;
    for (int a = 0; a < 3; ++a) count *= static_cast<std::size_t>(shape.dims[a]);
    out.samples.resize(count);
    for (int n = 0; n < 3; ++n) {
        const int axis = order[n];
        const bool last = n == 2;
        resampleAxis(current, dims, axis, shape.dims[axis], shape.edge / spacing[axis], next,
                     last ? out.samples.data() : nullptr);
        std::swap(current, next);
        next = FloatBlock();  // the pass's input goes before the next pass
        if (progress != nullptr) progress(n + 1, context);
    }
    std::copy(dims, dims + 3, out.dims);
}

}  // namespace scan
