#pragma once

#include "kelvane/core/kelvane_controller.h"
#include "platform/testing/fake_hot_keys.h"
#include "platform/testing/fake_idle_time.h"
#include "platform/testing/fake_sleep_wake.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/recording_notifier.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace kelvane::testing {

class RecordingUpdater final : public Updater {
public:
    void scheduleCheckWithInterval(double seconds) override { intervals.push_back(seconds); }
    std::vector<double> intervals;
};

class RecordingUrlOpener final : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};

/// Counts the writes a raw backlight gets, on top of keeping the level.
class CountingBacklight final : public RawBacklight {
public:
    explicit CountingBacklight(int raw) : m_raw(raw) {}
    std::optional<int> readRawLevel() override { return m_raw; }
    void writeRawLevel(int raw) override {
        m_raw = raw;
        ++writes;
    }
    QString description() const override { return QStringLiteral("counting"); }
    int raw() const { return m_raw; }
    int writes = 0;

private:
    int m_raw;
};

/// A controller on doubles: virtual time, settings in a temporary folder, a backlight in
/// memory. Settings are prepared with `defaults()` before `start()`.
class ControllerFixture {
public:
    explicit ControllerFixture(int hardwareLevel = 30)
        : backlight(
              new CountingBacklight(KelvaneIlluminationController::rawForLevel(hardwareLevel))),
          device(clock, std::unique_ptr<RawBacklight>(backlight)) {
        strings = *platform::StringsTable::parse(
            "<plist version=\"1.0\"><dict><key>NotificationIllumination</key><string>Illumination"
            "</string><key>NotificationOff</key><string>Off</string><key>NoBacklitKeyboard</key>"
            "<string>No keyboard backlight</string><key>YourMacLacksBacklitKeyboard</key>"
            "<string>None found.</string><key>Quit</key><string>Quit</string></dict></plist>");
        m_defaults = std::make_unique<platform::Defaults>(QStringLiteral("Kelvane"), folder.path());
    }

    platform::Defaults& defaults() { return *m_defaults; }

    /// Settings as a new run of the program reads them from disk.
    platform::Defaults reread() {
        return platform::Defaults(QStringLiteral("Kelvane"), folder.path());
    }

    KelvaneController& start() {
        controller = std::make_unique<KelvaneController>(
            KelvaneServices{clock, *m_defaults, illumination, withNotifier ? &notifier : nullptr,
                            withIdleTime ? &idleTime : nullptr, hotKeys, sleepWake, urlOpener,
                            updater, strings, QStringLiteral("/usr/bin/Kelvane"), version,
                            folder.path() + QStringLiteral("/autostart"),
                            QUrl(QStringLiteral("https://kelvane.example.org"))});
        QObject::connect(controller.get(), &KelvaneController::donationWindowRequested,
                         [this] { ++donationWindowsShown; });
        QObject::connect(controller.get(), &KelvaneController::firstStartNoticeRequested,
                         [this] { ++firstStartNotices; });
        controller->awakeFromNib();
        return *controller;
    }

    int level() { return illumination.backlightLevel(); }
    std::vector<QString> notificationBodies() const {
        std::vector<QString> bodies;
        for (const auto& posted : notifier.posted)
            bodies.push_back(posted.body);
        return bodies;
    }

    QTemporaryDir folder;
    platform::doubles::ManualClock clock;
    CountingBacklight* backlight;
    BacklightDevice device;
    KelvaneIlluminationController illumination{device};
    platform::doubles::RecordingNotifier notifier;
    platform::doubles::FakeIdleTime idleTime;
    platform::doubles::FakeHotKeys hotKeys;
    platform::doubles::FakeSleepWake sleepWake;
    RecordingUrlOpener urlOpener;
    RecordingUpdater updater;
    platform::StringsTable strings;
    QString version = QStringLiteral("1.2");
    bool withNotifier = true;
    bool withIdleTime = true;
    int donationWindowsShown = 0;
    int firstStartNotices = 0;
    std::unique_ptr<KelvaneController> controller;

private:
    std::unique_ptr<platform::Defaults> m_defaults;
};

} // namespace kelvane::testing
