#include "voltaro/app/main_window.h"

#include "voltaro/app/preferences_window.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace voltaro {

namespace {

QLabel* valueLabel(const QString& objectName, const QString& caption) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setAccessibleName(caption);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(110);
    // Hidden until the first worker has finished.
    label->setVisible(false);
    return label;
}

QString withColon(const QString& text) {
    return text + QLatin1Char(':');
}

// A value is read out with its caption ("Design capacity: 5000 mAh"), as the window shows the
// two side by side; the name follows the value.
void showValue(QLabel* field, const QString& caption, const QString& value) {
    field->setText(value);
    const QString name = QStringLiteral("%1: %2").arg(caption, value);
    if (field->accessibleName() != name)
        field->setAccessibleName(name);
}

QDialog* makeAboutWindow(QWidget* parent) {
    auto* about = new QDialog(parent);
    about->setObjectName(QStringLiteral("aboutWindow"));
    about->setWindowTitle(QObject::tr("About Voltaro"));
    about->setAccessibleName(QObject::tr("About Voltaro"));
    auto* layout = new QVBoxLayout(about);
    auto* text = new QLabel(
        QObject::tr(
            "<h3>Voltaro</h3><p>Battery monitor with a history.</p><p><a href=\"%1\">%1</a></p>")
            .arg(maker::kHomepage));
    text->setOpenExternalLinks(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(QObject::tr("Close"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, about, &QDialog::close);
    layout->addWidget(buttons);
    return about;
}

void centre(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_charge_current_TextField(valueLabel(
                               QStringLiteral("charge_current_TextField"), label::kChargeCurrent)),
      m_charge_maximum_TextField(
          valueLabel(QStringLiteral("charge_maximum_TextField"), label::kChargeMaximum)),
      m_chargeBar(new LevelIndicator),
      m_charge_indicatorPercent_TextField(
          valueLabel(QStringLiteral("charge_indicatorPercent_TextField"), label::kChargePercent)),
      m_capacity_current_TextField(
          valueLabel(QStringLiteral("capacity_current_TextField"), label::kCapacityCurrent)),
      m_capacity_original_TextField(
          valueLabel(QStringLiteral("capacity_original_TextField"), label::kCapacityOriginal)),
      m_capacityBar(new LevelIndicator),
      m_capacity_indicatorPercent_TextField(valueLabel(
          QStringLiteral("capacity_indicatorPercent_TextField"), label::kCapacityPercent)),
      m_additionalInfo_batteryLoadcycles_TextField(valueLabel(
          QStringLiteral("additionalInfo_batteryLoadcycles_TextField"), label::kLoadcycles)),
      m_additionalInfo_ageOfYourMac_TextField(
          valueLabel(QStringLiteral("additionalInfo_ageOfYourMac_TextField"), label::kAge)),
      m_additionalInfo_chargerConnected_TextField(valueLabel(
          QStringLiteral("additionalInfo_chargerConnected_TextField"), label::kChargerConnected)),
      m_additionalInfo_batteryCharging_TextField(valueLabel(
          QStringLiteral("additionalInfo_batteryCharging_TextField"), label::kBatteryCharging)),
      m_archTextField(new QLabel), m_saveData(new QPushButton(tr("Add to History"))),
      m_history(new QPushButton(tr("History…"))),
      m_preferences(new QPushButton(tr("Preferences…"))),
      m_preferencesWindow(new PreferencesWindow(this)), m_aboutWindow(makeAboutWindow(this)) {
    setWindowTitle(QStringLiteral("Voltaro"));
    setObjectName(QStringLiteral("mainWindow"));
    m_archTextField->setObjectName(QStringLiteral("archTextField"));
    m_archTextField->setAccessibleName(label::kArchitecture);
    m_chargeBar->setObjectName(QStringLiteral("charge_indicatorLevelBar_LevelIndicator"));
    m_chargeBar->setAccessibleName(tr("Charge level bar"));
    m_capacityBar->setObjectName(QStringLiteral("capacity_indicatorLevelBar_LevelIndicator"));
    m_capacityBar->setAccessibleName(tr("Capacity level bar"));
    m_saveData->setAccessibleName(tr("Add to History"));
    m_history->setAccessibleName(tr("History"));
    m_preferences->setAccessibleName(tr("Preferences"));

    auto* charge = new QGroupBox(tr("Charge"));
    auto* chargeForm = new QFormLayout(charge);
    chargeForm->addRow(withColon(label::kChargeCurrent), m_charge_current_TextField);
    chargeForm->addRow(withColon(label::kChargeMaximum), m_charge_maximum_TextField);
    chargeForm->addRow(m_chargeBar);
    chargeForm->addRow(withColon(label::kChargePercent), m_charge_indicatorPercent_TextField);

    auto* capacity = new QGroupBox(tr("Capacity"));
    auto* capacityForm = new QFormLayout(capacity);
    capacityForm->addRow(withColon(label::kCapacityCurrent), m_capacity_current_TextField);
    capacityForm->addRow(withColon(label::kCapacityOriginal), m_capacity_original_TextField);
    capacityForm->addRow(m_capacityBar);
    capacityForm->addRow(withColon(label::kCapacityPercent), m_capacity_indicatorPercent_TextField);

    auto* additional = new QGroupBox(tr("Additional information"));
    auto* additionalForm = new QFormLayout(additional);
    additionalForm->addRow(withColon(label::kLoadcycles),
                           m_additionalInfo_batteryLoadcycles_TextField);
    additionalForm->addRow(withColon(label::kAge), m_additionalInfo_ageOfYourMac_TextField);
    additionalForm->addRow(withColon(label::kChargerConnected),
                           m_additionalInfo_chargerConnected_TextField);
    additionalForm->addRow(withColon(label::kBatteryCharging),
                           m_additionalInfo_batteryCharging_TextField);
    additionalForm->addRow(withColon(label::kArchitecture), m_archTextField);

    auto* groups = new QHBoxLayout;
    groups->addWidget(charge);
    groups->addWidget(capacity);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_saveData);
    buttons->addWidget(m_history);
    buttons->addStretch();
    buttons->addWidget(m_preferences);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(groups);
    layout->addWidget(additional);
    layout->addLayout(buttons);
    setCentralWidget(central);

    QMenu* application = menuBar()->addMenu(tr("&Voltaro"));
    application->addAction(tr("&About Voltaro"), m_aboutWindow, &QDialog::show);
    application->addAction(tr("&Preferences…"), QKeySequence::Preferences, this,
                           &MainWindow::main_openPreferences);
    application->addSeparator();
    application->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    connect(m_preferences, &QPushButton::clicked, this, &MainWindow::main_openPreferences);
}

MainWindow::~MainWindow() = default;

void MainWindow::loadPreferences(const PreferencesSheet& sheet) {
    m_preferencesWindow->setSheet(sheet);
}

void MainWindow::centerWindows() {
    centre(this);
    centre(m_aboutWindow);
}

void MainWindow::setArchitecture(const QString& text) {
    showValue(m_archTextField, label::kArchitecture, text);
}

void MainWindow::showBatteryFields(const BatteryFields& fields) {
    const QList<QLabel*> labels = valueFields();
    if (fields.revealed) {
        for (QLabel* label : labels)
            label->setVisible(true);
    }
    showValue(m_charge_current_TextField, label::kChargeCurrent, fields.chargeCurrent);
    showValue(m_charge_maximum_TextField, label::kChargeMaximum, fields.chargeMaximum);
    showValue(m_capacity_current_TextField, label::kCapacityCurrent, fields.capacityCurrent);
    showValue(m_capacity_original_TextField, label::kCapacityOriginal, fields.capacityOriginal);
    showValue(m_additionalInfo_batteryLoadcycles_TextField, label::kLoadcycles, fields.loadcycles);
    showValue(m_additionalInfo_ageOfYourMac_TextField, label::kAge, fields.age);
    m_chargeBar->setLevel(fields.chargeBar);
    showValue(m_charge_indicatorPercent_TextField, label::kChargePercent, fields.chargePercent);
    m_capacityBar->setLevel(fields.capacityBar);
    showValue(m_capacity_indicatorPercent_TextField, label::kCapacityPercent,
              fields.capacityPercent);
    showValue(m_additionalInfo_chargerConnected_TextField, label::kChargerConnected,
              fields.chargerConnected);
    showValue(m_additionalInfo_batteryCharging_TextField, label::kBatteryCharging,
              fields.batteryCharging);
    m_saveData->setEnabled(isSavableReading(fields));
}

QList<QLabel*> MainWindow::valueFields() const {
    return {m_charge_current_TextField,
            m_charge_maximum_TextField,
            m_charge_indicatorPercent_TextField,
            m_capacity_current_TextField,
            m_capacity_original_TextField,
            m_capacity_indicatorPercent_TextField,
            m_additionalInfo_batteryLoadcycles_TextField,
            m_additionalInfo_ageOfYourMac_TextField,
            m_additionalInfo_chargerConnected_TextField,
            m_additionalInfo_batteryCharging_TextField};
}

void MainWindow::useTexturedBackground(const QString& imagePath) {
    const QPixmap pattern(imagePath);
    if (pattern.isNull())
        return;
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, QBrush(pattern));
    setPalette(palette);
    setAutoFillBackground(true);
}

void MainWindow::main_openPreferences() {
    m_preferencesWindow->open();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shouldClose && !shouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace voltaro
