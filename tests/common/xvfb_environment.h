// Test support: a display for tests that need one. When DISPLAY is unset the
// environment starts a private Xvfb for the test process and stops it after.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    pid_t server_ = 0;
};
