#include "scan/gzip_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace scan {
namespace {

// The first two bytes of every gzip member. zlib would otherwise pass a
// plain file through unchanged.
bool hasGzipSignature(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::string("cannot open (") + std::strerror(errno) + ")";
        return false;
    }
    unsigned char magic[2] = {0, 0};
    const std::size_t got = std::fread(magic, 1, 2, file);
    std::fclose(file);
    if (got < 2 || magic[0] != 0x1f || magic[1] != 0x8b) {
        error = "not a gzip-compressed file";
        return false;
    }
    return true;
}

}  // namespace

bool readGzipFile(const std::string& path, std::vector<unsigned char>& out, std::string& error,
                  std::size_t limit) {
    out.clear();
    if (!hasGzipSignature(path, error)) return false;
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open";
        return false;
    }
    gzbuffer(file, 1 << 17);
    constexpr std::size_t kChunk = std::size_t(1) << 20;
    std::size_t used = 0;
    bool ok = true;
    for (;;) {
        out.resize(used + kChunk);
        const int got = gzread(file, out.data() + used, static_cast<unsigned>(kChunk));
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
        if (used > limit) {
            error = "decompresses to more than " + std::to_string(limit) + " bytes";
            ok = false;
            break;
        }
    }
    int code = Z_OK;
    const char* message = gzerror(file, &code);
    if (code != Z_OK && code != Z_STREAM_END) {
        ok = false;
        error = std::string(code == Z_BUF_ERROR ? "truncated gzip data" : "damaged gzip data") + " (" +
                message + ")";
    } else if (!ok && error.empty()) {  // gzread failed without a zlib code
        error = "damaged gzip data";
    }
    gzclose(file);
    if (!ok) {
        out.clear();
        return false;
    }
    out.resize(used);
    return true;
}

}  // namespace scan
