// Work split into one contiguous range per core.
#pragma once

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace support {

// Runs work(first, last) over [0, count) split into one range per core; the
// range with `first` 0 runs on the calling thread, after the others start.
// Each item is done by one call, so results do not depend on the split. A
// range whose thread cannot start (the confined scan reader may start none)
// runs on the calling thread.
template <typename Index, typename Work>
void inParallel(Index count, const Work& work) {
    const Index cores = static_cast<Index>(std::max(1u, std::thread::hardware_concurrency()));
    const Index threads = std::max<Index>(1, std::min(cores, count));
    std::vector<std::thread> helpers;
    Index started = 1;
    try {
        for (; started < threads; ++started) {
            const Index t = started;
            helpers.emplace_back(
                [&work, t, threads, count] { work(count * t / threads, count * (t + 1) / threads); });
        }
    } catch (const std::system_error&) {
        // Left to this thread, below.
    }
    work(Index{0}, count / threads);
    for (Index t = started; t < threads; ++t) work(count * t / threads, count * (t + 1) / threads);
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace support
