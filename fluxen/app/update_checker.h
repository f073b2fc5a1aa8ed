#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>
#include <thread>

namespace fluxen {

/// The one-shot update check: asks the server on a thread of its own, waiting at most the
/// timeout for the whole answer, and hands the answer to the main thread. Destroying the checker
/// waits for a check still running (at most its timeout).
class UpdateChecker {
public:
    /// `onAnswer` runs on the thread of `context`, unless `context` is gone by then; it gets
    /// the body, or nothing when the check failed (no server, a refused or broken connection,
    /// a status other than 200, an address that is not "http", the time running out).
    using Answer = std::function<void(std::optional<QByteArray> body)>;

    UpdateChecker() = default;
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    /// Starts the check unless one is already running; answers whether it started.
    bool pingHome(const QUrl& url, int timeoutMs, QObject* context, Answer onAnswer);

private:
    std::thread m_thread;
};

} // namespace fluxen
