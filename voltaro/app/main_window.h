#pragma once

#include "voltaro/app/level_indicator.h"
#include "voltaro/core/app_controller.h"

#include <QMainWindow>

#include <functional>

class QDialog;
class QLabel;
class QPushButton;

namespace voltaro {

class PreferencesWindow;

/// The main window: charge, capacity and the additional facts, the history button and the
/// preferences sheet. It is the controller's outlets.
class MainWindow final : public QMainWindow, public MainWindowOutlets {
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // MainWindowOutlets
    void loadPreferences(const PreferencesSheet& sheet) override;
    void centerWindows() override;
    void setArchitecture(const QString& text) override;
    void showBatteryFields(const BatteryFields& fields) override;

    /// The look chosen at start: the "back.png" pattern as the window's background.
    void useTexturedBackground(const QString& imagePath);

    PreferencesWindow* preferencesWindow() const { return m_preferencesWindow; }
    QPushButton* saveDataButton() const { return m_saveData; }
    QPushButton* historyButton() const { return m_history; }

    /// The ten value fields, in the window's order, and the architecture field.
    QList<QLabel*> valueFields() const;
    QLabel* archTextField() const { return m_archTextField; }
    LevelIndicator* chargeLevelBar() const { return m_chargeBar; }

    /// Asked before the window closes (and the program with it); false keeps it open.
    std::function<bool()> shouldClose;

    void main_openPreferences();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_charge_current_TextField;
    QLabel* m_charge_maximum_TextField;
    LevelIndicator* m_chargeBar;
    QLabel* m_charge_indicatorPercent_TextField;
    QLabel* m_capacity_current_TextField;
    QLabel* m_capacity_original_TextField;
    LevelIndicator* m_capacityBar;
    QLabel* m_capacity_indicatorPercent_TextField;
    QLabel* m_additionalInfo_batteryLoadcycles_TextField;
    QLabel* m_additionalInfo_ageOfYourMac_TextField;
    QLabel* m_additionalInfo_chargerConnected_TextField;
    QLabel* m_additionalInfo_batteryCharging_TextField;
    QLabel* m_archTextField;
    QPushButton* m_saveData;
    QPushButton* m_history;
    QPushButton* m_preferences;
    PreferencesWindow* m_preferencesWindow;
    QDialog* m_aboutWindow;
};

} // namespace voltaro
