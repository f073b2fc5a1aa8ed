#pragma once

#include "quellar/controller/core/choice_lists.h"
#include "quellar/controller/core/state_tables.h"

#include <QStringList>

#include <array>
#include <cstdint>

namespace platform {
class Defaults;
}

namespace quellar {

/// The defaults domain of QuellarController.
inline constexpr const char* kDefaultsDomain = "org.notebooksuite.QuellarController2";

/// Indexes into `checkedItems`.
enum CheckedItem {
    kShowFrequency = 0,
    kShowVoltage = 1,
    kShowTemperature = 2,
    kAllAtOnce = 3,
    kHideIcon = 4,
    kSmallFont = 5,
    kCheckForNewVersion = 7,
};

/// The controller's preferences and the daemon's configuration, with their start values.
struct ControllerSettings {
    quellar::PowerStates PowerStates;
    std::array<std::int8_t, 8> checkedItems{0, 0, 1, 1, 0, 0, 0, 0};
    bool fahrenheitScale = false;
    bool allowVoltage = false;
    std::int64_t defValue = 0;
    bool showMenu = false;
    std::int32_t updateInt = 1;
    QString UserName;

    // The daemon's configuration.
    std::int32_t uLimit = 75, lLimit = 25;
    std::int32_t sRate = 20;
    std::int32_t tLimit = 0;
    StateTable SetA{}, SetB{};
};

/// Loads every preference that is present ("UpdateInt" only when non-zero; "CheckedItems" only
/// as its 8 bytes). Answers whether "DefaultValues" holds at least one state.
bool readSettings(const platform::Defaults& defaults, ControllerSettings& settings);
/// Writes every preference from `settings` and synchronises; answers whether it was written.
bool createSettings(platform::Defaults& defaults, const ControllerSettings& settings);

/// The eleven arguments of the daemon: its path, "-a" and the adapter list, "-b" and the
/// battery list, then "-l", "-i" and "-t" with their values, or two empty strings each when the
/// value is 0.
QStringList createSArray(const ControllerSettings& settings, const QString& daemonPath);
/// "%i:" of every pair with both codes non-zero, in table order.
QString settingsList(const StateTable& table);

/// Reads the tables, limits, rate and temperature limit back from the daemon's arguments, the
/// program path first. Values of options it does not know are skipped.
void getSwitchArr(const QStringList& arguments, ControllerSettings& settings);
/// Fills a table from a list with the daemon's tokeniser: number k goes into pair k. An empty
/// list changes nothing; the text is cut to 254 characters.
void convertArg(const QString& list, StateTable& table);
/// Reads "lower:upper" as the daemon does; an empty value changes nothing.
void convertLArg(const QString& value, ControllerSettings& settings);

/// The speed presets: "Low", "Medium", "High", "Very high".
struct SpeedPreset {
    const char* title;
    std::int32_t uLimit, lLimit, sRate;
};
inline constexpr std::array<SpeedPreset, 4> kSpeedPresets{{
    {"Low", 80, 40, 1},
    {"Medium", 75, 25, 20},
    {"High", 40, 15, 30},
    {"Very high", 20, 10, 40},
}};
void changeSpeed(int item, ControllerSettings& settings);
/// The item to select for the present rate and limits, or none to leave the selection.
std::optional<int> speedItem(const ControllerSettings& settings);

/// The temperature presets: "Off" and seven limits in degrees Celsius.
inline constexpr std::array<std::int32_t, 8> kTemperatureLimits{0, 55, 60, 65, 70, 75, 80, 85};
void tempLimit(int item, ControllerSettings& settings);
/// The titles of the temperature pop-up, in Fahrenheit when asked.
QStringList temperatureItems(bool fahrenheit);
/// The item of `tLimit`; any other value is "Off".
int temperatureItem(std::int32_t tLimit);
/// Degrees Celsius shown in Fahrenheit, truncated: x 1.8 + 32.
int toFahrenheit(int celsius);

} // namespace quellar
