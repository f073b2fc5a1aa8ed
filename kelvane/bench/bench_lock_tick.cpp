// The cost of one tick of the lock loop on the LED backend: the level resent to a file kept
// open (the direct path), and the read that decides whether logind must be asked.

#include "kelvane/core/illumination_controller.h"
#include "kelvane/linux/led_backlight.h"
#include "platform/core/event_loop_clock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

struct FakeLed {
    QTemporaryDir root;
    FakeLed() {
        ::setenv("HW_ROOT", QFile::encodeName(root.path()).constData(), 1);
        const QString folder = root.path() + QStringLiteral("/sys/class/leds/smc::kbd_backlight");
        QDir().mkpath(folder);
        for (const auto& [name, value] :
             {std::pair{"max_brightness", "255\n"}, std::pair{"brightness", "0\n"}}) {
            QFile file(folder + QLatin1Char('/') + QString::fromLatin1(name));
            file.open(QIODevice::WriteOnly);
            file.write(value);
        }
    }
};

/// Never asked: stands for a logind that the LED already agrees with.
class NoSession final : public kelvane::SessionBrightness {
public:
    bool isAvailable() override { return true; }
    void setBrightness(const QString&, quint32) override {}
};

void lockTickDirect(benchmark::State& state) {
    FakeLed tree;
    platform::EventLoopClock clock;
    auto led = kelvane::LedBacklight::open({}, nullptr);
    kelvane::BacklightDevice device(clock, std::move(led).value());
    kelvane::KelvaneIlluminationController illumination(device);
    for (auto _ : state)
        illumination.setBacklightLevelTo(60);
}
BENCHMARK(lockTickDirect);

void ledReadForTheSessionPath(benchmark::State& state) {
    FakeLed tree;
    auto led = kelvane::LedBacklight::open({}, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize((*led)->readRawLevel());
}
BENCHMARK(ledReadForTheSessionPath);

} // namespace

BENCHMARK_MAIN();
