// Process memory figures for POSIX hosts.
#include <sys/resource.h>

#include "platform/runtime.h"

namespace platform {

std::size_t peakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // Linux reports KiB
}

}  // namespace platform
