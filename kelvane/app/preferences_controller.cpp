#include "kelvane/app/preferences_controller.h"

#include "platform/core/log.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace kelvane {
namespace {

QString idleText(int sliderValue) {
    switch (sliderValue) {
    case 0:
        return QStringLiteral("5 seconds");
    case 20:
        return QStringLiteral("10 seconds");
    case 40:
        return QStringLiteral("30 seconds");
    case 60:
        return QStringLiteral("1 minute");
    case 80:
        return QStringLiteral("5 minutes");
    default:
        return QStringLiteral("Never");
    }
}

} // namespace

KelvanePreferencesController::KelvanePreferencesController(
    KelvaneController& controller, const components::KVShortcutValidator& validator,
    platform::Alerts& alerts, const platform::StringsTable& strings, const QString& resourceFolder)
    : m_controller(controller), m_validator(validator), m_alerts(alerts), m_strings(strings),
      m_resourceFolder(resourceFolder) {
    generalPreferenceView = makeGeneralView();
    advancedPreferenceView = makeAdvancedView();
    updatesPreferenceView = makeUpdatesView();
    window()->setAccessibleName(QStringLiteral("Kelvane Preferences"));
    connect(&m_controller, &KelvaneController::interfaceChanged, this,
            &KelvanePreferencesController::refresh);
    refresh();
}

QString KelvanePreferencesController::imageFolder() const {
    return m_resourceFolder + QStringLiteral("/images");
}

QIcon KelvanePreferencesController::paneImage(const QString& file) const {
    // Our own images: a bare session has no icon theme to borrow from.
    const QString path = imageFolder() + QLatin1Char('/') + file;
    if (!QFile::exists(path)) {
        platform::log(QStringLiteral("The preferences image %1 is missing").arg(path));
        return {};
    }
    return QIcon(path);
}

void KelvanePreferencesController::setupToolbar() {
    addView(generalPreferenceView, m_strings.text(QStringLiteral("General")),
            paneImage(QStringLiteral("General.png")));
    addView(advancedPreferenceView, m_strings.text(QStringLiteral("Advanced")),
            paneImage(QStringLiteral("Advanced.png")));
    addView(updatesPreferenceView, m_strings.text(QStringLiteral("Updates")),
            paneImage(QStringLiteral("Updates.png")));
    setCrossFade(true);
    setShiftSlowsAnimation(true);
}

QWidget* KelvanePreferencesController::makeGeneralView() {
    auto* view = new QWidget;
    auto* layout = new QFormLayout(view);
    m_rememberLightLevel = new QCheckBox(QStringLiteral("Restore the light level at start"));
    m_loginPreference = new QCheckBox(QStringLiteral("Start Kelvane at login"));
    m_idleTimerSlider = new QSlider(Qt::Horizontal);
    m_idleTimerSlider->setRange(0, 100);
    m_idleTimerSlider->setSingleStep(20);
    m_idleTimerSlider->setPageStep(20);
    m_idleTimerSlider->setTickInterval(20);
    m_idleTimerSlider->setTickPosition(QSlider::TicksBelow);
    m_idleTimerSlider->setAccessibleName(QStringLiteral("Turn the light off when idle for"));
    m_idleTimerLabel = new QLabel;
    for (QCheckBox* box : {m_rememberLightLevel, m_loginPreference})
        box->setAccessibleName(box->text());
    layout->addRow(m_rememberLightLevel);
    layout->addRow(m_loginPreference);
    layout->addRow(QStringLiteral("Turn the light off when idle for:"), m_idleTimerSlider);
    layout->addRow(QString(), m_idleTimerLabel);
    connect(m_rememberLightLevel, &QCheckBox::toggled, &m_controller,
            &KelvaneController::changeRememberLightLevel);
    connect(m_loginPreference, &QCheckBox::toggled, &m_controller,
            &KelvaneController::changeLoginPreference);
    connect(m_idleTimerSlider, &QSlider::valueChanged, this, [this](int value) {
        // The slider stops only at its six marks.
        const int stop = (value + 10) / 20 * 20;
        if (stop != value) {
            m_idleTimerSlider->setValue(stop);
            return;
        }
        m_controller.idleTimerSliderChanged(stop);
    });
    return view;
}

