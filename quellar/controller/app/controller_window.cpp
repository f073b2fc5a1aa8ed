#include "quellar/controller/app/controller_window.h"

#include "platform/core/clock.h"
#include "quellar/controller/app/preferences_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace quellar {

namespace {

constexpr int kCpuSliderMaximum = 10;
constexpr int kUpdateSliderMaximum = 20;

// The values fit in a small square; the whole title is the tooltip.
QIcon iconWithText(const QString& text, bool withLogo) {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (withLogo) {
        painter.setBrush(QColor(40, 90, 160));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    }
    painter.setPen(withLogo ? Qt::white : QColor(30, 30, 30));
    QFont font = painter.font();
    const QString shown = text.trimmed().isEmpty() ? QStringLiteral("Q")
                                                   : text.trimmed().section(QLatin1Char(' '), 0, 0);
    font.setPixelSize(shown.size() <= 2 ? 40 : shown.size() <= 4 ? 22 : 15);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, shown);
    return QIcon(pixmap);
}

void setItemEnabled(QComboBox* combo, int row, bool enabled) {
    if (auto* model = qobject_cast<QStandardItemModel*>(combo->model())) {
        if (QStandardItem* item = model->item(row))
            item->setEnabled(enabled);
    }
}

void setItems(QComboBox* combo, const QStringList& items) {
    QStringList present;
    for (int i = 0; i < combo->count(); ++i)
        present << combo->itemText(i);
    if (present == items)
        return;
    combo->clear();
    combo->addItems(items);
}

} // namespace

ControllerWindow::ControllerWindow(WindowServices services) : m_services(std::move(services)) {
    setWindowTitle(QStringLiteral("Quellar Controller"));
    buildWindow();
    buildMenus();
}

ControllerWindow::~ControllerWindow() {
    if (m_test) {
        if (m_controller)
            m_controller->cancelTest();
        m_test->wait();
    }
}

