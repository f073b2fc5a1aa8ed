#pragma once

#include "platform/core/defaults.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/resources.h"
#include "voltaro/core/app_controller.h"
#include "voltaro/core/history.h"
#include "voltaro/core/simulated_battery.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QUndoStack>

#include <memory>
#include <optional>

class QTextStream;

namespace voltaro {

class HistoryWindow;
class MainWindow;

/// The command line: `--print` (one refresh as text, no display needed), `--simulate` (a
/// simulated battery).
struct Options {
    bool print = false;
    bool simulate = false;
};
/// Reads the command line into `options`. Answers the status to exit with when the program
/// stops here: after `--help` or `--version`, or a wrong command line (with the usage on
/// standard error).
std::optional<int> parseOptions(int argc, const char* const* argv, Options& options);

/// The simulated battery's tree in a temporary folder, named as HW_ROOT for the tools.
class Simulation {
public:
    /// Nothing (and `error` set) when the tree cannot be made.
    static std::unique_ptr<Simulation> start(QString& error);
    void step();
    QString root() const { return m_folder.path(); }

private:
    Simulation() = default;
    QTemporaryDir m_folder;
    std::unique_ptr<SimulatedBattery> m_battery;
};

/// `Voltaro --print`: identifies the machine, runs one worker and one display refresh, and
/// writes the window's fields as "label: value" lines. Answers 0, or 1 after the unsupported
/// computer's message on standard error. Needs a QCoreApplication and no display.
int printFields(const Options& options, QTextStream& out, QTextStream& err);

/// The windowed program: its services, controller, delegate and windows.
class VoltaroApplication {
public:
    explicit VoltaroApplication(const Options& options);
    ~VoltaroApplication();

    /// Starts the controller and shows the main window. False when the program must quit
    /// (an unsupported computer, after its alert; a simulation that could not start).
    bool start();

    /// The quit path of the Quit command, the main window's close box, the quit signals and
    /// the end of the session: the delegate saves the history and decides; the event loop
    /// ends when it agrees. Answers whether the program quits.
    bool quit();
    /// Shows, raises and activates the main window (another copy was started).
    void bringForward();

    MainWindow& mainWindow() { return *m_mainWindow; }
    appController& controller() { return *m_controller; }
    Voltaro_AppDelegate& delegate() { return *m_delegate; }
    /// The history window, made on first use.
    HistoryWindow& historyWindow();
    QUndoStack& undoStack() { return m_undoStack; }

private:
    void savedData_saveData();

    Options m_options;
    std::unique_ptr<Simulation> m_simulation;
    platform::EventLoopClock m_clock;
    std::unique_ptr<platform::Alerts> m_alerts;
    platform::Defaults m_defaults;
    platform::Resources m_resources;
    platform::StringsTable m_strings;
    QUndoStack m_undoStack;
    std::unique_ptr<Voltaro_AppDelegate> m_delegate;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<appController> m_controller;
    std::unique_ptr<platform::Timer> m_simulationTimer;
};

} // namespace voltaro
