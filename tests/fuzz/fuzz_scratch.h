// A scratch file for fuzz targets whose code under test reads from a path:
// one per process, in memory-backed /dev/shm when there is one, removed at
// exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

class ScratchFile {
public:
    explicit ScratchFile(const char* suffix) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
        path_ = std::string(base != nullptr ? base : "/tmp") + "/volview-fuzz-" + std::to_string(getpid()) + suffix;
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents; returns its path.
    const std::string& write(const void* data, std::size_t size) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size)) std::abort();
        std::fclose(file);
        return path_;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Stops the run on a broken property, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

}  // namespace fuzzing
