#include "voltaro/app/voltaro_application.h"

#include "platform/core/file_io.h"
#include "platform/core/hw_root.h"
#include "platform/core/log.h"
#include "platform/qt/message_box_alerts.h"
#include "voltaro/app/history_window.h"
#include "voltaro/app/main_window.h"
#include "voltaro/app/preferences_window.h"
#include "voltaro/linux/shell_system_tools.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QTextStream>

namespace voltaro {

namespace {

const QString kDomain = QStringLiteral("Voltaro");
const QString kStringsTable = QStringLiteral("Localizable");

/// Alerts for a terminal: the texts go to standard error, the default button answers.
class TerminalAlerts final : public platform::Alerts {
public:
    explicit TerminalAlerts(QTextStream& err) : m_err(err) {}
    platform::AlertResponse runModal(const platform::Alert& alert) override {
        m_err << alert.messageText << '\n';
        if (!alert.informativeText.isEmpty())
            m_err << alert.informativeText << '\n';
        m_err.flush();
        return platform::AlertResponse::First;
    }
    void beep() override {}

private:
    QTextStream& m_err;
};

} // namespace

Options parseOptions(const QStringList& arguments) {
    Options options;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--print"))
            options.print = true;
        else if (argument == QLatin1String("--simulate"))
            options.simulate = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        // Qt's own options (-platform, -style, …) are left to QApplication.
        else if (!argument.startsWith(QLatin1String("-")) ||
                 argument.startsWith(QLatin1String("--")))
            options.error = QStringLiteral("unknown argument: %1").arg(argument);
    }
    return options;
}

QString usage() {
    return QStringLiteral(
        "usage: Voltaro [--print] [--simulate]\n"
        "\n"
        "  --print     show the battery's facts as \"label: value\" lines and exit\n"
        "  --simulate  run on a simulated battery instead of the machine's\n"
        "\n"
        "The tools Voltaro runs are taken from $VOLTARO_TOOLS, or from its libexec folder;\n"
        "/sys and /proc are read below $HW_ROOT (default /).\n");
}

std::unique_ptr<Simulation> Simulation::start(QString& error) {
    std::unique_ptr<Simulation> simulation(new Simulation);
    if (!simulation->m_folder.isValid()) {
        error = QStringLiteral("cannot make a folder for the simulated battery");
        return nullptr;
    }
    // The simulated notebook has this machine's processor.
    const auto cpuinfo =
        platform::readHardwareFile(platform::hwPath(QStringLiteral("/proc/cpuinfo")));
    auto battery = SimulatedBattery::create(simulation->root(), cpuinfo ? *cpuinfo : QByteArray());
    if (!battery) {
        error = battery.error();
        return nullptr;
    }
    simulation->m_battery = std::make_unique<SimulatedBattery>(std::move(battery).value());
    qputenv("HW_ROOT", QFile::encodeName(simulation->root()));
    return simulation;
}

void Simulation::step() {
    if (auto stepped = m_battery->step(); !stepped)
        platform::log(stepped.error());
}

int printFields(const Options& options, QTextStream& out, QTextStream& err) {
    std::unique_ptr<Simulation> simulation;
    if (options.simulate) {
        QString error;
        simulation = Simulation::start(error);
        if (!simulation) {
            err << error << '\n';
            return 1;
        }
    }
    platform::EventLoopClock clock;
    TerminalAlerts alerts(err);
    platform::Defaults defaults(kDomain);
    const platform::StringsTable strings =
        platform::StringsTable::load(platform::Resources(QStringLiteral("voltaro")), kStringsTable);
    appController controller(clock, alerts, defaults, strings,
                             std::make_shared<ShellSystemTools>());
    if (!controller.identifyComputer()) {
        alerts.runModal(controller.unsupportedComputerAlert());
        return 1;
    }
    controller.runWorkerNow();
    controller.batteryDataThreadTimer();
    for (const QString& line : printLines(controller.shownFields(), controller.architectureText()))
        out << line << '\n';
    out.flush();
    return 0;
}

