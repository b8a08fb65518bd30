// The little the simulated machine needs from the real one: one lock, one
// background thread at a time, a sleep and a clock. Native threads on
// Windows (the simulated-machine probe must start on Windows 98 and XP, so
// no C++ thread library and none of the newer calls it brings), the C++
// library elsewhere.
#pragma once

#include <functional>

namespace sim::os {

void Lock();
void Unlock();
struct Guard {
    Guard() { Lock(); }
    ~Guard() { Unlock(); }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;
};

// Starts fn on a thread of its own; the previous one must have been joined.
void StartBackground(std::function<void()> fn);
// Waits for the background thread, if any.
void JoinBackground();

void SleepMs(unsigned ms);
// A monotonic clock in milliseconds.
unsigned long long NowMs();

}  // namespace sim::os
