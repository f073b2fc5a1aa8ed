// How long performing a keystroke action takes on a real X server, by hand under Xvfb:
//     xvfb-run -a build/bin/vantir-actions-bench
// From `perform` until the last XTest event is flushed to the server: an action with two
// modifiers and one key, and one that types a text of 100 characters. The server's own work
// is left out: it is waited for between iterations, outside the timing.

#include "platform/core/log.h"
#include "platform/testing/fake_desktop.h"
#include "platform/testing/scripted_alerts.h"
#include "platform/x11/x11_event_poster.h"
#include "platform/x11/x11_workspace.h"
#include "platform/x11/xkb_keyboard_layout.h"
#include "vantir/core/keystroke_action.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

namespace {

using namespace vantir;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

struct Desktop {
    Display* display = XOpenDisplay(nullptr);
    platform::x11::X11EventPoster poster{display};
    platform::x11::XkbKeyboardLayout layout{display};
    platform::x11::X11Workspace workspace{display, {}};
    platform::doubles::FakeDesktop front;
    platform::doubles::ScriptedAlerts alerts;
    KeystrokePerformer performer{KeystrokeServices{poster, layout, workspace, front, alerts, {}}};

    ~Desktop() {
        if (display)
            XCloseDisplay(display);
    }
};

void performRepeatedly(benchmark::State& state, const VNTAction& action) {
    // One for the whole run: an X server resets when its last client leaves, and refuses
    // connections meanwhile.
    static Desktop desktop;
    if (!desktop.display) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(desktop.performer.perform(action));
        state.PauseTiming();
        XSync(desktop.display, False);
        state.ResumeTiming();
    }
}

void BM_KeystrokeTwoModifiersOneKey(benchmark::State& state) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    action.setStoredObject(true, str("commandDown"));
    action.setStoredObject(true, str("shiftDown"));
    action.setStoredObject(0x11, str("keyCode"));
    performRepeatedly(state, action);
}
BENCHMARK(BM_KeystrokeTwoModifiersOneKey)->Unit(benchmark::kMicrosecond);

void BM_Typing100Characters(benchmark::State& state) {
    const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
    const QString text =
        str("the quick brown fox jumps over the lazy dog 0123456789 ").repeated(2).left(100);
    action.setStoredObject(text, str("keyStrokes"));
    performRepeatedly(state, action);
}
BENCHMARK(BM_Typing100Characters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
