// Runs a shell command line for end-to-end tests and collects what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testing_support {

struct CommandResult {
    int status = -1;     // exit status; -1 when the command did not exit normally
    std::string output;  // standard output and standard error together
};

inline CommandResult runCommand(const std::string& commandLine) {
    CommandResult result;
    std::FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace testing_support
