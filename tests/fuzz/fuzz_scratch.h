// Shared by the fuzz targets: a scratch file for code that reads from a path
// (one per process, in memory-backed /dev/shm when there is one, removed at
// exit), and a check that stops the run so that libFuzzer keeps the input.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

class ScratchFile {
public:
    explicit ScratchFile(const char* suffix)
        : path_(std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/volview-fuzz-" +
                std::to_string(getpid()) + suffix) {}
    ~ScratchFile() { std::remove(path_.c_str()); }
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

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

}  // namespace fuzzing
