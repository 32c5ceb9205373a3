#include "tests/common/xvfb_environment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "tests/common/run_command.h"
#include "tests/common/temp_dir.h"

namespace testing_support {

PrivateXServer::PrivateXServer() {
    // A number of its own, chosen here rather than with -displayfd: servers
    // that start at the same moment (tests run in parallel) can otherwise
    // end up on one number. The screen width tells this server from any
    // other that answers on the number, the test program's others included.
    static int serial = 0;
    const int own = static_cast<int>(getpid()) + 89 * serial++;
    const int width = 800 + own % 200;
    const std::string geometry = std::to_string(width) + " 600";
    for (int attempt = 0; attempt < 40 && display_.empty(); ++attempt) {
        const int number = 300 + (own * 7 + attempt * 13) % 600;
        const std::string display = ":" + std::to_string(number);
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test killed at its timeout
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            const std::string screen = std::to_string(width) + "x600x24";
            // -noreset: by default the server resets when its last client
            // leaves and refuses connections meanwhile.
            execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        pid_ = pid;
        for (int wait = 0; wait < 100; ++wait) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {  // the number was taken
                pid_ = 0;
                break;
            }
            if (runCommand("DISPLAY=" + display + " xdotool getdisplaygeometry").output.rfind(geometry, 0) ==
                0) {
                number_ = number;
                display_ = display;
                break;
            }
            usleep(50 * 1000);
        }
        if (display_.empty()) kill();
    }
}

void PrivateXServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    // A killed server leaves its lock and socket; remove them when the lock
    // names this server, never another's.
    const std::string lock = "/tmp/.X" + std::to_string(number_) + "-lock";
    if (number_ >= 0 && std::atoi(readBytes(lock).c_str()) == pid_) {
        unlink(("/tmp/.X11-unix/X" + std::to_string(number_)).c_str());
        unlink(lock.c_str());
    }
    pid_ = 0;
}

}  // namespace testing_support

namespace {

// Every test program that links this file gets the display.
class XvfbEnvironment : public ::testing::Environment {
    void SetUp() override {
        server_ = std::make_unique<testing_support::PrivateXServer>();
        ASSERT_FALSE(server_->display().empty()) << "Xvfb did not start";
        setenv("DISPLAY", server_->display().c_str(), 1);
    }
    void TearDown() override {
        server_.reset();
        unsetenv("DISPLAY");
    }
    std::unique_ptr<testing_support::PrivateXServer> server_;
};

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace
