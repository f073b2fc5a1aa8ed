#include "voltaro/app/preferences_window.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace voltaro {

PreferencesWindow::PreferencesWindow(QWidget* parent)
    : QDialog(parent),
      m_useUnifiedLook(new QCheckBox(tr("Textured window background (from the next start)"))),
      m_customCapacityButton(new QCheckBox(tr("Design capacity (mAh):"))),
      m_customCapacityField(new QLineEdit),
      m_customSerialButton(new QCheckBox(tr("Serial number:"))), m_customSerialField(new QLineEdit),
      m_homepage(new QPushButton(tr("Homepage"))), m_donate(new QPushButton(tr("Donate"))) {
    setWindowTitle(tr("Voltaro Preferences"));
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("preferencesWindow"));
    setAccessibleName(tr("Voltaro Preferences"));
    m_useUnifiedLook->setAccessibleName(tr("Textured window background"));
    m_customCapacityButton->setAccessibleName(tr("Custom design capacity"));
    m_customCapacityField->setAccessibleName(tr("Design capacity (mAh)"));
    m_customSerialButton->setAccessibleName(tr("Custom serial number"));
    m_customSerialField->setAccessibleName(tr("Serial number"));
    m_homepage->setAccessibleName(tr("Homepage"));
    m_donate->setAccessibleName(tr("Donate"));

    m_customCapacityField->setEnabled(false);
    m_customSerialField->setEnabled(false);
    m_customSerialField->setMaxLength(11);
    m_customCapacityField->setPlaceholderText(tr("as read from the battery"));
    m_customSerialField->setPlaceholderText(tr("as read from the computer"));

    auto* custom = new QGridLayout;
    custom->addWidget(m_customCapacityButton, 0, 0);
    custom->addWidget(m_customCapacityField, 0, 1);
    custom->addWidget(m_customSerialButton, 1, 0);
    custom->addWidget(m_customSerialField, 1, 1);

    auto* links = new QHBoxLayout;
    links->addWidget(m_homepage);
    links->addWidget(m_donate);
    links->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Save)->setAccessibleName(tr("Save"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_useUnifiedLook);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(tr("Use instead of the hardware's values:")));
    layout->addLayout(custom);
    layout->addSpacing(8);
    layout->addLayout(links);
    layout->addWidget(buttons);

    connect(m_customCapacityButton, &QCheckBox::toggled, this,
            &PreferencesWindow::preferences_activateCustomCapacity);
    connect(m_customSerialButton, &QCheckBox::toggled, this,
            &PreferencesWindow::preferences_activateCustomSerial);
    connect(m_homepage, &QPushButton::clicked, this, &PreferencesWindow::preferences_callHomepage);
    connect(m_donate, &QPushButton::clicked, this, &PreferencesWindow::preferences_callPaypal);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Q_EMIT savePreferences(sheet());
        accept();
    });
    // Cancelling keeps the edits in the controls: the sheet is not loaded again.
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

PreferencesSheet PreferencesWindow::sheet() const {
    return {m_useUnifiedLook->isChecked(),      m_customCapacityButton->isChecked(),
            m_customCapacityField->isEnabled(), m_customCapacityField->text(),
            m_customSerialButton->isChecked(),  m_customSerialField->isEnabled(),
            m_customSerialField->text()};
}

void PreferencesWindow::setSheet(const PreferencesSheet& sheet) {
    m_useUnifiedLook->setChecked(sheet.useUnifiedLook);
    m_customCapacityButton->setChecked(sheet.customCapacityChecked);
    m_customCapacityField->setEnabled(sheet.customCapacityEnabled);
    m_customCapacityField->setText(sheet.customCapacityText);
    m_customSerialButton->setChecked(sheet.customSerialChecked);
    m_customSerialField->setEnabled(sheet.customSerialEnabled);
    m_customSerialField->setText(sheet.customSerialText);
}

void PreferencesWindow::preferences_activateCustomCapacity(bool on) {
    m_customCapacityField->setEnabled(on);
}

void PreferencesWindow::preferences_activateCustomSerial(bool on) {
    m_customSerialField->setEnabled(on);
}

void PreferencesWindow::preferences_callHomepage() {
    QDesktopServices::openUrl(QUrl(maker::kHomepage));
    m_homepage->setFocusPolicy(Qt::NoFocus);
    m_homepage->clearFocus();
}

void PreferencesWindow::preferences_callPaypal() {
    QDesktopServices::openUrl(QUrl::fromEncoded(donationAddress().toLatin1(), QUrl::StrictMode));
    m_donate->setFocusPolicy(Qt::NoFocus);
    m_donate->clearFocus();
}

} // namespace voltaro
