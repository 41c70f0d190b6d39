// Measuring and bounding waits.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kalyxtest {

using Clock = std::chrono::steady_clock;

inline long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Polls `done` until it holds; false when `timeoutMs` passes first.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace kalyxtest
