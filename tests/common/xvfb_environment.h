// Test support: private X servers. Every test program that links this gets
// one of its own for the whole run, whatever DISPLAY said before, so tests
// run in parallel never share a pointer or a keyboard focus.
#pragma once

#include <sys/types.h>

#include <string>

namespace testing_support {

// An Xvfb on a display number of its own. Stopping it removes the lock file
// and socket it leaves behind when killed.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer() { kill(); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    const std::string& display() const { return display_; }  // ":N", "" when it failed
    void kill();

private:
    pid_t pid_ = 0;
    int number_ = -1;
    std::string display_;
};

}  // namespace testing_support
