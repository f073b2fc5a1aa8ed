#pragma once

#include <QString>

#include <functional>

namespace vantir {

class VNTTriggerLayer;

/// One on-screen display window as the controller drives it: the window that shows the active
/// layer's buttons, or its full-screen form.
class OSDDisplay {
public:
    virtual ~OSDDisplay() = default;

    /// Whether the window is open (shown).
    virtual bool isOpen() const = 0;
    /// Opens the window, or brings it to the front, with the program activated.
    virtual void open() = 0;
    virtual void close() = 0;
    /// Fills the display with the buttons of `layer`.
    virtual void refill(const VNTTriggerLayer& layer) = 0;
    /// Draws again what it shows.
    virtual void refresh() = 0;
    /// Marks the button with OSD number `osdb` (2 is the title) as being performed, or not.
    virtual void setOSDBHighlighted(int osdb, bool highlighted) = 0;
    /// Called with the OSD button number when the user clicks a button of the display (0: the
    /// full-screen display's close button).
    virtual void setClickHandler(std::function<void(int osdb)> handler) = 0;
};

/// Plays the program's short sounds by name ("Hi", "Bye").
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& name) = 0;
};

} // namespace vantir
