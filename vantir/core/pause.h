#pragma once

#include <functional>

namespace platform {
class Clock;
} // namespace platform

namespace vantir {

/// Waits `seconds` before an action goes on. The program keeps its event loop turning
/// meanwhile (windows repaint; the controller, which is still performing, drops remote events
/// as it does during any action); tests record the wait instead.
using Pause = std::function<void(double seconds)>;

/// Waits on a nested event loop until a timer of `clock` fires.
Pause eventLoopPause(platform::Clock& clock);

/// Runs `work` on a thread of its own and turns the event loop until it is done, so that a
/// slow script or tool cannot freeze the program. `work` must not touch the main thread's
/// objects.
void runOffMainThread(const std::function<void()>& work);

} // namespace vantir
