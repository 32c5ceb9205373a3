#include "scan/raw_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace scan {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool readRawFile(const std::string& path, uint64_t skipBytes, const RawLayout& layout, int offset, Scan& out,
                 uint64_t& trailingBytes, std::string& error, std::vector<float>* values) {
    std::size_t needed = 0;
    if (!rawByteCount(layout, needed)) {
        error = "the dimensions are not positive or too large";
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = std::string("cannot open (") + std::strerror(errno) + ")";
        return false;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        error = "cannot seek: not a regular file";
        return false;
    }
    const long end = std::ftell(file.get());
    if (end < 0) {
        error = "cannot tell its size";
        return false;
    }
    const uint64_t length = static_cast<uint64_t>(end);
    const std::string layoutText = std::to_string(layout.dims[0]) + " x " + std::to_string(layout.dims[1]) +
                                   " x " + std::to_string(layout.dims[2]) + " " + sampleTypeName(layout.type);
    if (skipBytes > length || length - skipBytes < needed) {
        error = "too short: " + layoutText + " after " + std::to_string(skipBytes) + " header bytes needs " +
                std::to_string(skipBytes + needed) + " bytes, the file has " + std::to_string(length);
        return false;
    }
    trailingBytes = length - skipBytes - needed;
    std::vector<unsigned char> bytes(needed);
    if (std::fseek(file.get(), static_cast<long>(skipBytes), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, needed, file.get()) != needed) {
        error = "cannot read";
        return false;
    }
    if (values != nullptr) {
        decodeValues(bytes.data(), layout, *values);
        std::copy(layout.dims, layout.dims + 3, out.grid.dims);
    } else {
        decodeSamples(bytes.data(), layout, offset, out.grid, out.clamped);
    }
    out.type = layout.type;
    out.source = path;
    return true;
}

}  // namespace scan
