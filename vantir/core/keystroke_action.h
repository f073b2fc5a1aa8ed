#pragma once

#include "vantir/core/classes.h"
#include "vantir/core/pause.h"

#include <QString>
#include <QStringList>

namespace platform {
class Alerts;
class EventPoster;
class FrontApplication;
class KeyboardLayout;
class Workspace;
} // namespace platform

namespace vantir {

/// The program's own name, which a keystroke action may name as its target.
inline const QString kProgramName = QStringLiteral("Vantir");

/// Whether an application's name (its window class, whose case differs between toolkits) is
/// the program's own.
inline bool isProgramName(const QString& applicationName) {
    return applicationName.compare(kProgramName, Qt::CaseInsensitive) == 0;
}

/// What a keystroke action leans on.
struct KeystrokeServices {
    platform::EventPoster& poster;
    platform::KeyboardLayout& layout;
    platform::Workspace& workspace;
    platform::FrontApplication& front;
    platform::Alerts& alerts;
    Pause pause;
};

/// Performs keystroke actions ("VNTAKeystroke"): brings the target application forward when
/// asked, waits the action's delay, holds its modifiers around the typed text or the key, and
/// gives the front back afterwards when asked. X11 cannot post input to one application, so
/// keys always go to the desktop, that is to the application in front.
class KeystrokePerformer {
public:
    explicit KeystrokePerformer(KeystrokeServices services) : m_services(std::move(services)) {}

    /// NO when the target could not be launched (after an alert; nothing is sent) or when a key
    /// could not be posted (no display, or a key code without a key, logged); YES otherwise.
    bool perform(const VNTAction& action);

private:
    bool sendKeyCode(int keyCode, bool down, bool flashMode);

    KeystrokeServices m_services;
};

/// The editor's application menu: the heading "Applications", then the launched applications
/// and "Front Row", sorted without regard to case.
QStringList applicationsMenuItems(const platform::Workspace& workspace);

/// The key name the editor shows for a text-editing command ("moveUp:" is "UP"); a command
/// the table lacks is shown as itself.
QString keyNameForCommand(const QString& command);

/// Modifier keys held during a key press in the editor.
struct ModifierFlags {
    bool shift = false;
    bool control = false;
    bool option = false;
    bool command = false;
};

/// Recording a key in the editor's key field: the key's code and the characters it typed.
void recordKeyInKeyField(const VNTAction& action, int keyCode, const QString& characters);
/// A special key pressed in the key field, which the text system turned into `command`; it
/// also takes the modifiers. Answers YES: the field consumes the command.
bool recordCommandInKeyField(const VNTAction& action, const QString& command, int keyCode,
                             ModifierFlags modifiers);
/// Typing in the editor's text field: the action types its text from now on.
void recordTypingInTextField(const VNTAction& action);

} // namespace vantir
