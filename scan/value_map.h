// From a scan's real values to the viewer's 12-bit samples. CT values keep
// the Hounsfield rule (v + offset, clamped to 0..4095); other data is mapped
// linearly from LOW..HIGH onto 0..4095: the range the user gave, else the
// 0.5th to 99.5th percentile of the data.
#pragma once

#include <string>
#include <vector>

#include "scan/raw_samples.h"
#include "scan/sample_grid.h"

namespace scan {

struct ValueMapping {
    enum class Rule { Offset, GivenRange, Percentile } rule = Rule::Offset;
    double offset = 0.0;              // Offset
    double low = 0.0, high = 4095.0;  // GivenRange and Percentile
};

// The q-quantile (0..1) of `values`, from a sorted sample of at most a few
// million of them. NaN values are left out; 0 when none remain.
double quantile(const std::vector<float>& values, double q);

ValueMapping percentileMapping(const std::vector<float>& values);

// Maps `values` into `out` (whose dims the caller has set) by `mapping`,
// rounding to the nearest integer; NaN becomes 0.
void mapValues(const std::vector<float>& values, const ValueMapping& mapping, SampleGrid& out,
               ClampStats& stats);

// "offset +1024", "range 0..255 given", "0.5..99.5 percentile 12..873".
std::string describeMapping(const ValueMapping& mapping);

}  // namespace scan
