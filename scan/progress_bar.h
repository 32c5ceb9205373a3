// A progress bar on standard error for steps that take a while: it shows
// only on a terminal, and only once a step has run for about a second, so
// quick imports and logs stay quiet.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace scan {

class ProgressBar {
public:
    ProgressBar(std::FILE* stream, std::string label, std::size_t total);
    ~ProgressBar();  // ends the bar's line when one was drawn
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::size_t done);

private:
    std::FILE* stream_;
    std::string label_;
    std::size_t total_;
    bool terminal_;
    bool drawn_ = false;
    int lastPercent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace scan
