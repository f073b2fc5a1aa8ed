#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QTabWidget;

namespace platform {
class Alerts;
}

namespace vantir {

class Preferences;

/// What the preferences window tells the program and asks it.
struct PreferencesWindowHooks {
    /// Called with whether the window is shown and the label of its current tab, whenever
    /// either changes.
    std::function<void(bool visible, const QString& tab)> shownTab = [](bool, const QString&) {
    };
    /// The remote's ID as the receiver reports it, or -1 without one.
    std::function<int()> remoteID = [] {
        return -1;
    };
};

/// The preferences panel: remote timing, announcements, start-up, display and debug switches
/// and the version check. Changes are kept in the window until "Apply" writes them all.
class PreferencesWindow : public QWidget {
public:
    PreferencesWindow(Preferences& preferences, platform::Alerts& alerts,
                      PreferencesWindowHooks hooks = {});
    ~PreferencesWindow() override;

    /// Brings the panel to the front with the stored values.
    void showPreferencesPanel();
    /// Writes every value, closes the panel and tells the program ("PreferencesChanged").
    void apply();
    /// Puts the stored values back into the panel.
    void loadPrefs();
    bool isEdited() const { return isWindowModified(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Field;
    void addField(QWidget* page, Field field);
    void applyValues();
    void changedOption();
    void reportTab();

    Preferences& m_preferences;
    platform::Alerts& m_alerts;
    PreferencesWindowHooks m_hooks;
    QTabWidget* m_tabs = nullptr;
    std::vector<Field> m_fields;
    bool m_loading = false;
};

} // namespace vantir
