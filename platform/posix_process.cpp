// The running process on POSIX hosts: /proc/self/exe names the executable.
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
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

double processorSeconds(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 > text.size()) return -1.0;
    // The fields after the command's closing parenthesis; user and system
    // time are the 12th and 13th of them, in clock ticks.
    std::istringstream fields(text.substr(nameEnd + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i)
        if (i >= 12) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace platform
