#pragma once

#include "vantir/core/remote_device.h"

#include <utility>
#include <vector>

namespace vantir {

/// A remote device's delegate that keeps what it is told.
struct RecordingRemoteDelegate : RemoteDeviceDelegate {
    /// Identifiers with their pressed flag, in order.
    using Events = std::vector<std::pair<int, bool>>;
    Events events;
    std::vector<int> remoteIDs;

    void sendRemoteButtonEvent(int identifier, bool pressed, RemoteDevice*) override {
        events.emplace_back(identifier, pressed);
    }
    void setRemoteID(int remoteID) override { remoteIDs.push_back(remoteID); }
};

} // namespace vantir