template <typename Action> void ControllerWindow::onMainThread(Action action) {
    if (QThread::currentThread() == thread())
        action();
    else
        QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

void ControllerWindow::buildWindow() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);

    auto* live = new QGroupBox(QStringLiteral("Processor"));
    auto* liveLayout = new QFormLayout(live);
    m_curFreq = new QLabel(QStringLiteral("–"));
    m_curFreq->setAccessibleDescription(QStringLiteral("Present frequency"));
    m_curVid = new QLabel(QStringLiteral("–"));
    m_curVid->setAccessibleDescription(QStringLiteral("Present voltage"));
    m_curTemp = new QLabel(QStringLiteral("–"));
    m_curTemp->setAccessibleDescription(QStringLiteral("Present temperature"));
    liveLayout->addRow(QStringLiteral("Frequency:"), m_curFreq);
    liveLayout->addRow(QStringLiteral("Voltage:"), m_curVid);
    liveLayout->addRow(QStringLiteral("Temperature:"), m_curTemp);
    layout->addWidget(live);

    m_tabs = new QTabWidget;
    m_tabs->setAccessibleName(QStringLiteral("Power source"));
    for (auto [table, title] : {std::pair{&m_adapterTable, QStringLiteral("Adapter")},
                                std::pair{&m_batteryTable, QStringLiteral("Battery")}}) {
        *table = new QTableWidget(0, 2);
        (*table)->setHorizontalHeaderLabels(
            {QStringLiteral("Frequency"), QStringLiteral("Voltage")});
        (*table)->setAccessibleName(title + QStringLiteral(" settings"));
        (*table)->setSelectionBehavior(QAbstractItemView::SelectRows);
        (*table)->setSelectionMode(QAbstractItemView::SingleSelection);
        (*table)->setEditTriggers(QAbstractItemView::NoEditTriggers);
        (*table)->horizontalHeader()->setStretchLastSection(true);
        (*table)->verticalHeader()->hide();
        m_tabs->addTab(*table, title);
    }
    layout->addWidget(m_tabs);

    auto* edit = new QGridLayout;
    m_listFreq = new QComboBox;
    // A combo box answers its present item as its name; its description says what it is.
    m_listFreq->setAccessibleDescription(QStringLiteral("Frequency"));
    m_listVolt = new QComboBox;
    m_listVolt->setAccessibleDescription(QStringLiteral("Voltage"));
    m_busDivide = new QCheckBox(QStringLiteral("Half bus"));
    m_addBtn = new QPushButton(QStringLiteral("Add"));
    m_clearBtn = new QPushButton(QStringLiteral("Clear"));
    m_defBtn = new QPushButton(QStringLiteral("Defaults"));
    m_setButton = new QPushButton(QStringLiteral("Set"));
    edit->addWidget(new QLabel(QStringLiteral("Frequency:")), 0, 0);
    edit->addWidget(m_listFreq, 0, 1);
    edit->addWidget(m_busDivide, 0, 2);
    edit->addWidget(new QLabel(QStringLiteral("Voltage:")), 1, 0);
    edit->addWidget(m_listVolt, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_addBtn, m_clearBtn, m_defBtn, m_setButton})
        buttons->addWidget(button);
    edit->addLayout(buttons, 2, 0, 1, 3);
    layout->addLayout(edit);

    auto* daemon = new QGroupBox(QStringLiteral("Switcher"));
    auto* daemonLayout = new QGridLayout(daemon);
    m_listSpeed = new QComboBox;
    m_listSpeed->setAccessibleDescription(QStringLiteral("Speed"));
    for (const SpeedPreset& preset : kSpeedPresets)
        m_listSpeed->addItem(QString::fromUtf8(preset.title));
    m_listTemp = new QComboBox;
    m_listTemp->setAccessibleDescription(QStringLiteral("Temperature limit"));
    m_switcherBtn = new QCheckBox(QStringLiteral("Switch settings by load"));
    m_driverQuellar = new QCheckBox(QStringLiteral("Quellar controls the processor"));
    m_saveBtn = new QPushButton(QStringLiteral("Save"));
    m_saveBtn->setAccessibleName(QStringLiteral("Save"));
    auto* uninstall = new QPushButton(QStringLiteral("Uninstall"));
    daemonLayout->addWidget(new QLabel(QStringLiteral("Speed:")), 0, 0);
    daemonLayout->addWidget(m_listSpeed, 0, 1);
    daemonLayout->addWidget(new QLabel(QStringLiteral("Temperature limit:")), 1, 0);
    daemonLayout->addWidget(m_listTemp, 1, 1);
    daemonLayout->addWidget(m_driverQuellar, 2, 0, 1, 2);
    daemonLayout->addWidget(m_switcherBtn, 3, 0, 1, 2);
    daemonLayout->addWidget(m_saveBtn, 4, 0);
    daemonLayout->addWidget(uninstall, 4, 1);
    layout->addWidget(daemon);

    m_testOutput = new QLabel;
    m_testOutput->setAccessibleDescription(QStringLiteral("Test status"));
    m_progress = new QProgressBar;
    m_progress->setAccessibleName(QStringLiteral("Test progress"));
    m_progress->setVisible(false);
    layout->addWidget(m_testOutput);
    layout->addWidget(m_progress);

    auto* sliders = new QFormLayout;
    auto* load = new QHBoxLayout;
    m_cpuSlider = new QSlider(Qt::Horizontal);
    m_cpuSlider->setRange(0, kCpuSliderMaximum);
    m_cpuSlider->setAccessibleName(QStringLiteral("CPU load"));
    m_sl1 = new QLabel(QStringLiteral("0"));
    m_sl1->setAccessibleDescription(QStringLiteral("CPU load value"));
    load->addWidget(m_cpuSlider);
    load->addWidget(m_sl1);
    auto* rate = new QHBoxLayout;
    m_updateSlider = new QSlider(Qt::Horizontal);
    m_updateSlider->setRange(1, kUpdateSliderMaximum);
    m_updateSlider->setAccessibleName(QStringLiteral("Readings per second"));
    m_updateValue = new QLabel(QStringLiteral("1"));
    m_updateValue->setAccessibleDescription(QStringLiteral("Readings per second value"));
    rate->addWidget(m_updateSlider);
    rate->addWidget(m_updateValue);
    sliders->addRow(QStringLiteral("CPU load:"), load);
    sliders->addRow(QStringLiteral("Readings per second:"), rate);
    layout->addLayout(sliders);
    setCentralWidget(central);
    resize(460, 760);
    for (QTableWidget* table : {m_adapterTable, m_batteryTable}) {
        table->setMinimumHeight(180);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    }

    connect(m_listFreq, &QComboBox::activated, this,
            [this](int item) { m_controller->selectFrequency(item); });
    connect(m_listVolt, &QComboBox::activated, this, [this](int item) {
        m_controller->selectVoltage(item);
        m_controller->clickVolt();
    });
    connect(m_busDivide, &QCheckBox::clicked, this,
            [this](bool on) { m_controller->clickDivide(on); });
    connect(m_addBtn, &QPushButton::clicked, this,
            [this] { m_controller->addFreq(currentTab(), selectedRow(currentTab())); });
    connect(m_clearBtn, &QPushButton::clicked, this,
            [this] { m_controller->clearTable(currentTab(), selectedRow(currentTab())); });
    connect(m_defBtn, &QPushButton::clicked, this,
            [this] { m_controller->addDefault(currentTab()); });
    connect(m_setButton, &QPushButton::clicked, this, [this] { m_controller->applyFreq(); });
    connect(m_switcherBtn, &QCheckBox::clicked, this,
            [this](bool on) { m_controller->switcherOn(on); });
    connect(m_driverQuellar, &QCheckBox::clicked, this,
            [this](bool on) { m_controller->changeDriver(on); });
    connect(m_listSpeed, &QComboBox::activated, this,
            [this](int item) { m_controller->changeSpeed(item); });
    connect(m_listTemp, &QComboBox::activated, this,
            [this](int item) { m_controller->tempLimit(item); });
    connect(m_saveBtn, &QPushButton::clicked, this, [this] { save(); });
    connect(uninstall, &QPushButton::clicked, this, [this] { unInstall(); });
    connect(m_cpuSlider, &QSlider::valueChanged, this, [this](int value) {
        m_sl1->setNum(value);
        if (!m_refreshing)
            m_controller->setCpuLoad(value, kCpuSliderMaximum);
    });
    connect(m_updateSlider, &QSlider::valueChanged, this, [this](int value) {
        m_updateValue->setNum(value);
        if (m_refreshing)
            return;
        readInt(value);
        m_controller->setUpdateInt(value);
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab != int(Tab::Battery))
            return;
        QTableWidget* table =
            m_batteryTable->selectionModel()->hasSelection() ? m_batteryTable : m_adapterTable;
        table->clearSelection();
    });
}

void ControllerWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Quellar"));
    QAction* preferences = file->addAction(QStringLiteral("Preferences…"));
    connect(preferences, &QAction::triggered, this, [this] { showPrefs(); });
    m_checkVersion = file->addAction(QStringLiteral("Check for New Version at Start"));
    m_checkVersion->setCheckable(true);
    connect(m_checkVersion, &QAction::triggered, this, [this](bool on) {
        m_controller->setCheckForNewVersion(on);
        if (on)
            m_services.checkForNewVersion(true);
    });
    QAction* diagnostic = file->addAction(QStringLiteral("Send Diagnostic Report"));
    connect(diagnostic, &QAction::triggered, this, [this] {
        const ChoiceLists& lists = m_controller->lists();
        m_services.sendDiagnostic(
            QStringLiteral("frequencies=%1;voltages=%2;bus=%3;now=%4 MHz %5 V %6")
                .arg(lists.frequencyItems.join(QLatin1Char(',')),
                     lists.voltageItems.join(QLatin1Char(',')))
                .arg(m_controller->busfreq())
                .arg(m_controller->curFreq(), m_controller->curVid(), m_controller->curTemp()));
    });
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void ControllerWindow::setController(Controller* controller) {
    m_controller = controller;
}

void ControllerWindow::start() {
    m_refreshing = true;
    m_updateSlider->setValue(m_controller->settings().updateInt);
    m_updateValue->setNum(m_controller->settings().updateInt);
    m_refreshing = false;
    m_checkVersion->setChecked(m_controller->settings().checkedItems[kCheckForNewVersion]);
    readInt(m_controller->settings().updateInt);
    refresh();
}

