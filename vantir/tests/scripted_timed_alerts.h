#pragma once

#include "vantir/core/timed_alerts.h"

#include <vector>

namespace vantir::testing {

/// Timed alerts that answer at once and remember what they showed.
class ScriptedTimedAlerts final : public TimedAlerts {
public:
    int runTimedAlert(const TimedAlert& alert) override {
        shown.push_back(alert);
        return answer;
    }
    int answer = kAlertDefaultReturn;
    std::vector<TimedAlert> shown;
};

} // namespace vantir::testing
