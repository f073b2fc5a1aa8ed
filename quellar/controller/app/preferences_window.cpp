#include "quellar/controller/app/preferences_window.h"

#include "quellar/controller/core/controller.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quellar {

PreferencesWindow::PreferencesWindow(Controller& owner, Keychain& keychain, QWidget* parent)
    : QWidget(parent, Qt::Window), m_owner(owner), m_keychain(keychain) {
    setWindowTitle(QStringLiteral("Quellar Preferences"));
    m_celsiusFahrenheit = new QCheckBox(QStringLiteral("Show temperatures in Fahrenheit"));
    m_menuCheck = new QCheckBox(QStringLiteral("Show the values in the status bar"));
    m_userText = new QLineEdit;
    m_userText->setAccessibleName(QStringLiteral("Administrator"));
    m_passwordText = new QLineEdit;
    m_passwordText->setEchoMode(QLineEdit::Password);
    m_passwordText->setAccessibleName(QStringLiteral("Password"));
    m_passBtn = new QPushButton(QStringLiteral("Add"));
    auto* uninstall = new QPushButton(QStringLiteral("Uninstall Quellar"));

    auto* account = new QFormLayout;
    account->addRow(QStringLiteral("Administrator:"), m_userText);
    account->addRow(QStringLiteral("Password:"), m_passwordText);
    account->addRow(QString(), m_passBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_celsiusFahrenheit);
    layout->addWidget(m_menuCheck);
    layout->addLayout(account);
    layout->addWidget(uninstall);

    connect(m_celsiusFahrenheit, &QCheckBox::clicked, this,
            [this](bool on) { m_owner.setFahrenheit(on); });
    connect(m_menuCheck, &QCheckBox::clicked, this, [this](bool on) { m_owner.showMenu(on); });
    connect(m_passBtn, &QPushButton::clicked, this, [this] { passButton(); });
    connect(uninstall, &QPushButton::clicked, this, [this] { unInstall(); });
}

void PreferencesWindow::load() {
    m_celsiusFahrenheit->setChecked(m_owner.settings().fahrenheitScale);
    m_menuCheck->setChecked(m_owner.settings().showMenu);
    const QString stored = m_keychain.storedAccount();
    m_userText->setText(stored);
    m_passwordText->clear();
    m_userText->setEnabled(stored.isEmpty());
    m_passwordText->setEnabled(stored.isEmpty());
    m_passBtn->setText(stored.isEmpty() ? QStringLiteral("Add") : QStringLiteral("Remove"));
}

void PreferencesWindow::passButton() {
    const bool adding = m_passBtn->text() == QStringLiteral("Add");
    if (adding ? m_owner.keySet(m_userText->text(), m_passwordText->text())
               : m_owner.keyRem(m_userText->text())) {
        if (!adding) {
            m_userText->clear();
            m_passwordText->clear();
        }
        m_userText->setEnabled(!adding);
        m_passwordText->setEnabled(!adding);
        m_passBtn->setText(adding ? QStringLiteral("Remove") : QStringLiteral("Add"));
    }
}

void PreferencesWindow::unInstall() {
    if (!m_owner.uninstallFiles())
        m_owner.tellUser(QStringLiteral("Quellar Controller"),
                         QStringLiteral("Failed to uninstall Quellar"));
    else
        m_owner.restart();
}

} // namespace quellar
