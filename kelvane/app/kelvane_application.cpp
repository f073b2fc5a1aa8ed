#include "kelvane/app/kelvane_application.h"

#include "kelvane/app/components/bubble_window.h"
#include "kelvane/app/components/key_code_transformer.h"
#include "kelvane/app/components/shortcut_validator.h"
#include "kelvane/app/control_window.h"
#include "kelvane/app/dialogs.h"
#include "kelvane/app/fetch_updater.h"
#include "kelvane/app/first_start_notice.h"
#include "kelvane/app/preferences_controller.h"
#include "kelvane/core/kelvane_controller.h"
#include "kelvane/linux/led_backlight.h"
#include "platform/core/command_line.h"
#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/linux/desktop_url_opener.h"
#include "platform/linux/freedesktop_notifier.h"
#include "platform/linux/logind_sleep_wake.h"
#include "platform/qt/message_box_alerts.h"
#include "platform/x11/key_character.h"
#include "platform/x11/x11_hot_keys.h"
#include "platform/x11/x11_idle_time.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace kelvane {
namespace {

const QString kDonationSite = QStringLiteral("https://kelvane.example.org");

QString autostartFolder() {
    return platform::Defaults::configFolder() + QStringLiteral("/autostart");
}

} // namespace

std::optional<int> parseOptions(int argc, const char* const* argv, Options& options) {
    platform::CommandLine commandLine(
        QStringLiteral("Kelvane"), platform::suiteVersion(),
        QStringLiteral(
            "Keeps the keyboard backlight at the level you choose, dims it when you are away\n"
            "and answers three global hot keys. The backlight is the first LED named\n"
            "\"*::kbd_backlight\" under /sys/class/leds (read below $HW_ROOT, default /)."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run on a simulated backlight instead of the machine's."));
    const QCommandLineOption led(
        QStringLiteral("led"),
        QStringLiteral("Use the LED <name> of /sys/class/leds as the backlight."),
        QStringLiteral("name"));
    commandLine.addOption(simulate);
    commandLine.addOption(led);
    if (const auto status = commandLine.parse(argc, argv))
        return status;
    options.simulate = commandLine.isSet(simulate);
    options.led = commandLine.value(led);
    if (options.simulate && !options.led.isEmpty())
        return commandLine.usageError(QStringLiteral("--simulate and --led exclude each other"));
    return std::nullopt;
}

struct KelvaneApplication::Parts {
    Options options;
    platform::EventLoopClock clock;
    platform::Defaults defaults{QStringLiteral("Kelvane")};
    platform::Resources resources{QStringLiteral("kelvane")};
    platform::StringsTable strings =
        platform::StringsTable::load(resources, QStringLiteral("Localizable"));
    platform::MessageBoxAlerts alerts;
    LogindSessionBrightness logind;
    std::unique_ptr<BacklightDevice> device;
    std::unique_ptr<KelvaneIlluminationController> illumination;
    std::unique_ptr<platform::x11::X11HotKeys> hotKeys;
    std::unique_ptr<platform::x11::X11IdleTime> idleTime;
    platform::FreedesktopNotifier notifier;
    platform::LogindSleepWake sleepWake;
    platform::DesktopUrlOpener urlOpener;
    std::unique_ptr<FetchUpdater> updater;
    std::unique_ptr<KelvaneController> controller;
    std::unique_ptr<components::KVKeyCodeTransformer> keyNames;
    std::unique_ptr<components::KVShortcutValidator> validator;
    QMenu actionMenu;
    std::unique_ptr<KelvaneControlWindow> mainWindow;
    std::unique_ptr<KelvaneWindowDropper> windowDropper;
    std::unique_ptr<KelvanePreferencesController> preferencesController;
    std::unique_ptr<AboutBox> aboutBox;
    std::unique_ptr<DonationWindow> donationWindow;
    std::unique_ptr<FirstStartNotice> notice;

    QString description() const {
        return options.simulate ? QStringLiteral("Kelvane (simulated backlight)")
                                : QStringLiteral("Kelvane");
    }
    void refreshSlider();
};

KelvaneApplication::KelvaneApplication(Options options) : m(std::make_unique<Parts>()) {
    m->options = std::move(options);
}

KelvaneApplication::~KelvaneApplication() = default;

bool KelvaneApplication::start() {
    if (m->options.simulate) {
        m->device =
            std::make_unique<BacklightDevice>(m->clock, std::make_unique<SimulatedBacklight>(2047));
    } else {
        auto led = LedBacklight::open(m->options.led, &m->logind);
        if (!led) {
            platform::log(led.error());
            KelvaneController::reportMissingBacklight(m->alerts, m->strings);
            return false;
        }
        platform::log(QStringLiteral("keyboard backlight: %1").arg((*led)->description()));
        m->device = std::make_unique<BacklightDevice>(m->clock, std::move(led).value());
    }
    m->illumination = std::make_unique<KelvaneIlluminationController>(*m->device);

    Display* display = platform::x11::applicationDisplay();
    m->hotKeys = std::make_unique<platform::x11::X11HotKeys>(display);
    m->idleTime = std::make_unique<platform::x11::X11IdleTime>(display);
    const QString version = platform::suiteVersion();
    m->updater = std::make_unique<FetchUpdater>(m->clock, m->defaults, &m->notifier, version);
    m->controller = std::make_unique<KelvaneController>(KelvaneServices{
        m->clock, m->defaults, *m->illumination, &m->notifier,
        display ? m->idleTime.get() : nullptr, *m->hotKeys, m->sleepWake, m->urlOpener, *m->updater,
        m->strings, QCoreApplication::applicationFilePath(), version, autostartFolder(),
        QUrl(kDonationSite)});
    KelvaneController& controller = *m->controller;

    // The action menu of the control window, also the status item's context menu.
    QAction* preferences = m->actionMenu.addAction(QStringLiteral("Preferences\u2026"));
    preferences->setShortcut(QKeySequence(Qt::META | Qt::Key_Comma));
    QAction* about = m->actionMenu.addAction(QStringLiteral("About Kelvane"));
    m->actionMenu.addSeparator();
    QAction* quitItem = m->actionMenu.addAction(QStringLiteral("Quit Kelvane"));
    quitItem->setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
    connect(preferences, &QAction::triggered, &controller, &KelvaneController::showPrefsWindow);
    connect(quitItem, &QAction::triggered, &controller, &KelvaneController::shutdownKelvane);

    m->keyNames = std::make_unique<components::KVKeyCodeTransformer>(
        [display](int keyCode) { return platform::x11::keyCharacter(display, keyCode); },
        platform::StringsTable::load(m->resources, QStringLiteral("ShortcutControl")));
    m->validator =
        std::make_unique<components::KVShortcutValidator>(*m->keyNames, m->hotKeys.get(), [this] {
            std::vector<components::MenuKeyEquivalent> items;
            for (QAction* action : m->actionMenu.actions()) {
                const QKeyCombination key =
                    action->shortcut().isEmpty() ? QKeyCombination() : action->shortcut()[0];
                if (key.key() == Qt::Key_unknown || action->shortcut().isEmpty())
                    continue;
                quint32 modifiers = 0;
                if (key.keyboardModifiers() & Qt::MetaModifier)
                    modifiers |= platform::hotkey_modifiers::Command;
                if (key.keyboardModifiers() & Qt::ShiftModifier)
                    modifiers |= platform::hotkey_modifiers::Shift;
                if (key.keyboardModifiers() & Qt::AltModifier)
                    modifiers |= platform::hotkey_modifiers::Option;
                if (key.keyboardModifiers() & Qt::ControlModifier)
                    modifiers |= platform::hotkey_modifiers::Control;
                items.push_back({action->text(), QKeySequence(key.key()).toString(), modifiers});
            }
            return items;
        });
    m->validator->setDelegate([this](int keyCode, quint32 flags, QString* reason) {
        return m->controller->isKeyCodeAndFlagsTaken(keyCode, flags, reason);
    });

    m->notice = std::make_unique<FirstStartNotice>(
        m->clock, [this] { m->controller->firstStartNoticeShown(); });
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    m->mainWindow = std::make_unique<KelvaneControlWindow>(&m->actionMenu, !trayAvailable);
    m->mainWindow->setWindowTitle(m->description());
    m->windowDropper = std::make_unique<KelvaneWindowDropper>(
        *m->mainWindow, display, &m->actionMenu, m->description(),
        [this] { m->notice->orderAttachedWindowOut(); },
        // A drop re-applies the slider's level, as moving the slider would.
        [this] { m->controller->adjustBacklight(m->mainWindow->slider()->value()); });
    connect(m->mainWindow.get(), &KelvaneControlWindow::windowDidResignKey, this, [this] {
        if (m->windowDropper->hasStatusItem())
            m->windowDropper->retract();
    });
    connect(m->mainWindow->slider(), &QSlider::valueChanged, &controller,
            &KelvaneController::adjustBacklight);
    connect(&controller, &KelvaneController::interfaceChanged, this,
            [this] { m->refreshSlider(); });

    m->preferencesController = std::make_unique<KelvanePreferencesController>(
        controller, *m->validator, m->alerts, m->strings, m->resources.folder());
    m->preferencesController->window()->setWindowTitle(QStringLiteral("Kelvane Preferences"));
    connect(&controller, &KelvaneController::preferencesWindowRequested, this,
            [this] { m->preferencesController->showWindow(); });

    m->aboutBox = std::make_unique<AboutBox>(m->strings, m->resources, version);
    connect(about, &QAction::triggered, this, [this] { m->aboutBox->showPanel(); });

    m->donationWindow = std::make_unique<DonationWindow>();
    connect(&controller, &KelvaneController::donationWindowRequested, this, [this] {
        m->donationWindow->show();
        m->donationWindow->raise();
        m->donationWindow->activateWindow();
    });
    connect(&controller, &KelvaneController::donationWindowClosed, m->donationWindow.get(),
            &QDialog::hide);
    connect(m->donationWindow.get(), &DonationWindow::donateNow, &controller,
            &KelvaneController::donateNow);
    connect(m->donationWindow.get(), &DonationWindow::donateLater, &controller,
            &KelvaneController::donateLater);
    connect(m->donationWindow.get(), &DonationWindow::hasDonated, &controller,
            &KelvaneController::hasDonated);

    connect(&controller, &KelvaneController::firstStartNoticeRequested, this,
            [this] { showNoticeWhenPlaced(0); });
    connect(&controller, &KelvaneController::quitRequested, this, &KelvaneApplication::quit);

    m->updater->start();
    controller.awakeFromNib();
    m->refreshSlider();
    if (!m->windowDropper->hasStatusItem()) {
        m->mainWindow->show();
    }
    return true;
}

void KelvaneApplication::Parts::refreshSlider() {
    const QSignalBlocker blocker(mainWindow->slider());
    mainWindow->slider()->setValue(controller->levelSliderValue());
}

void KelvaneApplication::showNoticeWhenPlaced(int attempt) {
    // The tray places the icon a moment after it appears; until then it has no position to
    // point at. After two seconds the notice points at the pointer instead.
    if (m->windowDropper->hasStatusItemGeometry() || attempt >= 20) {
        m->notice->toggleAttachedWindowAtPoint(m->windowDropper->statusItemOrigin());
        return;
    }
    QTimer::singleShot(100, this, [this, attempt] { showNoticeWhenPlaced(attempt + 1); });
}

void KelvaneApplication::bringForward() {
    if (!m->windowDropper)
        return;
    if (!m->windowDropper->hasStatusItem()) {
        m->mainWindow->show();
        m->mainWindow->raise();
        m->mainWindow->activateWindow();
        return;
    }
    if (!m->windowDropper->isSheetDown())
        m->windowDropper->launch();
}

void KelvaneApplication::quit() {
    m->defaults.synchronize();
    QCoreApplication::quit();
}

} // namespace kelvane
