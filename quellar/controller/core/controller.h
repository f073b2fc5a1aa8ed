#pragma once

#include "platform/core/alerts.h"
#include "quellar/common/core/driver_entries.h"
#include "quellar/controller/core/choice_lists.h"
#include "quellar/controller/core/installed_system.h"
#include "quellar/controller/core/load_generator.h"
#include "quellar/controller/core/privileged.h"
#include "quellar/controller/core/settings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

namespace platform {
class Alerts;
class Defaults;
} // namespace platform

namespace quellar {

enum class Tab { Adapter = 0, Battery = 1 };

/// What the windows show of the controller. The controller calls these on the thread it runs
/// on; the test run calls the three test callbacks from its own thread, and the view posts
/// them to the main thread.
class ControllerView {
public:
    virtual ~ControllerView() = default;
    /// Lists, tables, selections and check boxes changed: redraw them from the controller.
    virtual void refresh() = 0;
    /// The live values (and the status title) changed.
    virtual void liveValuesChanged() = 0;
    /// The test began: the Save button reads "Cancel", the load slider is at its maximum.
    virtual void testStarted() = 0;
    virtual void testStatus(const QString& text) = 0;
    /// The test ended: no status, the load slider at its minimum, the button reads "Save".
    virtual void testEnded() = 0;
};

/// What the kernel tells every user when the driver entries cannot be read (the daemon is not
/// running and the registers are root's): the present frequency and temperature.
class FallbackReadings {
public:
    virtual ~FallbackReadings() = default;
    virtual std::optional<int> megahertz() = 0;
    virtual std::optional<int> celsius() = 0;
};

/// The services the controller leans on, handed in by the program (or a test).
struct ControllerServices {
    platform::Alerts& alerts;
    platform::Defaults& defaults;
    DriverEntries& driver;
    Privileged& privileged;
    Keychain& keychain;
    const InstalledSystem& system;
    Pause& pause;
    /// The agreement shown before the first installation.
    QString agreement;
    /// Used when the driver entries fail; may be null.
    FallbackReadings* fallback = nullptr;
};

/// QuellarController's main object without its windows: the start-up sequence, the tables,
/// the installation steps, the live display and the test run.
class Controller {
public:
    Controller(ControllerServices services, ControllerView& view);
    ~Controller();

    // Start-up.
    void awakeFromNib();

    // Installation and privileged primitives.
    bool installFiles();
    bool kextLoad();
    bool updateDriver();
    bool updateDaemon();
    bool uninstallFiles();
    bool ctlDaemon(bool on);
    bool setValue(std::uint32_t packedSetting);
    bool SaveSwitchPlist();
    bool LoadSwitcherPlist();
    void setDriver();
    /// The driver check box: hand the processor to the daemon or back to the kernel.
    void changeDriver(bool on);
    bool getDefValue();
    bool keySet(const QString& name, const QString& password);
    /// Offers the restart after the removal; answers whether it was started.
    bool restart();
    /// The main window's Uninstall: stop the daemon, then remove everything.
    void unInstall();
    /// An alert with one "OK".
    void tellUser(const QString& title, const QString& message) { tell(title, message); }
    bool keyRem(const QString& name);

    // Editing.
    void selectFrequency(int item);
    void selectVoltage(int item);
    /// The voltage pop-up was used: the one-time warning.
    void clickVolt();
    void clickDivide(bool halfBus);
    void addFreq(Tab tab, std::optional<int> selectedRow);
    void clearTable(Tab tab, std::optional<int> selectedRow);
    /// Without a tab both tables take the factory states.
    void addDefault(std::optional<Tab> tab);
    void applyFreq();
    void switcherOn(bool on);
    void changeSpeed(int item);
    void tempLimit(int item);

    // Save and test.
    /// Runs on the caller's thread (a worker): the whole test and save of the tables.
    void testSettings();
    void cancelTest() { m_stop = true; }
    bool testRunning() const { return m_testRunning; }

