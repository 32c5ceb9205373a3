// Decoding of raw sample arrays into 12-bit samples: each stored value v
// becomes clamp(v + offset, 0, 4095).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/sample_grid.h"

namespace scan {

constexpr int kMaxSample = 4095;

enum class SampleType { UInt8, Int16, UInt16 };
enum class ByteOrder { Little, Big };

struct RawLayout {
    int dims[3] = {0, 0, 0};  // x, y, z; x fastest in the data
    SampleType type = SampleType::UInt16;
    ByteOrder order = ByteOrder::Little;
};

// How many stored values fell outside 0..4095 once the offset was added.
struct ClampStats {
    std::size_t below = 0;
    std::size_t above = 0;
};

bool parseSampleType(const std::string& name, SampleType& out);
const char* sampleTypeName(SampleType type);
std::size_t sampleBytes(SampleType type);

// Bytes that `layout` occupies; false when a dimension is not positive or the
// product overflows.
bool rawByteCount(const RawLayout& layout, std::size_t& bytes);

// Decodes `layout` from `data`, which must hold rawByteCount bytes, into `out`.
void decodeSamples(const unsigned char* data, const RawLayout& layout, int offset, SampleGrid& out,
                   ClampStats& stats);

// The stored values themselves, for a mapping other than the offset rule.
void decodeValues(const unsigned char* data, const RawLayout& layout, std::vector<float>& out);

}  // namespace scan
