// The running process on Windows hosts: the module file name names the
// executable.
#include <io.h>
#include <windows.h>

#include <vector>

#include "platform/process.h"

namespace platform {

std::string executableDirectory() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            const std::string exe(path.data(), length);
            const std::size_t separator = exe.find_last_of("\\/");
            return separator == std::string::npos ? std::string() : exe.substr(0, separator);
        }
        path.resize(path.size() * 2);  // the name was cut; ask again with room
    }
}

bool isTerminal(std::FILE* stream) { return stream != nullptr && _isatty(_fileno(stream)) != 0; }

double processorSeconds(long pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return -1.0;
    FILETIME created, exited, kernel, user;
    const BOOL known = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!known) return -1.0;
    // FILETIME counts 100-nanosecond steps.
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) *
               1e-7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace platform
