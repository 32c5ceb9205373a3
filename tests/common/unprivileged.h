// Runs a piece of a test where file permissions hold. Tests often run as
// root, which reads any file whatever its mode; the piece then runs in a
// child process as user and group "nobody" (65534).
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace testing_support {

constexpr uid_t kNobody = 65534;

struct UnprivilegedResult {
    bool ran = false;     // false when the child could not give up root
    std::string output;   // what the body returned
};

// Calls `body` in a child process without root's rights and brings back the
// text it returns.
inline UnprivilegedResult runUnprivileged(const std::function<std::string()>& body) {
    UnprivilegedResult result;
    int fds[2];
    if (pipe(fds) != 0) return result;
    const pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        close(fds[0]);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(3);
        }
        const std::string text = body();
        const ssize_t wrote = write(fds[1], text.data(), text.size());
        _exit(wrote == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    close(fds[1]);
    char chunk[512];
    ssize_t got;
    while ((got = read(fds[0], chunk, sizeof chunk)) > 0) result.output.append(chunk, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

}  // namespace testing_support