    // Live display.
    void readFreq();
    void updateVID();
    void updateDiv();
    void updateCurFreq();
    void updateTemp();
    void menuOut();
    /// A click on status menu item `item` (0-2 values, 3 all at once, 4 hide icon, 5 small font).
    void menuController(int item);
    int getChecked() const;
    void showMenu(bool flag);
    void setUpdateInt(int readingsPerSecond);
    void setFahrenheit(bool fahrenheit);
    void setCheckForNewVersion(bool on);
    void setCpuLoad(int value, int maximum);

    // State the windows show.
    const ControllerSettings& settings() const { return m_settings; }
    const ChoiceLists& lists() const { return m_lists; }
    const FactoryTable& factory() const { return m_factory; }
    const MachineModel& machine() const { return m_machine; }
    std::int32_t busfreq() const { return m_busfreq; }
    int selectedFrequency() const { return m_selectedFrequency; }
    int selectedVoltage() const { return m_selectedVoltage; }
    /// Voltage items 0..enabledCount - 1 may be picked.
    int voltageEnabledCount() const { return m_voltageEnabledCount; }
    bool halfBus() const { return m_halfBus; }
    bool driverOn() const { return m_driverOn; }
    bool switcherChecked() const { return m_switcherOn; }
    bool switcherEnabled() const { return m_driverOn; }
    bool setEnabled() const { return !m_switcherOn; }
    std::optional<int> speedItem() const { return quellar::speedItem(m_settings); }
    int temperatureItem() const { return quellar::temperatureItem(m_settings.tLimit); }
    QStringList temperatureItems() const {
        return quellar::temperatureItems(m_settings.fahrenheitScale);
    }
    const QString& curFreq() const { return m_curFreq; }
    const QString& curVid() const { return m_curVid; }
    const QString& curTemp() const { return m_curTemp; }
    const QString& statusTitle() const { return m_statusTitle; }
    StatePair CurrentState() const { return m_currentState; }
    LoadGenerator& loadGenerator() { return m_load; }
    Keychain& keychain() { return m_services.keychain; }

private:
    platform::AlertResponse ask(const QString& title, const QString& message,
                                const QStringList& buttons);
    void tell(const QString& title, const QString& message);
    void createSettings();
    bool run(HelperVerb verb, const QByteArray& input = {});
    /// Stops the daemon and puts a fresh copy of one installed piece in place of the old.
    bool replaceInstalled(HelperVerb remove, HelperVerb install);
    bool ChangePlist(int control);
    void fillLists();
    void changeFreq();
    StateTable& tableOf(Tab tab) { return tab == Tab::Adapter ? m_settings.SetA : m_settings.SetB; }
    std::optional<std::int32_t> readEntry(const char* name);
    void statusWords(std::optional<std::int32_t>& low, std::optional<std::int32_t>& high);
    void runTable(const StateTable& table, const char* name);

    ControllerServices m_services;
    ControllerView& m_view;
    ControllerSettings m_settings;
    ChoiceLists m_lists;
    FactoryTable m_factory;
    MachineModel m_machine;

    int m_selectedFrequency = -1;
    int m_selectedVoltage = -1;
    int m_voltageEnabledCount = 0;
    bool m_halfBus = false;
    bool m_driverOn = false;
    bool m_switcherOn = false;
    StatePair m_currentState;

    // Live values.
    std::int32_t m_busfreq = 0;
    std::int32_t m_currentdiv = 0;
    std::int32_t m_busdiv = 1;
    bool m_extra = false;
    bool m_divRead = false;
    std::int32_t m_menuUpdate = 0;
    std::uint32_t m_menuNr = 0;
    QString m_curFreq, m_curVid, m_curTemp, m_statusTitle;

    std::optional<std::pair<std::int32_t, std::int32_t>> m_helperStatus;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_testRunning{false};
    LoadGenerator m_load;
};

/// The status item's title: the checked values in turn, or all at once.
QString statusTitle(const std::array<std::int8_t, 8>& checkedItems, std::uint32_t& menuNr,
                    const QString& frequency, const QString& voltage, const QString& temperature);

} // namespace quellar
