// Process memory figures for POSIX hosts.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/runtime.h"

namespace platform {

namespace {

// The value in KiB of the line that starts with `key` in a /proc file.
std::size_t procKibibytes(const char* path, const char* key) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return 0;
    char line[256];
    unsigned long long value = 0;
    const std::size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, key, keyLength) == 0 && std::sscanf(line + keyLength, "%llu", &value) == 1)
            break;
    }
    std::fclose(file);
    return static_cast<std::size_t>(value);
}

}  // namespace

std::size_t peakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

std::size_t residentBytes() { return procKibibytes("/proc/self/status", "VmRSS:") * 1024; }

// What an address-space limit (ulimit -v) still leaves this process; 0 when
// there is none.
std::size_t addressSpaceLeft() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
    const std::size_t used = procKibibytes("/proc/self/status", "VmSize:") * 1024;
    const std::size_t cap = static_cast<std::size_t>(limit.rlim_cur);
    return cap > used ? cap - used : 1;
}

std::size_t availableMemoryBytes() {
    std::size_t available = procKibibytes("/proc/meminfo", "MemAvailable:") * 1024;
    if (available == 0) {
        const long pages = sysconf(_SC_AVPHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        if (pages > 0 && pageSize > 0)
            available = static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
    }
    // Under an address-space limit the process can take no more than it leaves.
    const std::size_t left = addressSpaceLeft();
    if (left != 0 && (available == 0 || left < available)) available = left;
    return available;
}

void releaseFreeMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void mapLargeBlocksApart() {
#ifdef __GLIBC__
    // glibc raises its threshold after each large block freed, so that later
    // ones come from the heap and stay resident once freed (the import's
    // buffers under the textures, say); a fixed threshold keeps them apart.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace platform
