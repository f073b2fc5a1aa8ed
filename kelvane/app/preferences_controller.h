#pragma once

#include "kelvane/app/components/paned_prefs_window_controller.h"
#include "kelvane/app/components/shortcut_control.h"
#include "kelvane/core/kelvane_controller.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

namespace kelvane {

/// The preferences window: General (start-up and idle dimming), Advanced (holding the level
/// and the hot keys) and Updates, each control bound to the controller.
class KelvanePreferencesController final : public components::KVPanedPrefsWindowController {
    Q_OBJECT
public:
    KelvanePreferencesController(KelvaneController& controller,
                                 const components::KVShortcutValidator& validator,
                                 platform::Alerts& alerts, const platform::StringsTable& strings,
                                 const QString& resourceFolder);

    /// Shows the controller's interface state in the controls.
    void refresh();
    components::KVShortcutControl* recorder(HotKeyRole role) {
        return m_recorders[std::size_t(role)];
    }

protected:
    void setupToolbar() override;

private:
    QWidget* makeGeneralView();
    QWidget* makeAdvancedView();
    QWidget* makeUpdatesView();
    QString imageFolder() const;
    QIcon paneImage(const QString& file) const;

    KelvaneController& m_controller;
    const components::KVShortcutValidator& m_validator;
    platform::Alerts& m_alerts;
    const platform::StringsTable& m_strings;
    QString m_resourceFolder;
    QWidget* generalPreferenceView;
    QWidget* advancedPreferenceView;
    QWidget* updatesPreferenceView;
    QCheckBox* m_rememberLightLevel = nullptr;
    QCheckBox* m_loginPreference = nullptr;
    QCheckBox* m_lockButton = nullptr;
    QSlider* m_idleTimerSlider = nullptr;
    QLabel* m_idleTimerLabel = nullptr;
    QSlider* m_lockFrequencySlider = nullptr;
    QLabel* m_lockFrequencyLabel = nullptr;
    QComboBox* m_checkUpdates = nullptr;
    std::array<components::KVShortcutControl*, 3> m_recorders{};
};

} // namespace kelvane
