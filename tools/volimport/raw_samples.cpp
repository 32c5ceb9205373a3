#include "tools/volimport/raw_samples.h"

#include <limits>

namespace volimport {
namespace {

template <typename Read>
void decodeWith(const unsigned char* data, std::size_t count, std::size_t step, int offset, uint16_t* out,
                ClampStats& stats, Read read) {
    for (std::size_t i = 0; i < count; ++i) {
        const int v = read(data + i * step) + offset;
        if (v < 0) {
            out[i] = 0;
            ++stats.below;
        } else if (v > kMaxSample) {
            out[i] = kMaxSample;
            ++stats.above;
        } else {
            out[i] = static_cast<uint16_t>(v);
        }
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
    const std::size_t count = out.count();
    out.samples.assign(count, 0);
    stats = ClampStats();
    const bool big = layout.order == ByteOrder::Big;
    uint16_t* dst = out.samples.data();
    switch (layout.type) {
    case SampleType::UInt8:
        decodeWith(data, count, 1, offset, dst, stats,
                   [](const unsigned char* p) { return static_cast<int>(p[0]); });
        break;
    case SampleType::UInt16:
        decodeWith(data, count, 2, offset, dst, stats,
                   [big](const unsigned char* p) { return big ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8); });
        break;
    case SampleType::Int16:
        decodeWith(data, count, 2, offset, dst, stats, [big](const unsigned char* p) {
            const unsigned u = big ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
            return static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(u)));
        });
        break;
    }
}

}  // namespace volimport
