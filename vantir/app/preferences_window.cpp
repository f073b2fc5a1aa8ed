#include "vantir/app/preferences_window.h"

#include "platform/core/alerts.h"
#include "vantir/core/controller.h"
#include "vantir/core/preferences.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantir {

struct PreferencesWindow::Field {
    QString key;
    QString label;
    enum class Kind { Switch, Number, Text } kind = Field::Kind::Switch;
    double minimum = 0;
    double maximum = 0;
    int decimals = 0;
    QWidget* widget = nullptr;
};

PreferencesWindow::PreferencesWindow(Preferences& preferences, platform::Alerts& alerts,
                                     PreferencesWindowHooks hooks)
    : m_preferences(preferences), m_alerts(alerts), m_hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Vantir Preferences[*]"));
    setAccessibleName(QStringLiteral("Vantir Preferences"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    const auto page = [this](const QString& label) {
        auto* widget = new QWidget;
        new QFormLayout(widget);
        m_tabs->addTab(widget, label);
        return widget;
    };
    using F = Field;
    QWidget* remote = page(QStringLiteral("Remote"));
    addField(remote, {QStringLiteral("DoubleClickSpeed"), QStringLiteral("Click speed:"),
                      F::Kind::Number, 1, 100, 1});
    addField(remote, {QStringLiteral("HoldRepeatSpeed"), QStringLiteral("Hold repeat speed:"),
                      F::Kind::Number, 1, 200, 1});
    addField(remote, {QStringLiteral("RemoteHoldThreshold"),
                      QStringLiteral("Hold threshold (seconds):"), F::Kind::Number, 0.1, 5, 2});
    addField(remote, {QStringLiteral("KeyHoldTime"), QStringLiteral("Key hold time (seconds):"),
                      F::Kind::Number, 0, 1, 2});
    QWidget* announcements = page(QStringLiteral("Announcements"));
    addField(announcements,
             {QStringLiteral("AnnounceLayer"), QStringLiteral("Announce the layer's name")});
    addField(announcements, {QStringLiteral("AnnounceActivationStatus"),
                             QStringLiteral("Play a sound when the remote is switched on or off")});
    addField(announcements,
             {QStringLiteral("VoiceCharacter"), QStringLiteral("Voice:"), F::Kind::Text});
    addField(announcements, {QStringLiteral("VoiceVolume"), QStringLiteral("Volume:"),
                             F::Kind::Number, 0, 100, 0});
    QWidget* startup = page(QStringLiteral("Start-up"));
    addField(startup, {QStringLiteral("ActivateIROnStartup"),
                       QStringLiteral("Listen to the remote at start")});
    addField(startup,
             {QStringLiteral("ShowOSDAtStartup"), QStringLiteral("Show the display at start")});
    addField(startup, {QStringLiteral("FrontOnMenu"),
                       QStringLiteral("Holding Menu brings the display to the front")});
    addField(startup,
             {QStringLiteral("UseFullscreenOSD"), QStringLiteral("Use the full-screen display")});
    addField(startup, {QStringLiteral("TakeOverScreen"),
                       QStringLiteral("Keep the display window above other windows")});
    addField(startup, {QStringLiteral("DontTakeOverScreen"),
                       QStringLiteral("Let other windows cover the full-screen display")});
    addField(startup, {QStringLiteral("LookForUpdate"),
                       QStringLiteral("Look for a newer version at start")});
    addField(startup,
             {kVersionCheckServerKey, QStringLiteral("Version check server:"), F::Kind::Text});
    QWidget* debug = page(QStringLiteral("Debug"));
    addField(debug, {QStringLiteral("DebugMode"), QStringLiteral("Log debug lines")});
    addField(debug, {QStringLiteral("DebugMode2"), QStringLiteral("Log more debug lines")});
    addField(debug, {QStringLiteral("DontPerformARButton"),
                     QStringLiteral("Log the remote's buttons instead of performing them")});

    auto* ids = new QWidget;
    auto* idsLayout = new QVBoxLayout(ids);
    auto* idLabel = new QLabel(ids);
    idLabel->setObjectName(QStringLiteral("remoteID"));
    idLabel->setWordWrap(true);
    idsLayout->addWidget(idLabel);
    idsLayout->addStretch();
    m_tabs->addTab(ids, kAppleRemoteIDsTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this, idLabel] {
        const int id = m_hooks.remoteID();
        idLabel->setText(
            (id >= 0 ? QStringLiteral("The remote in use has the ID %1.").arg(id)
                     : QStringLiteral("No remote is in use.")) +
            QStringLiteral(" While this tab is shown, Vantir does not act on the remote, so that "
                           "its buttons can be pressed to pair it."));
        idLabel->setAccessibleName(idLabel->text());
        reportTab();
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* applyButton =
        buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
    layout->addWidget(buttons);
    loadPrefs();
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::addField(QWidget* page, Field field) {
    auto* form = static_cast<QFormLayout*>(page->layout());
    switch (field.kind) {
    case Field::Kind::Switch: {
        auto* box = new QCheckBox(field.label, page);
        connect(box, &QCheckBox::toggled, this, [this] { changedOption(); });
        form->addRow(box);
        field.widget = box;
        break;
    }
    case Field::Kind::Number: {
        auto* spin = new QDoubleSpinBox(page);
        spin->setRange(field.minimum, field.maximum);
        spin->setDecimals(field.decimals);
        spin->setAccessibleName(field.label);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { changedOption(); });
        form->addRow(field.label, spin);
        field.widget = spin;
        break;
    }
    case Field::Kind::Text: {
        auto* line = new QLineEdit(page);
        line->setAccessibleName(field.label);
        connect(line, &QLineEdit::textEdited, this, [this] { changedOption(); });
        form->addRow(field.label, line);
        field.widget = line;
        break;
    }
    }
    m_fields.push_back(std::move(field));
}

void PreferencesWindow::loadPrefs() {
    m_loading = true;
    const platform::Defaults& defaults = m_preferences.userDefaults();
    for (const Field& field : m_fields) {
        switch (field.kind) {
        case Field::Kind::Switch:
            static_cast<QCheckBox*>(field.widget)->setChecked(defaults.boolForKey(field.key));
            break;
        case Field::Kind::Number:
            static_cast<QDoubleSpinBox*>(field.widget)->setValue(defaults.floatForKey(field.key));
            break;
        case Field::Kind::Text:
            static_cast<QLineEdit*>(field.widget)->setText(defaults.stringForKey(field.key));
            break;
        }
    }
    m_loading = false;
    setWindowModified(false);
}

void PreferencesWindow::changedOption() {
    if (!m_loading)
        setWindowModified(true);
}

void PreferencesWindow::apply() {
    applyValues();
    close();
}

void PreferencesWindow::applyValues() {
    platform::Defaults& defaults = m_preferences.userDefaults();
    for (const Field& field : m_fields) {
        switch (field.kind) {
        case Field::Kind::Switch:
            defaults.setBool(static_cast<QCheckBox*>(field.widget)->isChecked(), field.key);
            break;
        case Field::Kind::Number: {
            const auto* spin = static_cast<QDoubleSpinBox*>(field.widget);
            if (spin->decimals() == 0)
                defaults.setInteger(qint64(spin->value()), field.key);
            else
                defaults.setFloat(spin->value(), field.key);
            break;
        }
        case Field::Kind::Text:
            defaults.setString(static_cast<QLineEdit*>(field.widget)->text(), field.key);
            break;
        }
    }
    setWindowModified(false);
    m_preferences.apply();
    m_preferences.applyDebugSwitches();
}

void PreferencesWindow::showPreferencesPanel() {
    if (!isVisible())
        loadPrefs();
    show();
    raise();
    activateWindow();
}

void PreferencesWindow::closeEvent(QCloseEvent* event) {
    if (!isWindowModified()) {
        event->accept();
        return;
    }
    platform::Alert alert;
    alert.messageText = QStringLiteral("Vantir Alert");
    alert.informativeText = QStringLiteral("You have made changes but not applied them yet!");
    alert.buttons = {QStringLiteral("Apply"), QStringLiteral("Discard Changes"),
                     QStringLiteral("Cancel Close")};
    switch (m_alerts.runModal(alert)) {
    case platform::AlertResponse::First:
        applyValues();
        event->accept();
        return;
    case platform::AlertResponse::Second:
        loadPrefs();
        m_preferences.savePrefs();
        event->accept();
        return;
    case platform::AlertResponse::Third:
        event->ignore();
        return;
    }
}

void PreferencesWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reportTab();
}

void PreferencesWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_hooks.shownTab(false, m_tabs->tabText(m_tabs->currentIndex()));
}

void PreferencesWindow::reportTab() {
    m_hooks.shownTab(isVisible(), m_tabs->tabText(m_tabs->currentIndex()));
}

} // namespace vantir
