#pragma once

#include "voltaro/core/preferences.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace voltaro {

/// The preferences sheet: the textured look, a custom design capacity and a custom serial,
/// the two links, Save and Cancel. It shows as a sheet (window-modal) on the main window.
class PreferencesWindow final : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesWindow(QWidget* parent);

    PreferencesSheet sheet() const;
    void setSheet(const PreferencesSheet& sheet);

Q_SIGNALS:
    /// Save was pressed; the sheet closes after the receivers have run.
    void savePreferences(const voltaro::PreferencesSheet& sheet);

private:
    void preferences_activateCustomCapacity(bool on);
    void preferences_activateCustomSerial(bool on);
    void preferences_callHomepage();
    void preferences_callPaypal();

    QCheckBox* m_useUnifiedLook;
    QCheckBox* m_customCapacityButton;
    QLineEdit* m_customCapacityField;
    QCheckBox* m_customSerialButton;
    QLineEdit* m_customSerialField;
    QPushButton* m_homepage;
    QPushButton* m_donate;
};

} // namespace voltaro
