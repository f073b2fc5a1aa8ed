// The remote's interpretation, run from text cases in interpretation/: settings, timed input
// events, a blank line, and the ARB reports expected.
//
//   set HoldRepeatSpeed=10          a user default for the run
//   0.000 Play down                 an identifier pressed (Plus, Minus, Menu, Play, Right, Left,
//   0.050 Play up                   MenuHold, PlaySleep, RightHold, LeftHold, Switched or a number)
//   0.100 key Menu down             a plain key of a receiver that reports key presses
//   0.200 simple                    the layer menu opens ("timed" when it closes)
//   0.900 gone                      the receiver disappears
//   2.000 end                       time runs on to here
//
// Reports read "<time> <code in hex> YES|NO" with the repeat flag. Each case file is a test.

#include "platform/core/defaults.h"
#include "platform/testing/golden_cases.h"
#include "platform/testing/manual_clock.h"
#include "vantir/core/preferences.h"
#include "vantir/core/receiver_keys.h"
#include "vantir/core/remote_handler.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace vantir;
namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> kIdentifiers = {
    {"Plus", kRemoteButtonPlus},           {"Minus", kRemoteButtonMinus},
    {"Menu", kRemoteButtonMenu},           {"Play", kRemoteButtonPlay},
    {"Right", kRemoteButtonRight},         {"Left", kRemoteButtonLeft},
    {"MenuHold", kRemoteButtonMenuHold},   {"PlaySleep", kRemoteButtonPlaySleep},
    {"RightHold", kRemoteButtonRightHold}, {"LeftHold", kRemoteButtonLeftHold},
    {"Switched", kRemoteControlSwitched},
};

const std::map<std::string, ReceiverKey> kKeys = {
    {"Plus", ReceiverKey::Plus}, {"Minus", ReceiverKey::Minus}, {"Menu", ReceiverKey::Menu},
    {"Play", ReceiverKey::Play}, {"Right", ReceiverKey::Right}, {"Left", ReceiverKey::Left},
};

struct Recorder : ARBEventDelegate {
    platform::doubles::ManualClock* clock = nullptr;
    std::vector<std::string> lines;
    void handleARBEvent(int arbe, bool repeated) override {
        char line[64];
        std::snprintf(line, sizeof line, "%.3f 0x%03x %s", clock->now(), arbe,
                      repeated ? "YES" : "NO");
        lines.emplace_back(line);
    }
    void setIsListening(bool) override {}
};

std::vector<std::string> run(const std::vector<std::string>& input) {
    QTemporaryDir folder;
    platform::Defaults defaults(QStringLiteral("Vantir"), folder.path());
    registerDefaultSettings(defaults);
    defaults.registerDefaults({{QStringLiteral("RemoteHoldThreshold"), 0.5}});
    platform::doubles::ManualClock clock;
    Recorder recorder;
    recorder.clock = &clock;
    IRAppleRemoteHandler handler(clock, defaults, nullptr, nullptr);
    handler.setDelegate(&recorder);
    ReceiverKeySynthesis keys(
        clock, [&] { return defaults.floatForKey(QStringLiteral("RemoteHoldThreshold")); },
        [&](int identifier, bool pressed) {
            handler.sendRemoteButtonEvent(identifier, pressed, nullptr);
        });

    for (const std::string& text : input) {
        std::istringstream line(text);
        std::string first;
        line >> first;
        if (first == "set") {
            std::string setting;
            line >> setting;
            const auto equals = setting.find('=');
            defaults.setFloat(std::stod(setting.substr(equals + 1)),
                              QString::fromStdString(setting.substr(0, equals)));
            continue;
        }
        const double time = std::stod(first);
        if (time < clock.now())
            return {"time goes backwards at: " + text};
        clock.advance(time - clock.now());
        std::string word, state;
        line >> word;
        if (word == "end")
            continue;
        if (word == "simple" || word == "timed") {
            handler.setSimpleClickMode(word == "simple");
            continue;
        }
        if (word == "gone") {
            keys.releaseAll();
            continue;
        }
        if (word == "key") {
            line >> word >> state;
            if (!kKeys.count(word))
                return {"unknown key in: " + text};
            state == "down" ? keys.keyDown(kKeys.at(word)) : keys.keyUp(kKeys.at(word));
            continue;
        }
        line >> state;
        const int identifier = kIdentifiers.count(word) ? kIdentifiers.at(word) : std::stoi(word);
        handler.sendRemoteButtonEvent(identifier, state == "down", nullptr);
    }
    // Nothing may be left running once the case has ended, except a hold still held.
    if (!handler.isRepeating() && clock.pendingTimers() > 0)
        recorder.lines.push_back("timers left running");
    return recorder.lines;
}

std::vector<fs::path> caseFiles() {
    return platform::doubles::goldenCaseFiles(INTERPRETATION_CASES);
}

} // namespace

class Interpretation : public testing::TestWithParam<fs::path> {};

TEST_P(Interpretation, ReportsWhatTheCaseExpects) {
    const platform::doubles::GoldenCase interpretation =
        platform::doubles::readGoldenCase(GetParam());
    ASSERT_FALSE(interpretation.input.empty()) << "no input in " << GetParam();
    const std::string mismatch =
        platform::doubles::goldenMismatch(interpretation.expected, run(interpretation.input));
    if (!mismatch.empty())
        ADD_FAILURE() << mismatch;
}

INSTANTIATE_TEST_SUITE_P(Cases, Interpretation, testing::ValuesIn(caseFiles()),
                         [](const auto& info) {
                             return platform::doubles::goldenCaseName(info.param);
                         });

// An emptied or misplaced case folder must not pass as "no case failed".
TEST(InterpretationCases, AreFound) {
    EXPECT_GE(caseFiles().size(), 10u);
}

TEST(ClickWindow, FollowsDoubleClickSpeed) {
    QTemporaryDir folder;
    platform::Defaults defaults(QStringLiteral("Vantir"), folder.path());
    for (const auto& [speed, window] :
         {std::pair{25.0, 0.4}, {0.0, 0.4}, {50.0, 0.2}, {-3.0, 0.4}}) {
        defaults.setFloat(speed, QStringLiteral("DoubleClickSpeed"));
        EXPECT_DOUBLE_EQ(clickWindow(defaults), window) << speed;
    }
    defaults.setFloat(0, QStringLiteral("HoldRepeatSpeed"));
    EXPECT_DOUBLE_EQ(repeatInterval(defaults), 0.02);
    defaults.setFloat(55, QStringLiteral("HoldRepeatSpeed"));
    EXPECT_DOUBLE_EQ(repeatInterval(defaults), 1.0 / 55);
}
