#include "scan/raw_samples.h"

#include <limits>

namespace scan {
namespace {

// Calls `use(i, v)` with each stored value v, in storage order.
template <typename Use>
void forEachValue(const unsigned char* data, const RawLayout& layout, std::size_t count, Use use) {
    const bool big = layout.order == ByteOrder::Big;
    const std::size_t step = sampleBytes(layout.type);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = data + i * step;
        const unsigned word = step == 1 ? p[0] : big ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
        use(i, layout.type == SampleType::Int16
                   ? static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(word)))
                   : static_cast<int>(word));
    }
}

}  // namespace

bool parseSampleType(const std::string& name, SampleType& out) {
    if (name == "uint8")
        out = SampleType::UInt8;
    else if (name == "int16")
        out = SampleType::Int16;
    else if (name == "uint16")
        out = SampleType::UInt16;
    else
        return false;
    return true;
}

const char* sampleTypeName(SampleType type) {
    switch (type) {
    case SampleType::UInt8:
        return "uint8";
    case SampleType::Int16:
        return "int16";
    case SampleType::UInt16:
        return "uint16";
    }
    return "?";
}

std::size_t sampleBytes(SampleType type) { return type == SampleType::UInt8 ? 1 : 2; }

bool rawByteCount(const RawLayout& layout, std::size_t& bytes) {
    std::size_t total = sampleBytes(layout.type);
    for (int d : layout.dims) {
        if (d <= 0) return false;
        const std::size_t n = static_cast<std::size_t>(d);
        if (total > std::numeric_limits<std::size_t>::max() / n) return false;
        total *= n;
    }
    bytes = total;
    return true;
}

void decodeSamples(const unsigned char* data, const RawLayout& layout, int offset, SampleGrid& out,
                   ClampStats& stats) {
    for (int a = 0; a < 3; ++a) out.dims[a] = layout.dims[a];
    out.samples.assign(out.count(), 0);
    stats = ClampStats();
    forEachValue(data, layout, out.samples.size(), [&](std::size_t i, int stored) {
        const int v = stored + offset;
        if (v < 0) {
            ++stats.below;
        } else if (v > kMaxSample) {
            out.samples[i] = kMaxSample;
            ++stats.above;
        } else {
            out.samples[i] = static_cast<uint16_t>(v);
        }
    });
}

void decodeValues(const unsigned char* data, const RawLayout& layout, std::vector<float>& out) {
    std::size_t count = 1;
    for (int d : layout.dims) count *= static_cast<std::size_t>(d);
    out.assign(count, 0.0f);
    forEachValue(data, layout, count,
                 [&](std::size_t i, int stored) { out[i] = static_cast<float>(stored); });
}

}  // namespace scan
