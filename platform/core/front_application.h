#pragma once

#include <QString>

#include <functional>

namespace platform {

/// Which application is in front. On the desktop an application is named by the class part of
/// its windows' WM_CLASS ("firefox"), the name layers, the editor and actions store.
class FrontApplication {
public:
    virtual ~FrontApplication() = default;

    /// The front application's name; empty when no window is active or it has no class.
    virtual QString frontApplicationName() const = 0;

    /// Calls `handler` on the main thread with the new name whenever the front application
    /// changes. One handler; setting another replaces it.
    virtual void setChangeHandler(std::function<void(const QString&)> handler) = 0;
};

} // namespace platform
