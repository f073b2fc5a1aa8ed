#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace platform::doubles {

/// Runs the event loop until `done()` holds or `timeoutMs` has passed; answers `done()`. For
/// tests that wait for a real event (a signal, a peer, a socket) with a bound, never a fixed
/// sleep.
template <typename Condition> bool waitUntil(Condition done, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace platform::doubles
