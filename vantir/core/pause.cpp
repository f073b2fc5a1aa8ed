#include "vantir/core/pause.h"

#include "platform/core/clock.h"

#include <QEventLoop>

#include <atomic>
#include <thread>

namespace vantir {

Pause eventLoopPause(platform::Clock& clock) {
    return [&clock](double seconds) {
        if (seconds <= 0)
            return;
        QEventLoop loop;
        const auto timer =
            clock.scheduleTimer(seconds, platform::Repeats::No, [&loop] { loop.quit(); });
        loop.exec();
    };
}

void runOffMainThread(const std::function<void()>& work) {
    QEventLoop loop;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
        // Queued to the loop's thread; dropped with the loop if it never ran.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done)
        loop.exec();
    worker.join();
}

} // namespace vantir
