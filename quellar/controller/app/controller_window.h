#pragma once

#include "quellar/controller/core/controller.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QSystemTrayIcon;
class QTabWidget;
class QTableWidget;
class QThread;

namespace platform {
class Clock;
class Timer;
} // namespace platform

namespace quellar {

class PreferencesWindow;

/// What the window needs besides the controller: the clock of the live timer, the version
/// check and the diagnostic request.
struct WindowServices {
    platform::Clock& clock;
    std::function<void(bool interactive)> checkForNewVersion;
    std::function<void(const QString& text)> sendDiagnostic;
};

/// The main window: live values, the adapter and battery tables, the pop-ups, the buttons and
/// check boxes, the load and update sliders; and the status item. Closing it quits.
class ControllerWindow final : public QMainWindow, public ControllerView {
public:
    explicit ControllerWindow(WindowServices services);
    ~ControllerWindow() override;

    /// The controller is made after the window, which is its view.
    void setController(Controller* controller);
    /// Starts the live timer at the saved rate and shows the status item when asked.
    void start();

    // ControllerView
    void refresh() override;
    void liveValuesChanged() override;
    void testStarted() override;
    void testStatus(const QString& text) override;
    void testEnded() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    void readInt(int rate);
    void save();
    void unInstall();
    void showPrefs();
    void setupDisplay();
    void fillTable(QTableWidget* table, const StateTable& pairs);
    std::optional<int> selectedRow(Tab tab) const;
    Tab currentTab() const;
    template <typename Action> void onMainThread(Action action);

    WindowServices m_services;
    Controller* m_controller = nullptr;
    std::unique_ptr<platform::Timer> m_timer;
    QThread* m_test = nullptr;
    int m_testedSettings = 0;
    bool m_refreshing = false;

    QLabel* m_curFreq = nullptr;
    QLabel* m_curVid = nullptr;
    QLabel* m_curTemp = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_adapterTable = nullptr;
    QTableWidget* m_batteryTable = nullptr;
    QComboBox* m_listFreq = nullptr;
    QComboBox* m_listVolt = nullptr;
    QCheckBox* m_busDivide = nullptr;
    QComboBox* m_listSpeed = nullptr;
    QComboBox* m_listTemp = nullptr;
    QPushButton* m_addBtn = nullptr;
    QPushButton* m_clearBtn = nullptr;
    QPushButton* m_defBtn = nullptr;
    QPushButton* m_setButton = nullptr;
    QPushButton* m_saveBtn = nullptr;
    QCheckBox* m_switcherBtn = nullptr;
    QCheckBox* m_driverQuellar = nullptr;
    QLabel* m_testOutput = nullptr;
    QProgressBar* m_progress = nullptr;
    QSlider* m_cpuSlider = nullptr;
    QLabel* m_sl1 = nullptr;
    QSlider* m_updateSlider = nullptr;
    QLabel* m_updateValue = nullptr;
    QAction* m_checkVersion = nullptr;
    QSystemTrayIcon* m_display = nullptr;
    std::vector<QAction*> m_menuItems;
    PreferencesWindow* m_preferences = nullptr;
};

} // namespace quellar
