#include "scan/nifti_volume.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace scan {
namespace {

// NIfTI-1 sample type codes.
enum : int {
    kUInt8 = 2,
    kInt16 = 4,
    kInt32 = 8,
    kFloat32 = 16,
    kFloat64 = 64,
    kInt8 = 256,
    kUInt16 = 512,
    kUInt32 = 768,
    kInt64 = 1024,
    kUInt64 = 1280,
};

template <typename T>
void convert(const unsigned char* data, std::size_t count, double slope, double intercept, float* out) {
    for (std::size_t i = 0; i < count; ++i) {
        T v;
        std::memcpy(&v, data + i * sizeof(T), sizeof(T));
        out[i] = static_cast<float>(static_cast<double>(v) * slope + intercept);
    }
}

std::size_t sampleSize(int datatype) {
    switch (datatype) {
    case kUInt8:
    case kInt8:
        return 1;
    case kInt16:
    case kUInt16:
        return 2;
    case kInt32:
    case kUInt32:
    case kFloat32:
        return 4;
    case kInt64:
    case kUInt64:
    case kFloat64:
        return 8;
    default:
        return 0;
    }
}

}  // namespace

bool niftiToVolume(const NiftiHeader& header, const void* data, std::size_t bytes, RealVolume& out,
                   std::string& note, std::string& error) {
    const std::size_t size = sampleSize(header.datatype);
    if (size == 0) {
        error = "sample type " + std::to_string(header.datatype) +
                " is not supported (integers of 8 to 64 bits, float32, float64)";
        return false;
    }
    double count = 1.0;
    for (int a = 0; a < 3; ++a) {
        if (header.dims[a] < 1 || header.dims[a] > 65535) {
            error = "dimension " + std::to_string(a + 1) + " is " + std::to_string(header.dims[a]) +
                    ", not 1..65535";
            return false;
        }
        count *= header.dims[a];
    }
    const long long volumes = std::max(1LL, header.volumes);
    if (header.volume < 0 || header.volume >= volumes) {
        error = "holds " + std::to_string(volumes) + (volumes == 1 ? " volume" : " volumes") +
                ", no volume " + std::to_string(header.volume + 1);
        return false;
    }
    const double volumeBytes = count * static_cast<double>(size);
    if (volumeBytes * static_cast<double>(header.volume + 1) > static_cast<double>(bytes)) {
        error = "the data is shorter than its dimensions need";
        return false;
    }
    if (volumes > 1) {
        note = "volume " + std::to_string(header.volume + 1) + " of " + std::to_string(volumes) + " is read" +
               (header.volume == 0 ? "; --volume picks another" : "");
    }

    const double slope = header.slope != 0.0 && std::isfinite(header.slope) ? header.slope : 1.0;
    const double intercept = std::isfinite(header.intercept) && header.slope != 0.0 ? header.intercept : 0.0;
    const std::size_t n = static_cast<std::size_t>(count);
    out.values.resize(n);
    const unsigned char* p =
        static_cast<const unsigned char*>(data) + static_cast<std::size_t>(volumeBytes) * header.volume;
    switch (header.datatype) {
    case kUInt8:
        convert<uint8_t>(p, n, slope, intercept, out.values.data());
        break;
    case kInt8:
        convert<int8_t>(p, n, slope, intercept, out.values.data());
        break;
    case kInt16:
        convert<int16_t>(p, n, slope, intercept, out.values.data());
        break;
    case kUInt16:
        convert<uint16_t>(p, n, slope, intercept, out.values.data());
        break;
    case kInt32:
        convert<int32_t>(p, n, slope, intercept, out.values.data());
        break;
    case kUInt32:
        convert<uint32_t>(p, n, slope, intercept, out.values.data());
        break;
    case kInt64:
        convert<int64_t>(p, n, slope, intercept, out.values.data());
        break;
    case kUInt64:
        convert<uint64_t>(p, n, slope, intercept, out.values.data());
        break;
    case kFloat32:
        convert<float>(p, n, slope, intercept, out.values.data());
        break;
    case kFloat64:
        convert<double>(p, n, slope, intercept, out.values.data());
        break;
    }
    for (int a = 0; a < 3; ++a) out.dims[a] = header.dims[a];

    const double(*matrix)[4] = header.sformCode > 0   ? header.sform
                               : header.qformCode > 0 ? header.qform
                                                      : nullptr;
    out.oriented = matrix != nullptr;
    for (int a = 0; a < 3; ++a) {
        double spacing = std::fabs(header.pixdim[a]);
        if (matrix != nullptr) {
            // Column a is storage axis a in RAS millimetres; DICOM's
            // patient coordinates have x and y the other way round.
            const double ras[3] = {matrix[0][a], matrix[1][a], matrix[2][a]};
            spacing = std::sqrt(ras[0] * ras[0] + ras[1] * ras[1] + ras[2] * ras[2]);
            if (!(spacing > 0.0) || !std::isfinite(spacing)) {
                error = std::string(header.sformCode > 0 ? "the sform" : "the qform") + " gives axis " +
                        std::to_string(a + 1) + " no length";
                return false;
            }
            out.axes[a][0] = -ras[0] / spacing;
            out.axes[a][1] = -ras[1] / spacing;
            out.axes[a][2] = ras[2] / spacing;
        }
        if (!(spacing > 0.0) || !std::isfinite(spacing)) spacing = 1.0;
        out.spacing[a] = spacing;
    }
    if (matrix != nullptr) {
        out.origin[0] = -matrix[0][3];
        out.origin[1] = -matrix[1][3];
        out.origin[2] = matrix[2][3];
    }
    if (matrix == nullptr) {
        note += std::string(note.empty() ? "" : "; ") + "no sform or qform: kept in storage order";
    }
    out.hounsfield = false;
    return true;
}

}  // namespace scan
