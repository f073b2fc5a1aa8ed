#pragma once

#include "platform/core/alerts.h"

#include <deque>
#include <vector>

namespace platform::doubles {

/// Alerts that answer from a script and remember everything they were shown. When the script
/// runs out, alerts answer with their default button.
class ScriptedAlerts final : public Alerts {
public:
    AlertResponse runModal(const Alert& alert) override {
        shown.push_back(alert);
        if (answers.empty())
            return AlertResponse::First;
        const AlertResponse answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }

    std::deque<AlertResponse> answers;
    std::vector<Alert> shown;
    int beeps = 0;
};

} // namespace platform::doubles
