// A child process for work the parent does not trust itself to survive:
// reading files with large third-party libraries. The child writes an
// answer back as bytes and its standard output and error reach the
// parent's streams; the parent learns how it ended. POSIX hosts fork and
// confine the child (posix_child_process.cpp, posix_sandbox.cpp); Windows
// starts a helper executable beside the running one (win32_child_process.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The child's end of its answer channel.
struct ParentLink {
    intptr_t channel = -1;  // a descriptor or a handle
};

// Writes all `size` bytes to the parent; false when it has gone.
bool writeToParent(const ParentLink& link, const void* data, std::size_t size);

// A helper started by the parent finds its link in its last argument.
bool parentLinkFromArgument(const char* argument, ParentLink& link);

struct ChildLimits {
    uint64_t memoryBytes = 0;  // address space; 0: no limit of its own
    unsigned cpuSeconds = 0;   // processor time; 0: no limit
};

struct ChildTask {
    // Run in a forked child where the host forks; its result is the
    // child's exit status. It writes its text to stdout and stderr.
    int (*work)(const ParentLink& link, void* context) = nullptr;
    void* context = nullptr;
    // Started instead where the host cannot fork: the executable of this
    // name beside the running one, with these arguments and then the link's.
    std::string helper;
    std::vector<std::string> arguments;
    std::FILE* out = stdout;  // where the child's standard output goes
    std::FILE* err = stderr;  // and its standard error
    ChildLimits limits;
};

// How a child ended.
struct ChildEnd {
    bool exited = false;      // it exited (else a signal ended it)
    int status = 0;           // the exit status, or the signal's number
    std::string description;  // "exit status 3", "signal 11 (Segmentation fault)"
};

class ChildProcess {
public:
    ChildProcess();
    ~ChildProcess();  // a child still running is killed and waited for
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `task`; false with `error` when no child could be started.
    bool start(const ChildTask& task, std::string& error);
    // Up to `size` bytes of the answer, relaying the child's text
    // meanwhile; 0 once the answer has ended.
    std::size_t read(void* data, std::size_t size);
    // Ends a child whose answer the parent will not read on.
    void kill();
    // Waits for the child to end.
    ChildEnd wait();

private:
    struct Host;
    std::unique_ptr<Host> host_;
};

}  // namespace platform
