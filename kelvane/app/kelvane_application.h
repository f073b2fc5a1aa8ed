#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace kelvane {

struct Options {
    bool simulate = false;
    /// The LED to use; empty picks the first keyboard backlight.
    QString led;
};

/// Reads the command line; answers the exit status when the program must stop here.
std::optional<int> parseOptions(int argc, const char* const* argv, Options& options);

/// The running agent: its device, services, controller and windows.
class KelvaneApplication final : public QObject {
    Q_OBJECT
public:
    explicit KelvaneApplication(Options options);
    ~KelvaneApplication() override;

    /// Opens the backlight and starts the agent. Without a backlight, shows the alert and
    /// answers false: the program then exits with status 1.
    bool start();
    /// Drops the control window, as a second start of the program asks.
    void bringForward();
    /// The Quit command's path: saves the settings and ends the event loop.
    void quit();

private:
    void showNoticeWhenPlaced(int attempt);

    struct Parts;
    std::unique_ptr<Parts> m;
};

} // namespace kelvane
