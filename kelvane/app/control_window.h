#pragma once

#include "platform/x11/x11_display.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>

class QMenu;
class QSlider;
class QToolButton;

namespace kelvane {

/// The narrow window that drops from the status item: the level slider and the action
/// button with its menu. Losing the focus pulls it back up.
class KelvaneControlWindow : public QWidget {
    Q_OBJECT
public:
    KelvaneControlWindow(QMenu* actionMenu, bool floating);

    QSlider* slider() { return m_slider; }
    QToolButton* menuButton() { return m_menuButton; }

Q_SIGNALS:
    /// The window stopped being the active one.
    void windowDidResignKey();

protected:
    void changeEvent(QEvent* event) override;

private:
    QSlider* m_slider;
    QToolButton* m_menuButton;
};

/// The status item: a tray icon whose click drops the control window under it and a second
/// click pulls it up. Without a tray the control window is an ordinary small window.
class KelvaneWindowDropper : public QObject {
    Q_OBJECT
public:
    /// `beforeDrop` runs on every click of the item, first (it fades out the first-start
    /// notice); `afterDrop` runs once the window is down.
    KelvaneWindowDropper(KelvaneControlWindow& window, Display* display, QMenu* contextMenu,
                         const QString& toolTip, std::function<void()> beforeDrop,
                         std::function<void()> afterDrop);

    bool hasStatusItem() const { return m_statusItem != nullptr; }
    /// Whether the tray has said where the item is.
    bool hasStatusItemGeometry() const;
    QRect statusItemGeometry() const;
    bool isSheetDown() const { return m_sheetDown; }
    /// The middle of the item's lower edge; the pointer when the tray does not say.
    QPoint statusItemOrigin() const;
    /// The same toggle a click on the item does.
    void mouseDown();
    void launch();
    void retract();

Q_SIGNALS:
    /// Posted each time the window drops.
    void kelvaneCheckClicked();

private:
    void dropWindowAtPoint(QPoint point);
    void setSheetDown(bool down);

    KelvaneControlWindow& m_window;
    Display* m_display;
    QSystemTrayIcon* m_statusItem = nullptr;
    QIcon m_image;
    QIcon m_alternateImage;
    std::function<void()> m_beforeDrop;
    std::function<void()> m_afterDrop;
    bool m_sheetDown = false;
};

/// The status images, drawn rather than loaded so they follow the icon size.
QIcon statusImage(bool alternate);

} // namespace kelvane
