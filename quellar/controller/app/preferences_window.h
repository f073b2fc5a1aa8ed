#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quellar {

class Controller;
class Keychain;

/// The preferences window: the temperature scale, the status item, the stored administrator
/// and the removal of everything the controller installed.
class PreferencesWindow final : public QWidget {
public:
    PreferencesWindow(Controller& owner, Keychain& keychain, QWidget* parent = nullptr);

    /// Shows the present state (`windowDidLoad`).
    void load();

private:
    void passButton();
    void unInstall();

    Controller& m_owner;
    Keychain& m_keychain;
    QCheckBox* m_celsiusFahrenheit;
    QCheckBox* m_menuCheck;
    QLineEdit* m_userText;
    QLineEdit* m_passwordText;
    QPushButton* m_passBtn;
};

} // namespace quellar
