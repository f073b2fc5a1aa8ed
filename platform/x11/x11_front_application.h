#pragma once

#include "platform/core/front_application.h"

#include <memory>

typedef struct _XDisplay Display;
typedef struct xcb_connection_t xcb_connection_t;
class QSocketNotifier;

namespace platform::x11 {

/// The front application on an X server: the class part of WM_CLASS of the window that the
/// window manager names in the root window's _NET_ACTIVE_WINDOW. The property is watched, so a
/// change is heard as it happens and the name is never polled. A window that vanishes while it
/// is read gives the empty name.
class X11FrontApplication final : public FrontApplication {
public:
    /// Watches the server that `display` is connected to, on a connection of its own (its
    /// errors then stay its own). Without a server the name stays empty.
    explicit X11FrontApplication(Display* display);
    ~X11FrontApplication() override;
    X11FrontApplication(const X11FrontApplication&) = delete;
    X11FrontApplication& operator=(const X11FrontApplication&) = delete;

    QString frontApplicationName() const override { return m_name; }
    void setChangeHandler(std::function<void(const QString&)> handler) override {
        m_handler = std::move(handler);
    }

private:
    void processEvents();
    void update();
    QString readFrontApplicationName() const;

    xcb_connection_t* m_connection = nullptr;
    unsigned m_root = 0;
    unsigned m_activeWindowAtom = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_name;
    std::function<void(const QString&)> m_handler;
};

} // namespace platform::x11
