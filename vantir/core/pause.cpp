#include "vantir/core/pause.h"

#include "platform/core/clock.h"

#include <QEventLoop>

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

} // namespace vantir
