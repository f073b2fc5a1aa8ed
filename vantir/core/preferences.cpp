#include "vantir/core/preferences.h"

#include "platform/core/log.h"
#include "platform/core/notification_center.h"
#include "platform/core/property_list.h"
#include "vantir/core/model_context.h"

namespace vantir {

namespace {

bool answersString(const platform::Value& value) {
    switch (value.type()) {
    case platform::Value::Type::String:
    case platform::Value::Type::Integer:
    case platform::Value::Type::Real:
    case platform::Value::Type::Boolean:
        return true;
    case platform::Value::Type::None:
    case platform::Value::Type::Date:
    case platform::Value::Type::Data:
    case platform::Value::Type::Array:
    case platform::Value::Type::Dictionary:
        return false;
    }
    return false;
}

} // namespace

bool existsKey(const platform::Defaults& defaults, const QString& key) {
    return answersString(defaults.objectForKey(key));
}

QString stringForKey(const platform::Defaults& defaults, const QString& key,
                     const QString& fallback) {
    const platform::Value value = defaults.objectForKey(key);
    switch (value.type()) {
    case platform::Value::Type::String:
        return value.toString();
    case platform::Value::Type::Integer:
    case platform::Value::Type::Boolean:
        return QString::number(value.toInteger());
    case platform::Value::Type::Real:
        return QString::number(value.toReal());
    default:
        return fallback;
    }
}

bool boolForKey(const platform::Defaults& defaults, const QString& key, bool fallback) {
    return existsKey(defaults, key) ? defaults.boolForKey(key) : fallback;
}

qint64 integerForKey(const platform::Defaults& defaults, const QString& key, qint64 fallback) {
    if (!existsKey(defaults, key))
        return fallback;
    const platform::Value value = defaults.objectForKey(key);
    if (value.type() == platform::Value::Type::String)
        return value.toString().trimmed().toLongLong();
    return value.toInteger();
}

Color colorForKey(const platform::Defaults& defaults, const QString& key, const Color& fallback) {
    const auto stored = platform::readPropertyList(defaults.dataForKey(key));
    if (!stored)
        return fallback;
    const platform::ArrayRef components = stored->toArray();
    if (!components || components->size() != 4)
        return fallback;
    for (const platform::Value& component : *components) {
        if (component.type() != platform::Value::Type::Real &&
            component.type() != platform::Value::Type::Integer)
            return fallback;
    }
    return Color{stored->at(0).toReal(), stored->at(1).toReal(), stored->at(2).toReal(),
                 stored->at(3).toReal()};
}

void setColor(platform::Defaults& defaults, const Color& color, const QString& key) {
    const auto data = platform::writeBinaryPropertyList(
        platform::Value::newArray({color.red, color.green, color.blue, color.alpha}));
    if (data)
        defaults.setData(*data, key);
}

void registerDefaultSettings(platform::Defaults& defaults) {
    defaults.registerDefaults({
        {QStringLiteral("AnnounceLayer"), false},
        {QStringLiteral("AnnounceActivationStatus"), true},
        {QStringLiteral("ActivateIROnStartup"), true},
        {QStringLiteral("ShowOSDAtStartup"), true},
        {QStringLiteral("LookForUpdate"), true},
        {QStringLiteral("FrontOnMenu"), true},
        {QStringLiteral("DoubleClickSpeed"), 25.0},
        {QStringLiteral("HoldRepeatSpeed"), 55.0},
        {QStringLiteral("KeyHoldTime"), 0.04},
        {QStringLiteral("VoiceVolume"), 40},
        {QStringLiteral("VoiceCharacter"), "Vicki"},
        // Seconds a key of a receiver that reports plain keys must be held to count as a hold.
        {QStringLiteral("RemoteHoldThreshold"), 0.5},
        {kVersionCheckServerKey, kDefaultVersionCheckServer},
    });
}

Preferences* Preferences::thePreferences() {
    const ModelContext* context = ModelContext::current();
    return context ? context->preferences() : nullptr;
}

platform::Defaults* Preferences::defaults() {
    Preferences* shared = thePreferences();
    return shared ? &shared->m_defaults : nullptr;
}

bool Preferences::existsKey(const QString& key) {
    return defaults() && vantir::existsKey(*defaults(), key);
}

void Preferences::setString(const QString& value, const QString& key) {
    if (!defaults())
        return;
    defaults()->setString(value, key);
    defaults()->synchronize();
}

QString Preferences::stringForKey(const QString& key, const QString& fallback) {
    return defaults() ? vantir::stringForKey(*defaults(), key, fallback) : fallback;
}

void Preferences::setBool(bool value, const QString& key) {
    if (!defaults())
        return;
    defaults()->setBool(value, key);
    defaults()->synchronize();
}

bool Preferences::boolForKey(const QString& key) {
    return defaults() && defaults()->boolForKey(key);
}

qint64 Preferences::integerForKey(const QString& key, qint64 fallback) {
    return defaults() ? vantir::integerForKey(*defaults(), key, fallback) : fallback;
}

void Preferences::setInteger(qint64 value, const QString& key) {
    if (!defaults())
        return;
    defaults()->setInteger(value, key);
    defaults()->synchronize();
}

void Preferences::applyDebugSwitches() const {
    platform::setDebugEnabled(platform::DebugChannel::Debug, DebugMode());
    platform::setDebugEnabled(platform::DebugChannel::Debug2, DebugMode2());
}

void Preferences::apply() {
    savePrefs();
    m_notifications.post(QStringLiteral("PreferencesChanged"), this);
}

bool Preferences::savePrefs() {
    return m_defaults.synchronize();
}

void dlog(const QString& line) {
    platform::debugLog(platform::DebugChannel::Debug, line);
}

void dlog2(const QString& line) {
    platform::debugLog(platform::DebugChannel::Debug2, line);
}

} // namespace vantir
