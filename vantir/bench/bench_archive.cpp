// How long reading and writing a large archive takes, by hand: build/tests/vantir_benchmarks.
// Reading (parse, restore classes, register users) is compared with parsing alone.

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
    for (auto _ : state) {
        VNTAction::cleanupUUIDs();
        VNTRepository repository(services);
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

} // namespace

BENCHMARK_MAIN();
