#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace quellar {

/// Four threads that each sleep `sle` microseconds in an endless loop; with `sle` = 0 they spin
/// and load the processor fully. `sle` is one atomic 32-bit value that any thread may set.
class LoadGenerator {
public:
    static constexpr int kThreads = 4;
    static constexpr std::int32_t kIdle = 1000000;

    LoadGenerator();
    ~LoadGenerator();
    LoadGenerator(const LoadGenerator&) = delete;
    LoadGenerator& operator=(const LoadGenerator&) = delete;

    /// Starts the threads (`taxCPU1` four times); a second call does nothing.
    void start();
    void setSleep(std::int32_t microseconds);
    std::int32_t sleep() const { return m_sle.load(); }

    /// The sleep for the CPU load slider's value `v` of `maximum`: 1000000 at 0, 0 at the
    /// maximum, else the integer part of 2^(10 - v) + 15 - v.
    static std::int32_t sleepForSlider(int v, int maximum);

private:
    void taxCPU2();

    std::atomic<std::int32_t> m_sle{kIdle};
    std::atomic<bool> m_quit{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::thread> m_threads;
};

} // namespace quellar