VoltaroApplication::VoltaroApplication(const Options& options)
    : m_options(options), m_alerts(std::make_unique<platform::MessageBoxAlerts>()),
      m_defaults(kDomain), m_resources(QStringLiteral("voltaro")),
      m_strings(platform::StringsTable::load(m_resources, kStringsTable)),
      m_delegate(std::make_unique<Voltaro_AppDelegate>(*m_alerts)),
      m_mainWindow(std::make_unique<MainWindow>()) {
    MainWindow& window = *m_mainWindow;
    // The look is read once, when the window is set up.
    if (usesUnifiedLook(m_defaults))
        window.useTexturedBackground(
            m_resources.pathForResource(QStringLiteral("back"), QStringLiteral("png")));
    // Closing the main window quits the program, once the history is saved.
    window.shouldClose = [this] {
        if (m_delegate->applicationShouldTerminate() ==
            Voltaro_AppDelegate::TerminateReply::TerminateCancel)
            return false;
        QCoreApplication::quit();
        return true;
    };
    QObject::connect(window.saveDataButton(), &QPushButton::clicked,
                     [this] { savedData_saveData(); });
    QObject::connect(window.historyButton(), &QPushButton::clicked, [this] {
        HistoryWindow& history = historyWindow();
        history.show();
        history.raise();
        history.activateWindow();
    });
    QObject::connect(window.preferencesWindow(), &PreferencesWindow::savePreferences,
                     [this](const PreferencesSheet& sheet) {
                         m_controller->preferences_savePreferences(sheet);
                     });

    QMenu* edit = window.menuBar()->addMenu(QObject::tr("&Edit"));
    QAction* undo = m_undoStack.createUndoAction(&window);
    undo->setShortcut(QKeySequence::Undo);
    edit->addAction(undo);
    QAction* redo = m_undoStack.createRedoAction(&window);
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(redo);
    QMenu* history = window.menuBar()->addMenu(QObject::tr("&History"));
    history->addAction(QObject::tr("&Add Entry"), [this] { savedData_saveData(); });
    history->addAction(QObject::tr("&Show History"),
                       [&window] { window.historyButton()->click(); });
    history->addAction(QObject::tr("&Save"), QKeySequence::Save,
                       [this] { m_delegate->saveAction(); });
}

VoltaroApplication::~VoltaroApplication() {
    // The controller's timers and the windows' views of the history go first.
    m_controller.reset();
    m_historyWindow.reset();
}

bool VoltaroApplication::start() {
    if (m_options.simulate) {
        QString error;
        m_simulation = Simulation::start(error);
        if (!m_simulation) {
            m_alerts->runModal({platform::AlertStyle::Critical,
                                QStringLiteral("The simulated battery could not be made."),
                                error,
                                {}});
            return false;
        }
        m_mainWindow->setWindowTitle(QStringLiteral("Voltaro (simulated battery)"));
        m_simulationTimer =
            m_clock.scheduleTimer(7.0, platform::Repeats::Yes, [this] { m_simulation->step(); });
    }
    m_controller = std::make_unique<appController>(m_clock, *m_alerts, m_defaults, m_strings,
                                                   std::make_shared<ShellSystemTools>());
    if (!m_controller->awakeFromNib(*m_mainWindow))
        return false;
    m_mainWindow->show();
    // The history is opened with the window, so that an unreadable store is reported now
    // rather than when the first entry is added.
    m_delegate->managedObjectContext();
    return true;
}

HistoryWindow& VoltaroApplication::historyWindow() {
    if (!m_historyWindow)
        m_historyWindow =
            std::make_unique<HistoryWindow>(m_delegate->managedObjectContext(), m_undoStack);
    return *m_historyWindow;
}

void VoltaroApplication::savedData_saveData() {
    m_controller->savedData_saveData(*m_delegate);
    pushAddedRecord(m_undoStack, m_delegate->managedObjectContext());
}

} // namespace voltaro
