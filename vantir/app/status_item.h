#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vantir {

class VNTController;

/// Windows the status item's menu opens.
struct StatusItemWindows {
    std::function<void()> showPreferences;
    std::function<void()> showEditor;
    /// Ends the program (by default at once).
    std::function<void()> quit;
};

/// The program's item in the panel's tray: its menu switches the remote on and off, shows the
/// display, the editor and the preferences, and quits. Without a tray host it says so once and
/// shows nothing.
class StatusItem final : public QObject {
public:
    explicit StatusItem(VNTController& controller, StatusItemWindows windows = {});
    ~StatusItem() override;

    /// Whether the item is shown (a tray host exists).
    bool isVisible() const;

private:
    void update();

    VNTController& m_controller;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QAction* m_activate = nullptr;
};

} // namespace vantir
