#include "quellar/controller/core/settings.h"

#include "platform/core/defaults.h"

#include <algorithm>
#include <cstdlib>

namespace quellar {

namespace {

const QString kDefaultValuesKey = QStringLiteral("DefaultValues");
const QString kCheckedItemsKey = QStringLiteral("CheckedItems");
const QString kFahrenheitKey = QStringLiteral("Fahrenheit");
const QString kAllowVoltageKey = QStringLiteral("AllowVoltage");
const QString kDefValueKey = QStringLiteral("DefValue");
const QString kShowMenuKey = QStringLiteral("ShowMenu");
const QString kUpdateIntKey = QStringLiteral("UpdateInt");
const QString kUserNameKey = QStringLiteral("UserName");

} // namespace

bool readSettings(const platform::Defaults& defaults, ControllerSettings& settings) {
    if (const auto states = defaults.arrayForKey(kDefaultValuesKey)) {
        settings.PowerStates.clear();
        for (const platform::Value& state : *states) {
            if (state.type() == platform::Value::Type::Data)
                settings.PowerStates.push_back(state.toData());
        }
    }
    const QByteArray checked = defaults.dataForKey(kCheckedItemsKey);
    if (checked.size() == 8)
        std::copy(checked.begin(), checked.end(), settings.checkedItems.begin());
    if (!defaults.objectForKey(kFahrenheitKey).isNone())
        settings.fahrenheitScale = defaults.boolForKey(kFahrenheitKey);
    if (!defaults.objectForKey(kAllowVoltageKey).isNone())
        settings.allowVoltage = defaults.boolForKey(kAllowVoltageKey);
    if (!defaults.objectForKey(kDefValueKey).isNone())
        settings.defValue = defaults.integerForKey(kDefValueKey);
    if (!defaults.objectForKey(kShowMenuKey).isNone())
        settings.showMenu = defaults.boolForKey(kShowMenuKey);
    // A rate outside the update slider's range would make a timer of no interval.
    if (const qint64 rate = defaults.integerForKey(kUpdateIntKey); rate > 0 && rate <= 100)
        settings.updateInt = std::int32_t(rate);
    if (!defaults.objectForKey(kUserNameKey).isNone())
        settings.UserName = defaults.stringForKey(kUserNameKey);
    return !settings.PowerStates.empty();
}

bool createSettings(platform::Defaults& defaults, const ControllerSettings& settings) {
    platform::Array states;
    for (const QByteArray& state : settings.PowerStates)
        states.push_back(state);
    defaults.setObject(platform::Value::newArray(std::move(states)), kDefaultValuesKey);
    defaults.setData(QByteArray(reinterpret_cast<const char*>(settings.checkedItems.data()), 8),
                     kCheckedItemsKey);
    defaults.setBool(settings.fahrenheitScale, kFahrenheitKey);
    defaults.setBool(settings.allowVoltage, kAllowVoltageKey);
    defaults.setInteger(settings.defValue, kDefValueKey);
    defaults.setBool(settings.showMenu, kShowMenuKey);
    defaults.setInteger(settings.updateInt, kUpdateIntKey);
    defaults.setString(settings.UserName, kUserNameKey);
    return defaults.synchronize();
}

QString settingsList(const StateTable& table) {
    QString list;
    for (const StatePair& pair : table) {
        if (pair.Freq != 0 && pair.Volt != 0)
            list += QStringLiteral("%1:").arg(int(packedSetting(pair)));
    }
    return list;
}

QStringList createSArray(const ControllerSettings& settings, const QString& daemonPath) {
    QStringList arguments{daemonPath, QStringLiteral("-a"), settingsList(settings.SetA),
                          QStringLiteral("-b"), settingsList(settings.SetB)};
    if (settings.lLimit != 0 || settings.uLimit != 0)
        arguments << QStringLiteral("-l")
                  << QStringLiteral("%1:%2").arg(settings.lLimit).arg(settings.uLimit);
    else
        arguments << QString() << QString();
    if (settings.sRate != 0)
        arguments << QStringLiteral("-i") << QString::number(settings.sRate);
    else
        arguments << QString() << QString();
    if (settings.tLimit != 0)
        arguments << QStringLiteral("-t") << QString::number(settings.tLimit);
    else
        arguments << QString() << QString();
    return arguments;
}

void convertArg(const QString& list, StateTable& table) {
    if (list.isEmpty())
        return;
    // The list is copied into a zeroed buffer of 255 bytes first.
    const QByteArray text = list.toUtf8().left(254);
    std::uint32_t numbers[kTableSize] = {};
    std::uint32_t count = 0;
    appendList(text.constData(), numbers, count);
    for (std::uint32_t k = 0; k < count; ++k)
        table[k] = unpackSetting(numbers[k]);
}

void convertLArg(const QString& value, ControllerSettings& settings) {
    if (value.isEmpty())
        return;
    std::uint32_t lower = 0, upper = 0;
    getLimits(value.toUtf8().constData(), lower, upper);
    settings.lLimit = std::int32_t(lower);
    settings.uLimit = std::int32_t(upper);
}

void getSwitchArr(const QStringList& arguments, ControllerSettings& settings) {
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const QString& value = arguments[i + 1];
        if (option.startsWith(QStringLiteral("-b")))
            convertArg(value, settings.SetB);
        else if (option.startsWith(QStringLiteral("-a")))
            convertArg(value, settings.SetA);
        else if (option.startsWith(QStringLiteral("-l")))
            convertLArg(value, settings);
        else if (option.startsWith(QStringLiteral("-i")))
            settings.sRate = std::int32_t(std::strtol(value.toUtf8().constData(), nullptr, 10));
        else if (option.startsWith(QStringLiteral("-t")))
            settings.tLimit = std::int32_t(std::strtol(value.toUtf8().constData(), nullptr, 10));
    }
}

void changeSpeed(int item, ControllerSettings& settings) {
    if (item < 0 || item >= int(kSpeedPresets.size()))
        return;
    const SpeedPreset& preset = kSpeedPresets[std::size_t(item)];
    settings.uLimit = preset.uLimit;
    settings.lLimit = preset.lLimit;
    settings.sRate = preset.sRate;
}

std::optional<int> speedItem(const ControllerSettings& settings) {
    for (std::size_t i = 0; i < kSpeedPresets.size(); ++i) {
        const SpeedPreset& preset = kSpeedPresets[i];
        if (preset.sRate != settings.sRate)
            continue;
        if (preset.uLimit == settings.uLimit && preset.lLimit == settings.lLimit)
            return int(i);
        return std::nullopt;
    }
    return 1;
}

void tempLimit(int item, ControllerSettings& settings) {
    if (item >= 0 && item < int(kTemperatureLimits.size()))
        settings.tLimit = kTemperatureLimits[std::size_t(item)];
}

int toFahrenheit(int celsius) {
    return int(celsius * 1.8 + 32);
}

QStringList temperatureItems(bool fahrenheit) {
    QStringList items{QStringLiteral("Off")};
    for (std::size_t i = 1; i < kTemperatureLimits.size(); ++i) {
        const int limit = kTemperatureLimits[i];
        items << QStringLiteral("%1%2%3")
                     .arg(fahrenheit ? toFahrenheit(limit) : limit)
                     .arg(QChar(0x00B0))
                     .arg(fahrenheit ? QLatin1Char('F') : QLatin1Char('C'));
    }
    return items;
}

int temperatureItem(std::int32_t tLimit) {
    for (std::size_t i = 0; i < kTemperatureLimits.size(); ++i) {
        if (kTemperatureLimits[i] == tLimit)
            return int(i);
    }
    return 0;
}

} // namespace quellar
