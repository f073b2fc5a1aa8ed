#pragma once

#include "platform/x11/x11_event_poster.h"
#include "platform/x11/x11_workspace.h"
#include "platform/x11/xkb_keyboard_layout.h"
#include "vantir/core/keystroke_action.h"
#include "vantir/core/model_context.h"
#include "vantir/core/mouse_action.h"
#include "vantir/core/script_action.h"

namespace platform {
class Clock;
} // namespace platform

namespace vantir {

/// The action kinds performed on the real desktop: keys and the mouse through the X server,
/// scripts through the shell. Made once by main(); while it lives, actions of the three kinds
/// perform through it in the model context it was given.
class DesktopActions {
public:
    /// `display` may be null (no X server): keystroke and mouse actions then fail, said once in
    /// the log; scripts still run.
    DesktopActions(ModelContext& model, Display* display, platform::FrontApplication& front,
                   platform::Alerts& alerts, TimedAlerts& timedAlerts,
                   const platform::Defaults& defaults, platform::Clock& clock);
    ~DesktopActions();
    DesktopActions(const DesktopActions&) = delete;
    DesktopActions& operator=(const DesktopActions&) = delete;

    /// The runner of the program's own scripts (announcements).
    VantirASHandler& scriptRunner() { return m_scriptRunner; }
    /// The session's keyboard and mouse, for input the program posts by itself.
    platform::EventPoster& eventPoster() { return m_poster; }

private:
    ModelContext& m_model;
    platform::x11::X11EventPoster m_poster;
    platform::x11::XkbKeyboardLayout m_layout;
    platform::x11::X11Workspace m_workspace;
    KeystrokePerformer m_keystroke;
    MousePerformer m_mouse;
    ScriptPerformer m_script;
    VantirASHandler m_scriptRunner;
};

/// The frame of the screen that holds `point`, in X's pixels.
QRect screenFrameAt(QPoint point);

} // namespace vantir
