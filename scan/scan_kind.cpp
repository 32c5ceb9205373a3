#include "scan/scan_kind.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace scan {
namespace {

// The first header bytes of NIfTI-2: sizeof_hdr, then the magic.
constexpr std::size_t kHeadBytes = 352;

// The first bytes of a file, decompressed when it is gzip; fewer when it is
// shorter. Returns how many were read.
std::size_t readHead(const std::string& path, unsigned char (&head)[kHeadBytes]) {
    gzFile file = gzopen(path.c_str(), "rb");  // reads plain files as they are
    if (file == nullptr) return 0;
    const int count = gzread(file, head, static_cast<unsigned>(kHeadBytes));
    gzclose(file);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

// sizeof_hdr in either byte order.
bool headerSizeIs(const unsigned char* head, uint32_t size) {
    const uint32_t little = head[0] | head[1] << 8 | head[2] << 16 | uint32_t{head[3]} << 24;
    const uint32_t big = head[3] | head[2] << 8 | head[1] << 16 | uint32_t{head[0]} << 24;
    return little == size || big == size;
}

bool isNifti(const unsigned char* head, std::size_t count) {
    const bool one = count >= 348 && headerSizeIs(head, 348) &&
                     (std::memcmp(head + 344, "n+1", 4) == 0 || std::memcmp(head + 344, "ni1", 4) == 0);
    const bool two = count >= 12 && headerSizeIs(head, 540) &&
                     (std::memcmp(head + 4, "n+2", 4) == 0 || std::memcmp(head + 4, "ni2", 4) == 0);
    return one || two;
}

}  // namespace

InputKind scanKind(const std::string& path, std::string& folder) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        folder = path;
        return InputKind::Dicom;
    }
    unsigned char head[kHeadBytes] = {};
    const std::size_t count = readHead(path, head);
    if (isNifti(head, count)) return InputKind::Nifti;
    // DICOM files carry "DICM" after a 128-byte preamble; gzip is never DICOM.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return InputKind::None;
    char preamble[132] = {};
    const bool dicom = std::fread(preamble, 1, sizeof preamble, file) == sizeof preamble &&
                       std::memcmp(preamble + 128, "DICM", 4) == 0;
    std::fclose(file);
    if (!dicom) return InputKind::None;
    folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    return InputKind::Dicom;
}

}  // namespace scan
