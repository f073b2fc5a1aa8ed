// The display and the editor on a real X server, by hand under Xvfb:
//     xvfb-run -a -s "-screen 0 1280x800x24" build/bin/vantir-display-bench
// Filling a shown display from a layer of 23 buttons and drawing it; lighting one button up and
// off again, each drawn at once; opening the editor on an archive of 3,000 actions and 100
// layers of 23 buttons (the window built and its lists and display filled).

#include "platform/core/notification_center.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/scripted_alerts.h"
#include "vantir/app/editor_document.h"
#include "vantir/app/editor_window.h"
#include "vantir/app/osd_controller.h"
#include "vantir/app/osd_view.h"
#include "vantir/core/model_context.h"
#include "vantir/core/osd_templates.h"
#include "vantir/core/repository.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace vantir;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

OSDTemplates programTemplates() {
    return OSDTemplates({str(VANTIR_RESOURCES "/HTMLTemplates")});
}

VNTTriggerLayer fullLayer(int number) {
    const VNTTriggerLayer layer(VNTMutableDictionary::newInstance(str("VNTTriggerLayer")));
    layer.setStoredObject(QStringLiteral("Layer %1").arg(number), str("name"));
    for (const OSDTile& tile : osdTiles())
        if (tile.osdb != 2)
            layer.triggers()->push_back(
                VNTMutableDictionary::newInstance(
                    str("VNTTriggerAppleRemote"),
                    {{str("osdb"), tile.osdb},
                     {str("name"), QStringLiteral("Button %1").arg(tile.osdb)}})
                    .value());
    return layer;
}

struct Model {
    platform::doubles::ManualClock clock;
    platform::NotificationCenter notifications;
    ModelContext context{clock, notifications, nullptr};
};

void BM_FillDisplayFrom23Buttons(benchmark::State& state) {
    Model model;
    VNTOSDController osd(programTemplates());
    osd.osdView()->resize(1280, 800);
    osd.osdView()->show();
    const VNTTriggerLayer layer = fullLayer(1);
    for (auto _ : state) {
        osd.fillOSDFromLayer(layer);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillDisplayFrom23Buttons)->Unit(benchmark::kMillisecond);

void BM_HighlightPerformedButton(benchmark::State& state) {
    Model model;
    VNTOSDController osd(programTemplates());
    osd.osdView()->resize(1280, 800);
    osd.osdView()->show();
    osd.fillOSDFromLayer(fullLayer(1));
    QApplication::processEvents();
    for (auto _ : state) {
        osd.setOSDBHighlighted(1, true);
        osd.setOSDBHighlighted(1, false);
    }
}
BENCHMARK(BM_HighlightPerformedButton)->Unit(benchmark::kMillisecond);

void BM_OpenEditorOn3000Actions(benchmark::State& state) {
    Model model;
    QTemporaryDir folder;
    platform::doubles::ScriptedAlerts alerts;
    RepositoryServices services;
    services.alerts = &alerts;
    services.archiveFolder = folder.path();
    services.desktopFolder = folder.path();
    VNTRepository repository(model.context, services);
    repository.load();
    // 30 applications of 10 groups of 10 actions; 100 layers.
    repository.library()->clear();
    for (int a = 0; a < 30; ++a) {
        Array groups;
        for (int g = 0; g < 10; ++g) {
            Array actions;
            for (int i = 0; i < 10; ++i)
                actions.push_back(VNTMutableDictionary::newInstance(str("VNTAKeystroke")).value());
            groups.push_back(
                VNTMutableDictionary::newInstance(
                    str("VNTMutableDictionary"),
                    {{str("name"), str("Group")}, {str("childs"), Value::newArray(actions)}})
                    .value());
        }
        repository.library()->push_back(
            VNTMutableDictionary::newInstance(
                str("VNTMutableDictionary"),
                {{str("name"), str("Application")}, {str("childs"), Value::newArray(groups)}})
                .value());
    }
    const ArrayRef layers =
        VNTRemote(VNTMutableDictionary::of(repository.remotes()->at(0))).layers();
    layers->clear();
    for (int l = 0; l < 100; ++l)
        layers->push_back(fullLayer(l).value());
    for (auto _ : state) {
        EditorDocument document(repository, alerts, model.notifications);
        EditorWindow window(document, programTemplates(), {});
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenEditorOn3000Actions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