void ControllerWindow::readInt(int rate) {
    m_timer.reset();
    if (rate < 1)
        return;
    m_timer = m_services.clock.scheduleTimer(1.0 / rate, platform::Repeats::Yes,
                                             [this] { m_controller->readFreq(); });
    m_controller->readFreq();
}

Tab ControllerWindow::currentTab() const {
    return m_tabs->currentIndex() == int(Tab::Battery) ? Tab::Battery : Tab::Adapter;
}

std::optional<int> ControllerWindow::selectedRow(Tab tab) const {
    const QTableWidget* table = tab == Tab::Adapter ? m_adapterTable : m_batteryTable;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void ControllerWindow::fillTable(QTableWidget* table, const StateTable& pairs) {
    const std::vector<TableRow> rows = tableRows(pairs, m_controller->busfreq());
    table->clearSelection();
    table->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows[std::size_t(row)].frequency));
        table->setItem(row, 1, new QTableWidgetItem(rows[std::size_t(row)].voltage));
    }
}

void ControllerWindow::refresh() {
    if (QThread::currentThread() != thread()) {
        onMainThread([this] { refresh(); });
        return;
    }
    if (!m_controller)
        return;
    m_refreshing = true;
    const Controller& c = *m_controller;
    setItems(m_listFreq, c.lists().frequencyItems);
    m_listFreq->setCurrentIndex(c.selectedFrequency());
    setItems(m_listVolt, c.lists().voltageItems);
    for (int row = 0; row < m_listVolt->count(); ++row)
        setItemEnabled(m_listVolt, row, row < c.voltageEnabledCount());
    m_listVolt->setCurrentIndex(c.selectedVoltage());
    m_busDivide->setChecked(c.halfBus());
    m_busDivide->setEnabled(c.machine().santaRosa);
    fillTable(m_adapterTable, c.settings().SetA);
    fillTable(m_batteryTable, c.settings().SetB);
    if (const auto speed = c.speedItem())
        m_listSpeed->setCurrentIndex(*speed);
    setItems(m_listTemp, c.temperatureItems());
    m_listTemp->setCurrentIndex(c.temperatureItem());
    m_driverQuellar->setChecked(c.driverOn());
    m_switcherBtn->setChecked(c.switcherChecked());
    // The test thread may not have begun yet: the window's own record counts too.
    const bool testing = m_test || c.testRunning();
    m_switcherBtn->setEnabled(c.switcherEnabled() && !testing);
    m_setButton->setEnabled(c.setEnabled() && !testing);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_addBtn, m_clearBtn, m_defBtn, m_driverQuellar,
                                         m_listFreq, m_listVolt, m_listSpeed, m_listTemp})
        control->setEnabled(!testing);
    m_refreshing = false;
    setupDisplay();
    liveValuesChanged();
}

