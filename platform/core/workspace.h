#pragma once

#include <QString>
#include <QStringList>

namespace platform {

/// The applications on the desktop, named as `FrontApplication` names them (the class part of
/// their windows' WM_CLASS), and starting or bringing one forward by that name.
class Workspace {
public:
    virtual ~Workspace() = default;

    /// The applications that have windows, each once, in the order the window manager lists
    /// their windows.
    virtual QStringList launchedApplications() const = 0;

    /// Brings the application `name` (compared without case) to the front: asks the window
    /// manager to activate its window when it has one, otherwise starts it from its desktop
    /// entry, which then comes up in front. False when it has no window and no entry, or the
    /// entry could not be started.
    virtual bool launchApplication(const QString& name) = 0;
};

} // namespace platform
