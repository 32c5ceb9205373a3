#include "scan/value_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scan {
namespace {

// A few million values give percentiles far finer than 12 bits can show.
constexpr std::size_t kQuantileSample = 4u << 20;

}  // namespace

double quantile(const std::vector<float>& values, double q) {
    const std::size_t step = std::max<std::size_t>(1, values.size() / kQuantileSample);
    std::vector<float> sample;
    sample.reserve(values.size() / step + 1);
    for (std::size_t i = 0; i < values.size(); i += step) {
        if (!std::isnan(values[i])) sample.push_back(values[i]);
    }
    if (sample.empty()) return 0.0;
    const std::size_t k = static_cast<std::size_t>(q * static_cast<double>(sample.size() - 1) + 0.5);
    std::nth_element(sample.begin(), sample.begin() + k, sample.end());
    return sample[k];
}

ValueMapping percentileMapping(const std::vector<float>& values) {
    ValueMapping mapping;
    mapping.rule = ValueMapping::Rule::Percentile;
    mapping.low = quantile(values, 0.005);
    mapping.high = quantile(values, 0.995);
    return mapping;
}

void mapValues(const std::vector<float>& values, const ValueMapping& mapping, SampleGrid& out,
               ClampStats& stats) {
    out.samples.resize(values.size());
    double scale = 1.0, shift = mapping.offset;
    if (mapping.rule != ValueMapping::Rule::Offset) {
        // A constant image has no spread: its values all land on 0.
        const double span = mapping.high - mapping.low;
        scale = span > 0.0 ? kMaxSample / span : 0.0;
        shift = -mapping.low * scale;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = std::floor(static_cast<double>(values[i]) * scale + shift + 0.5);
        uint16_t sample = 0;
        if (std::isnan(v) || v < 0.0) {
            if (!std::isnan(v)) ++stats.below;
        } else if (v > kMaxSample) {
            ++stats.above;
            sample = kMaxSample;
        } else {
            sample = static_cast<uint16_t>(v);
        }
        out.samples[i] = sample;
    }
}

std::string describeMapping(const ValueMapping& mapping) {
    char text[160];
    switch (mapping.rule) {
    case ValueMapping::Rule::Offset:
        std::snprintf(text, sizeof text, "offset %+g", mapping.offset);
        break;
    case ValueMapping::Rule::GivenRange:
        std::snprintf(text, sizeof text, "range %g..%g (given) onto 0..4095", mapping.low, mapping.high);
        break;
    case ValueMapping::Rule::Percentile:
        std::snprintf(text, sizeof text, "0.5th..99.5th percentile %g..%g onto 0..4095 (--range to choose)",
                      mapping.low, mapping.high);
        break;
    }
    return text;
}

}  // namespace scan
