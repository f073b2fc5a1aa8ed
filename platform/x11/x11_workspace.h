#pragma once

#include "platform/core/workspace.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

typedef struct _XDisplay Display;

namespace platform::x11 {

/// The desktop's applications as the window manager lists them (`_NET_CLIENT_LIST`, the
/// class of each window's WM_CLASS), activation through the `_NET_ACTIVE_WINDOW` request, and
/// starting an application from its desktop entry with `gio launch` (or the entry's command
/// when gio is missing).
class X11Workspace final : public Workspace {
public:
    /// `display` names the server; null gives a workspace that lists nothing and can only start
    /// applications. `entryFolders` are where desktop entries are looked for.
    explicit X11Workspace(Display* display, QStringList entryFolders);
    ~X11Workspace() override;

    QStringList launchedApplications() const override;
    bool launchApplication(const QString& name) override;

private:
    struct Connection;
    struct Client {
        std::uint32_t window;
        QString className;
    };

    std::vector<Client> clients() const;
    bool activate(std::uint32_t window);
    bool start(const QString& name);

    std::unique_ptr<Connection> m_connection;
    QStringList m_entryFolders;
};

} // namespace platform::x11