QWidget* KelvanePreferencesController::makeAdvancedView() {
    auto* view = new QWidget;
    auto* layout = new QFormLayout(view);
    m_lockButton = new QCheckBox(QStringLiteral("Hold the light level"));
    m_lockButton->setAccessibleName(m_lockButton->text());
    m_lockButton->setToolTip(
        QStringLiteral("Sends the level again and again, so that nothing else changes it"));
    m_lockFrequencySlider = new QSlider(Qt::Horizontal);
    m_lockFrequencySlider->setRange(int(kMinimumLockFrequency), int(kMaximumLockFrequency));
    m_lockFrequencySlider->setAccessibleName(QStringLiteral("Hold frequency"));
    m_lockFrequencyLabel = new QLabel;
    layout->addRow(m_lockButton);
    layout->addRow(QStringLiteral("Hold frequency:"), m_lockFrequencySlider);
    layout->addRow(QString(), m_lockFrequencyLabel);
    connect(m_lockButton, &QCheckBox::toggled, &m_controller, &KelvaneController::changeLock);
    connect(m_lockFrequencySlider, &QSlider::valueChanged, this,
            [this](int hertz) { m_controller.lockFrequencySliderChanged(hertz); });

    const std::array<std::pair<HotKeyRole, QString>, 3> roles{{
        {HotKeyRole::Dim, QStringLiteral("Dim shortcut")},
        {HotKeyRole::Brighten, QStringLiteral("Brighten shortcut")},
        {HotKeyRole::Toggle, QStringLiteral("Toggle shortcut")},
    }};
    for (const auto& [role, name] : roles) {
        auto* recorder =
            new components::KVShortcutControl(name, m_validator, m_alerts, imageFolder());
        m_recorders[std::size_t(role)] = recorder;
        layout->addRow(name + QLatin1Char(':'), recorder);
        connect(recorder, &components::KVShortcutControl::keyComboDidChange, this,
                [this, role, recorder] {
                    m_controller.keyComboDidChange(
                        role, KVKeyCombo(recorder->keyCode(), recorder->carbonFlags()));
                });
    }
    return view;
}

QWidget* KelvanePreferencesController::makeUpdatesView() {
    auto* view = new QWidget;
    auto* layout = new QFormLayout(view);
    m_checkUpdates = new QComboBox;
    m_checkUpdates->addItems({QStringLiteral("Never"), QStringLiteral("At launch"),
                              QStringLiteral("Hourly"), QStringLiteral("Daily"),
                              QStringLiteral("Weekly")});
    m_checkUpdates->setAccessibleName(QStringLiteral("Check for updates"));
    layout->addRow(QStringLiteral("Check for updates:"), m_checkUpdates);
    connect(m_checkUpdates, &QComboBox::activated, &m_controller,
            &KelvaneController::changeCheckUpdates);
    return view;
}

void KelvanePreferencesController::refresh() {
    const QSignalBlocker blockers[] = {
        QSignalBlocker(m_rememberLightLevel),  QSignalBlocker(m_loginPreference),
        QSignalBlocker(m_lockButton),          QSignalBlocker(m_idleTimerSlider),
        QSignalBlocker(m_lockFrequencySlider), QSignalBlocker(m_checkUpdates)};
    m_rememberLightLevel->setChecked(m_controller.rememberLightLevelState());
    m_loginPreference->setChecked(m_controller.loginPreferenceState());
    m_lockButton->setChecked(m_controller.lockButtonState());
    m_idleTimerSlider->setValue(m_controller.idleTimerSliderValue());
    m_idleTimerLabel->setText(idleText(m_controller.idleTimerSliderValue()));
    m_lockFrequencySlider->setEnabled(m_controller.isLockFrequencySliderEnabled());
    m_lockFrequencySlider->setValue(int(m_controller.lockFrequencySliderValue()));
    m_lockFrequencyLabel->setText(
        QStringLiteral("%1 times a second").arg(m_controller.lockFrequencySliderValue()));
    m_checkUpdates->setCurrentIndex(m_controller.checkUpdatesSelectedItem());
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle}) {
        const KVKeyCombo& combo = m_controller.hotKeyCombo(role);
        if (!recorder(role)->cell().isRecording())
            recorder(role)->setKeyCombo(combo.keyCode(), combo.modifiers());
    }
}

} // namespace kelvane
