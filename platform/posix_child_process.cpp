// Child processes on POSIX hosts: a fork that runs the task confined by
// posix_sandbox.cpp. Its answer comes through a pipe; its standard output
// and error go straight to a terminal, else through pipes the parent
// relays (so nothing the child writes lands in a file it could grow).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/child_process.h"
#include "platform/posix_sandbox.h"

namespace platform {
namespace {

// The child's descriptors: 0 is /dev/null, then these.
constexpr int kChildOut = 1, kChildErr = 2, kChildAnswer = 3;

void closeIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Sets up the child's descriptors, confines it and runs the task.
[[noreturn]] void runChild(const ChildTask& task, const int (&targets)[4], pid_t parent) {
    // It ends with its parent rather than read on for no one.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
    // Out of the way of 0 to 3 first, so no target is closed by another's move.
    int moved[4];
    for (int i = 0; i < 4; ++i) {
        moved[i] = ::fcntl(targets[i], F_DUPFD, 10);
        if (moved[i] < 0) ::_exit(127);
    }
    for (int i = 0; i < 4; ++i) {
        if (::dup2(moved[i], i) < 0) ::_exit(127);
    }
    // Nothing else the parent held (its display connection, its files).
    if (::syscall(SYS_close_range, 4u, ~0u, 0u) != 0) {
        for (int fd = 4; fd < 65536; ++fd) ::close(fd);
    }
    std::string problem;
    if (!enterSandbox(task.limits, {kChildOut, kChildErr, kChildAnswer}, problem)) {
        std::fprintf(stderr, "child process: %s\n", problem.c_str());
        ::_exit(127);
    }
    const int status = task.work(ParentLink{kChildAnswer}, task.context);
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);  // no exit handlers: they belong to the parent
}

std::string describeEnd(int waitStatus) {
    if (WIFEXITED(waitStatus)) return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
    const int number = WTERMSIG(waitStatus);
    const char* name = ::strsignal(number);
    return "signal " + std::to_string(number) + (name != nullptr ? std::string(" (") + name + ")" : "");
}

}  // namespace

struct ChildProcess::Host {
    pid_t pid = -1;
    int answer = -1;
    // The child's text and where it goes; -1 when it goes straight there.
    int text[2] = {-1, -1};
    std::FILE* to[2] = {nullptr, nullptr};

    // Moves what the child wrote on text pipe `i` to its stream.
    void relay(int i) {
        char chunk[4096];
        const ssize_t got = ::read(text[i], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) return;
        if (got <= 0) {
            closeIfOpen(text[i]);
            return;
        }
        std::fwrite(chunk, 1, static_cast<std::size_t>(got), to[i]);
        std::fflush(to[i]);
    }

    // Waits for something to read; relays text. True when the answer can be read.
    bool awaitAnswer() {
        pollfd fds[3];
        int count = 0;
        const int order[3] = {answer, text[0], text[1]};
        for (int fd : order) {
            if (fd >= 0) fds[count++] = pollfd{fd, POLLIN, 0};
        }
        if (count == 0) return false;
        if (::poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR) return false;
            closeIfOpen(answer);  // cannot wait on them: take it as the end
            for (int& fd : text) closeIfOpen(fd);
            return false;
        }
        bool answerReady = false;
        for (int k = 0; k < count; ++k) {
            if (fds[k].revents == 0) continue;
            if (fds[k].fd == answer) answerReady = true;
            for (int i = 0; i < 2; ++i) {
                if (fds[k].fd == text[i]) relay(i);
            }
        }
        return answerReady;
    }
};

ChildProcess::ChildProcess() : host_(new Host) {}

ChildProcess::~ChildProcess() {
    if (host_->pid > 0) {
        kill();
        wait();
    }
    closeIfOpen(host_->answer);
    for (int& fd : host_->text) closeIfOpen(fd);
}

bool ChildProcess::start(const ChildTask& task, std::string& error) {
    Host& host = *host_;
    host.to[0] = task.out;
    host.to[1] = task.err;
    // Parent ends and child ends of each pipe, and the child's 0 to 3.
    int answerPipe[2];
    if (::pipe2(answerPipe, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe (") + std::strerror(errno) + ")";
        return false;
    }
    host.answer = answerPipe[0];
    int targets[4] = {::open("/dev/null", O_RDONLY | O_CLOEXEC), -1, -1, answerPipe[1]};
    int childEnds[2] = {-1, -1};
    std::FILE* streams[2] = {task.out, task.err};
    bool ok = targets[0] >= 0;
    for (int i = 0; i < 2 && ok; ++i) {
        const int fd = ::fileno(streams[i]);
        if (fd >= 0 && ::isatty(fd)) {
            targets[1 + i] = fd;  // a terminal: the child writes there itself
            continue;
        }
        int textPipe[2];
        ok = ::pipe2(textPipe, O_CLOEXEC) == 0;
        if (!ok) break;
        host.text[i] = textPipe[0];
        childEnds[i] = textPipe[1];
        targets[1 + i] = textPipe[1];
    }
    if (ok) {
        std::fflush(nullptr);  // nothing buffered may be written twice
        const pid_t parent = ::getpid();
        host.pid = ::fork();
        if (host.pid == 0) runChild(task, targets, parent);
    }
    const int forkError = errno;
    ::close(answerPipe[1]);
    if (targets[0] >= 0) ::close(targets[0]);
    for (int& fd : childEnds) closeIfOpen(fd);
    if (!ok || host.pid < 0) {
        error = std::string("cannot start a child process (") + std::strerror(forkError) + ")";
        host.pid = -1;
        return false;
    }
    return true;
}

std::size_t ChildProcess::read(void* data, std::size_t size) {
    Host& host = *host_;
    while (host.answer >= 0) {
        if (!host.awaitAnswer()) continue;
        const ssize_t got = ::read(host.answer, data, size);
        if (got > 0) return static_cast<std::size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        closeIfOpen(host.answer);
    }
    return 0;
}

void ChildProcess::kill() {
    if (host_->pid > 0) ::kill(host_->pid, SIGKILL);
}

ChildEnd ChildProcess::wait() {
    Host& host = *host_;
    closeIfOpen(host.answer);
    while (host.text[0] >= 0 || host.text[1] >= 0) host.awaitAnswer();
    ChildEnd end;
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(host.pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    host.pid = -1;
    if (done < 0) {
        end.description = std::string("lost (") + std::strerror(errno) + ")";
        return end;
    }
    end.exited = WIFEXITED(status);
    end.status = end.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    end.description = describeEnd(status);
    return end;
}

bool writeToParent(const ParentLink& link, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(static_cast<int>(link.channel), bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool parentLinkFromArgument(const char*, ParentLink&) { return false; }  // children are forks here

}  // namespace platform
