#pragma once

#include "platform/core/notifier.h"

#include <vector>

namespace platform::doubles {

/// Keeps every notification posted.
class RecordingNotifier final : public Notifier {
public:
    void post(const Notification& notification) override { posted.push_back(notification); }

    std::vector<Notification> posted;
};

} // namespace platform::doubles
