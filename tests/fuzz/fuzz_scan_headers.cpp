// The layer between the DICOM and NIfTI libraries and the volume: slice
// headers of any values stacked into a series, and NIfTI headers of any
// values with a data block of any length turned into a volume, then into
// the anatomical convention. The first byte picks the path.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scan/nifti_volume.h"
#include "scan/patient_axes.h"
#include "scan/slice_stack.h"

namespace {

// Reads plain values from the input, zero once it runs out.
struct Reader {
    const uint8_t* data;
    std::size_t size;
    template <typename T>
    T take() {
        T value{};
        const std::size_t n = size < sizeof(T) ? size : sizeof(T);
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

void stackSeries(Reader& in) {
    const int count = in.take<uint8_t>() % 40;
    std::vector<scan::SliceHeader> slices(count);
    for (int i = 0; i < count; ++i) {
        scan::SliceHeader& s = slices[i];
        s.file = "s" + std::to_string(i);
        s.rows = in.take<int16_t>();
        s.columns = in.take<int16_t>();
        for (double& v : s.position) v = in.take<float>();
        for (double& v : s.orientation) v = in.take<int8_t>() / 64.0;
        for (double& v : s.pixelSpacing) v = in.take<float>();
    }
    scan::SliceStack stack;
    std::string error;
    if (!scan::stackSlices(slices, stack, error)) return;
    scan::AxisMap map;
    scan::conventionMap(stack.axes, map, error);
}

void niftiVolume(Reader& in) {
    scan::NiftiHeader header;
    for (int& d : header.dims) d = in.take<uint8_t>() % 9;
    header.volumes = in.take<uint8_t>();
    header.datatype = in.take<int16_t>();
    header.slope = in.take<float>();
    header.intercept = in.take<float>();
    for (double& v : header.pixdim) v = in.take<float>();
    header.sformCode = in.take<int8_t>();
    header.qformCode = in.take<int8_t>();
    for (auto& row : header.sform)
        for (double& v : row) v = in.take<float>();
    for (auto& row : header.qform)
        for (double& v : row) v = in.take<float>();
    scan::RealVolume volume;
    std::string note, error;
    if (!scan::niftiToVolume(header, in.data, in.size, volume, note, error)) return;
    if (volume.values.size() != static_cast<std::size_t>(volume.dims[0]) * volume.dims[1] * volume.dims[2]) {
        __builtin_trap();
    }
    scan::AxisMap map;
    if (volume.oriented && !scan::conventionMap(volume.axes, map, error)) return;
    scan::SampleGrid grid;
    std::memcpy(grid.dims, volume.dims, sizeof grid.dims);
    grid.samples.assign(volume.values.size(), 1);
    scan::applyAxisMap(map, grid, volume.spacing);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Reader in{data + 1, size - 1};
    if (data[0] & 1) {
        stackSeries(in);
    } else {
        niftiVolume(in);
    }
    return 0;
}
