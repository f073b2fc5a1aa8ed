#pragma once

#include "vantir/app/osd_view.h"
#include "vantir/core/osd_display.h"

#include <QWidget>

#include <memory>

namespace platform {
class Clock;
class Defaults;
class Timer;
} // namespace platform

namespace vantir {

class VNTOSDController;
class OSDTemplates;

/// A display window as the controller drives it: the borderless, transparent window that can
/// be dragged by any point, or the one that covers the main screen.
class OSDWindow : public QWidget, public OSDDisplay {
public:
    enum class Kind { Window, Fullscreen };
    /// "TakeOverScreen" keeps the window above others; "DontTakeOverScreen" lets the full-screen
    /// display stay below floating windows.
    /// The full-screen window takes the focus back on `clock` when another window takes it.
    OSDWindow(Kind kind, const OSDTemplates& templates, const platform::Defaults& defaults,
              platform::Clock& clock);
    ~OSDWindow() override;

    VNTOSDController& osdController() { return *m_osd; }
    void setKeyHandler(DisplayKeyHandler handler);

    bool isOpen() const override { return isVisible(); }
    void open() override;
    void close() override { hide(); }
    void refill(const VNTTriggerLayer& layer) override;
    void refresh() override { update(); }
    void setOSDBHighlighted(int osdb, bool highlighted) override;
    void setClickHandler(std::function<void(int osdb)> handler) override;
    /// The window lost the focus: the full-screen display, while open, comes back to the front
    /// half a second later.
    void windowDidResignKey();

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Kind m_kind;
    std::unique_ptr<VNTOSDController> m_osd;
    platform::Clock& m_clock;
    std::unique_ptr<platform::Timer> m_regainFocusTimer;
    DisplayKeyHandler m_keyHandler;
    /// Where the pointer took hold of the window, relative to its origin.
    QPoint m_initialLocation;
};

} // namespace vantir
