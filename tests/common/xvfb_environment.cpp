#include "tests/common/xvfb_environment.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

void XvfbEnvironment::SetUp() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        return;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    server_ = fork();
    ASSERT_GE(server_, 0);
    if (server_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1024x768x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it chose once it accepts connections.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    setenv("DISPLAY", (":" + number).c_str(), 1);
}

void XvfbEnvironment::TearDown() {
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
        server_ = 0;
        unsetenv("DISPLAY");
    }
}

// Every test program that links this file gets the display.
static ::testing::Environment* const xvfb =
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);
