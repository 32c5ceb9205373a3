// The running process on POSIX hosts: /proc/self/exe names the executable.
#include <unistd.h>

#include <vector>

#include "platform/process.h"

namespace platform {

std::string executableDirectory() {
    std::vector<char> path(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) return std::string();
        if (static_cast<std::size_t>(length) < path.size()) {
            const std::string exe(path.data(), static_cast<std::size_t>(length));
            const std::size_t slash = exe.rfind('/');
            if (slash == std::string::npos) return std::string();
            return slash == 0 ? std::string("/") : exe.substr(0, slash);
        }
        path.resize(path.size() * 2);  // the link was cut; ask again with room
    }
}

bool isTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

}  // namespace platform
