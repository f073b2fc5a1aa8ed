// How long reading and writing a large archive takes, by hand: build/bin/vantir-bench.
// Reading (parse, restore classes, register users) is compared with parsing alone; the
// duplicate-button cleanup and the recording of an action's users are measured on one layer of
// many triggers.

#include "platform/core/event_loop_clock.h"
#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/property_list.h"
#include "vantir/core/collections.h"
#include "vantir/core/repository.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vantir;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

// 20 applications of 10 groups of 15 actions, and a remote of 40 layers of 11 buttons that
// each press and hold two actions.
QByteArray largeArchive() {
    Array library;
    QStringList uuids;
    for (int a = 0; a < 20; ++a) {
        Array groups;
        for (int g = 0; g < 10; ++g) {
            Array actions;
            for (int i = 0; i < 15; ++i) {
                const QString uuid = str("UUID-%1-%2-%3").arg(a).arg(g).arg(i);
                uuids.append(uuid);
                actions.push_back(Value::newDictionary({{str("class"), "VNTAKeystroke"},
                                                        {str("uuid"), uuid},
                                                        {str("name"), uuid},
                                                        {str("keyCode"), i}}));
            }
            groups.push_back(Value::newDictionary({{str("class"), "VNTMutableDictionary"},
                                                   {str("childs"), Value::newArray(actions)}}));
        }
        library.push_back(Value::newDictionary(
            {{str("class"), "VNTMutableDictionary"}, {str("childs"), Value::newArray(groups)}}));
    }
    Array layers;
    const int buttons[] = {1, 2, 3, 4, 5, 6, 20, 23, 40, 60, 80};
    for (int l = 0; l < 40; ++l) {
        Array triggers;
        for (int b = 0; b < 11; ++b) {
            const auto reference = [&](int n) {
                return Value::newDictionary(
                    {{str("class"), "VNTTriggerAction"},
                     {str("uuid"), uuids[(l * 11 + b + n) % uuids.size()]}});
            };
            triggers.push_back(Value::newDictionary(
                {{str("class"), "VNTTriggerAppleRemote"},
                 {str("osdb"), buttons[b]},
                 {str("childs"), Value::newArray({reference(0), reference(1)})},
                 {str("repeatChilds"), Value::newArray({reference(2)})}}));
        }
        layers.push_back(Value::newDictionary(
            {{str("class"), "VNTTriggerLayer"}, {str("childs"), Value::newArray(triggers)}}));
    }
    const Value archive = Value::newDictionary(
        {{str("Version"), 30},
         {str("Library"), Value::newArray(library)},
         {str("Remotes"),
          Value::newArray({Value::newDictionary(
              {{str("class"), "VNTAppleRemote"}, {str("childs"), Value::newArray(layers)}})})}});
    return *platform::writeXmlPropertyList(archive);
}

void ParseOnly(benchmark::State& state) {
    const QByteArray bytes = largeArchive();
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::readPropertyList(bytes));
}
BENCHMARK(ParseOnly)->Unit(benchmark::kMillisecond);

void ParseAndAdopt(benchmark::State& state) {
    const QByteArray bytes = largeArchive();
    RepositoryServices services;
    services.mode = LoadMode::Inspect;
    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    ModelContext model(clock, notifications, nullptr);
    for (auto _ : state) {
        VNTAction::cleanupUUIDs();
        VNTRepository repository(model, services);
        repository.adopt(*parseArchive(bytes));
        benchmark::DoNotOptimize(repository.libraries());
    }
}
BENCHMARK(ParseAndAdopt)->Unit(benchmark::kMillisecond);

void Write(benchmark::State& state) {
    const Value archive = *platform::readPropertyList(largeArchive());
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::writeXmlPropertyList(archive));
}
BENCHMARK(Write)->Unit(benchmark::kMillisecond);

// A layer of `count` triggers on the eleven buttons in turn, so that all but eleven are
// duplicates, each pressing the one action `action` (or nothing when it is null).
VNTTriggerLayer layerOfManyTriggers(int count, const VNTAction& action) {
    static const int buttons[] = {1, 2, 3, 4, 5, 6, 20, 23, 40, 60, 80};
    auto triggers = std::make_shared<Array>();
    triggers->reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const VNTTrigger trigger(VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote")));
        trigger.setStoredObject(buttons[i % 11], str("osdb"));
        if (action) {
            const VNTTriggerAction press(
                VNTMutableDictionary::newInstance(str("VNTTriggerAction")));
            press.setStoredObject(action.uuid(), str("uuid"));
            trigger.triggerActions()->push_back(press.value());
        }
        triggers->push_back(trigger.value());
    }
    const VNTTriggerLayer layer(VNTMutableDictionary::newInstance(str("VNTTriggerLayer")));
    layer.setStoredObject(Value(triggers), str("childs"));
    return layer;
}

void RemoveDuplicateButtons(benchmark::State& state) {
    // One log line per duplicate; they are not what is measured.
    platform::setLogSink([](const QString&) {});
    for (auto _ : state) {
        state.PauseTiming();
        const VNTTriggerLayer layer = layerOfManyTriggers(int(state.range(0)), {});
        state.ResumeTiming();
        benchmark::DoNotOptimize(layer.checkOSDBDuplicates(nullptr));
    }
    platform::setLogSink({});
}
BENCHMARK(RemoveDuplicateButtons)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void RecordUsersOfAnAction(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        VNTAction::cleanupUUIDs();
        const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
        const VNTTriggerLayer layer = layerOfManyTriggers(int(state.range(0)), action);
        const auto triggers = allInstancesOfClass(layer.value(), str("VNTTrigger"));
        state.ResumeTiming();
        for (const auto& trigger : triggers)
            VNTTrigger(trigger).registerUsedActions();
        benchmark::DoNotOptimize(action.hasUsers());
    }
}
BENCHMARK(RecordUsersOfAnAction)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(160000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
