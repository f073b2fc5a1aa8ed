#include "quellar/controller/core/load_generator.h"

#include <chrono>
#include <cmath>

namespace quellar {

LoadGenerator::LoadGenerator() = default;

LoadGenerator::~LoadGenerator() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void LoadGenerator::start() {
    if (!m_threads.empty())
        return;
    for (int i = 0; i < kThreads; ++i)
        m_threads.emplace_back([this] { taxCPU2(); });
}

void LoadGenerator::setSleep(std::int32_t microseconds) {
    m_sle = microseconds;
    // A thread asleep for a second takes the new value at once instead of after its sleep.
    m_wake.notify_all();
}

std::int32_t LoadGenerator::sleepForSlider(int v, int maximum) {
    if (v <= 0)
        return kIdle;
    if (v >= maximum)
        return 0;
    return std::int32_t(std::pow(2.0, 10 - v) + 15 - v);
}

void LoadGenerator::taxCPU2() {
    while (!m_quit.load(std::memory_order_relaxed)) {
        const std::int32_t sle = m_sle.load(std::memory_order_relaxed);
        if (sle == 0)
            continue; // spin: full load
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::microseconds(sle),
                        [&] { return m_quit.load() || m_sle.load() != sle; });
    }
}

} // namespace quellar
