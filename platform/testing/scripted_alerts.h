#pragma once

#include "platform/core/alerts.h"

#include <deque>
#include <optional>
#include <vector>

namespace platform::doubles {

/// Alerts that answer from a script and remember everything they were shown. A scripted
/// `pressEscape` answers as Escape does (the alert's escape answer). When the script runs out,
/// alerts answer with their default button.
class ScriptedAlerts final : public Alerts {
public:
    static constexpr std::nullopt_t pressEscape = std::nullopt;

    AlertResponse runModal(const Alert& alert) override {
        shown.push_back(alert);
        if (answers.empty())
            return AlertResponse::First;
        const std::optional<AlertResponse> answer = answers.front();
        answers.pop_front();
        return answer ? *answer : escapeAnswerOf(alert);
    }
    void beep() override { ++beeps; }

    std::deque<std::optional<AlertResponse>> answers;
    std::vector<Alert> shown;
    int beeps = 0;
};

} // namespace platform::doubles
