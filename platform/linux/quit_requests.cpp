#include "platform/linux/quit_requests.h"

#include "platform/core/log.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The self-pipe: a signal handler may do almost nothing, so it writes one byte that the event
// loop reads. Process-wide because signal dispositions are.
int signalPipe[2] = {-1, -1};

void onQuitSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitRequests::QuitRequests(std::function<void()> quit, QObject* parent)
    : QObject(parent), m_quit(std::move(quit)) {
    assert(signalPipe[0] < 0 && "only one QuitRequests at a time");
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        log(QStringLiteral("cannot catch the quit signals: no pipe"));
        signalPipe[0] = signalPipe[1] = -1;
    } else {
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &QuitRequests::drainAndQuit);
        struct sigaction action = {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        // Interrupted system calls elsewhere in the program resume instead of failing.
        action.sa_flags = SA_RESTART;
        for (const int signal : kQuitSignals)
            ::sigaction(signal, &action, nullptr);
    }
#ifndef QT_NO_SESSIONMANAGER
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { m_quit(); });
    }
#endif
}

QuitRequests::~QuitRequests() {
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kQuitSignals)
        ::sigaction(signal, &action, nullptr);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void QuitRequests::drainAndQuit() {
    char bytes[16];
    bool requested = false;
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0)
        requested = true;
    if (requested)
        m_quit();
}

} // namespace platform
