#include "scan/progress_bar.h"

#include "platform/process.h"

namespace scan {

ProgressBar::ProgressBar(std::FILE* stream, std::string label, std::size_t total)
    : stream_(stream),
      label_(std::move(label)),
      total_(total),
      terminal_(platform::isTerminal(stream)),
      start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    if (!drawn_) return;
    update(total_);
    std::fputc('\n', stream_);
}

void ProgressBar::update(std::size_t done) {
    if (!terminal_ || total_ == 0) return;
    if (!drawn_ && std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
    const int percent = static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total_));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    drawn_ = true;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(stream_, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled,
                 "==============================", kWidth - filled, "", percent);
    std::fflush(stream_);
}

}  // namespace scan
