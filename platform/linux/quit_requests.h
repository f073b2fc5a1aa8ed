#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

/// Routes the requests to end the program that come from outside it to the program's own
/// quit path (the one its Quit menu item or its main window's close box takes), so that what
/// the program saves at quit is saved: SIGTERM (logout, shutdown, `kill`), SIGINT (Ctrl+C),
/// SIGHUP (the terminal went away) and, in a QGuiApplication, the session manager's
/// end-of-session request. `quit` runs on the event loop's thread, once for the signals that
/// arrived since it last ran; it may refuse, as the user could. At most one exists at a time; its
/// destruction gives the signals their default handling back.
class QuitRequests final : public QObject {
public:
    explicit QuitRequests(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitRequests() override;

    /// False when the signals could not be routed (no pipe); the program then ends on them
    /// as it would without this object.
    bool catchesSignals() const { return m_notifier != nullptr; }

private:
    void drainAndQuit();

    std::function<void()> m_quit;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
