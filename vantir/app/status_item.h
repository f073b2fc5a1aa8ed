#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vantir {

class VNTController;

/// The program's item in the panel's tray: its menu switches the remote on and off, shows the
/// display and quits. Without a tray host it says so once and shows nothing.
class StatusItem final : public QObject {
public:
    explicit StatusItem(VNTController& controller);
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
