// Process memory figures for POSIX hosts.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef __GLIBC__
#include <gnu/libc-version.h>
#endif

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

namespace {

#if defined(__GLIBC__) && defined(__linux__)
// glibc asks for huge pages on request (madvise) from 2.35 on, when told by
// this tunable at start-up.
constexpr const char* kHugePageTunable = "glibc.malloc.hugetlb=1";

bool hugePagesOnRequestOnly() {
    std::FILE* file = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (file == nullptr) return false;
    char modes[128] = {};
    const bool read = std::fgets(modes, sizeof modes, file) != nullptr;
    std::fclose(file);
    return read && std::strstr(modes, "[madvise]") != nullptr;
}

bool glibcAsksForHugePages() {
    int major = 0;
    int minor = 0;
    return std::sscanf(gnu_get_libc_version(), "%d.%d", &major, &minor) == 2 &&
           (major > 2 || (major == 2 && minor >= 35));
}
#endif

}  // namespace

void restartWithHugePages(char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb=") != nullptr) return;
    if (!hugePagesOnRequestOnly() || !glibcAsksForHugePages()) return;
    const std::string before = tunables != nullptr ? tunables : "";
    const std::string asked = before.empty() ? kHugePageTunable : before + ":" + kHugePageTunable;
    // The file itself, not /proc/self/exe: the process keeps its name.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return;
    self[length] = '\0';
    if (setenv("GLIBC_TUNABLES", asked.c_str(), 1) != 0) return;
    execv(self, argv);
    // Still here: go on as started.
    if (tunables != nullptr) {
        setenv("GLIBC_TUNABLES", before.c_str(), 1);
    } else {
        unsetenv("GLIBC_TUNABLES");
    }
#else
    (void)argv;
#endif
}

}  // namespace platform