void ControllerWindow::liveValuesChanged() {
    if (!m_controller)
        return;
    const Controller& c = *m_controller;
    m_curFreq->setText(c.curFreq().isEmpty() ? QStringLiteral("–")
                                             : c.curFreq() + QStringLiteral(" MHz"));
    const bool volts = !c.curVid().isEmpty() && c.curVid().front().isDigit();
    m_curVid->setText(c.curVid().isEmpty()
                          ? QStringLiteral("–")
                          : c.curVid() + (volts ? QStringLiteral(" V") : QString()));
    m_curTemp->setText(c.curTemp().isEmpty() ? QStringLiteral("–") : c.curTemp());
    if (m_display) {
        const std::array<std::int8_t, 8>& checked = c.settings().checkedItems;
        m_display->setIcon(iconWithText(c.statusTitle(), !checked[kHideIcon]));
        m_display->setToolTip(QStringLiteral("Quellar Controller\n") + c.statusTitle().trimmed());
    }
}

void ControllerWindow::setupDisplay() {
    const Controller& c = *m_controller;
    if (!c.settings().showMenu) {
        delete m_display;
        m_display = nullptr;
        m_menuItems.clear();
        return;
    }
    if (!m_display) {
        m_display = new QSystemTrayIcon(this);
        auto* menu = new QMenu(this);
        const char* titles[] = {"Frequency",   "Voltage",   "Temperature", nullptr,
                                "All at once", "Hide icon", "Small font"};
        for (int item = 0; item < 7; ++item) {
            if (!titles[item]) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(titles[item]));
            action->setCheckable(true);
            const int index = item <= 2 ? item : item - 1;
            connect(action, &QAction::triggered, this,
                    [this, index] { m_controller->menuController(index); });
            m_menuItems.push_back(action);
        }
        m_display->setContextMenu(menu);
        m_display->setIcon(iconWithText(QString(), true));
        m_display->show();
    }
    for (std::size_t item = 0; item < m_menuItems.size(); ++item)
        m_menuItems[item]->setChecked(c.settings().checkedItems[item]);
}

void ControllerWindow::save() {
    if (m_test) {
        m_controller->cancelTest();
        return;
    }
    m_test = QThread::create([this] { m_controller->testSettings(); });
    // Owned by the window, so that it is freed even if the window goes before its end is seen.
    m_test->setParent(this);
    connect(m_test, &QThread::finished, this, [this] {
        m_test->deleteLater();
        m_test = nullptr;
        refresh();
    });
    m_test->start();
    refresh();
}

void ControllerWindow::testStarted() {
    onMainThread([this] {
        m_saveBtn->setText(QStringLiteral("Cancel"));
        m_saveBtn->setAccessibleName(QStringLiteral("Cancel"));
        m_refreshing = true;
        m_cpuSlider->setValue(kCpuSliderMaximum);
        m_refreshing = false;
        int total = 0;
        for (const StateTable* table :
             {&m_controller->settings().SetA, &m_controller->settings().SetB}) {
            for (const StatePair& pair : *table)
                total += pair.Freq != 0 && pair.Volt != 0;
        }
        m_testedSettings = 0;
        m_progress->setRange(0, total);
        m_progress->setValue(0);
        m_progress->setVisible(true);
    });
}

void ControllerWindow::testStatus(const QString& text) {
    onMainThread([this, text] {
        m_testOutput->setText(text);
        if (!text.isEmpty())
            m_progress->setValue(m_testedSettings++);
    });
}

void ControllerWindow::testEnded() {
    onMainThread([this] {
        m_testOutput->clear();
        m_progress->setVisible(false);
        m_refreshing = true;
        m_cpuSlider->setValue(0);
        m_refreshing = false;
        m_saveBtn->setText(QStringLiteral("Save"));
        m_saveBtn->setAccessibleName(QStringLiteral("Save"));
    });
}

void ControllerWindow::unInstall() {
    m_controller->unInstall();
}

void ControllerWindow::showPrefs() {
    if (!m_preferences)
        m_preferences = new PreferencesWindow(*m_controller, m_controller->keychain(), this);
    m_preferences->load();
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
}

void ControllerWindow::closeEvent(QCloseEvent* event) {
    if (m_test) {
        m_controller->cancelTest();
        m_test->wait();
    }
    m_timer.reset();
    event->accept();
    QApplication::quit();
}

} // namespace quellar
