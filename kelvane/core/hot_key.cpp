#include "kelvane/core/hot_key.h"

namespace kelvane {

KVKeyCombo KVKeyCombo::initWithPlistRepresentation(const platform::Value& plist) {
    const platform::DictionaryRef dictionary = plist.toDictionary();
    if (!dictionary || dictionary->empty())
        return clearKeyCombo();
    const qint64 keyCode = plist[QStringLiteral("keyCode")].toInteger();
    const qint64 modifiers = plist[QStringLiteral("modifiers")].toInteger();
    return {keyCode < 0 || keyCode > 0x7FFF ? -1 : int(keyCode), quint32(modifiers)};
}

platform::DictionaryRef KVKeyCombo::plistRepresentation() const {
    return platform::Value::newDictionary({{QStringLiteral("keyCode"), qint64(mKeyCode)},
                                           {QStringLiteral("modifiers"), qint64(mModifiers)}})
        .toDictionary();
}

QString KVKeyCombo::description() const {
    return QStringLiteral("%1 %2").arg(mKeyCode).arg(mModifiers, 0, 16);
}

void KVHotKey::invoke() {
    if (mAction)
        mAction(*this);
}

void KVHotKey::revoke() {
    if (mReleaseAction)
        mReleaseAction(*this);
}

QString KVHotKey::description() const {
    return QStringLiteral("<KVHotKey: %1, %2>").arg(mIdentifier, mKeyCombo.description());
}

KVHotKeyCenter::KVHotKeyCenter(platform::HotKeys& service) : m_service(service) {
    m_service.setHandlers([this](auto registration) { hotKeyDown(registration); },
                          [this](auto registration) { hotKeyUp(registration); });
}

KVHotKeyCenter::~KVHotKeyCenter() {
    m_service.setHandlers({}, {});
    for (const auto& [registration, hotKey] : mHotKeys)
        m_service.unregisterHotKey(registration);
}

bool KVHotKeyCenter::registerHotKey(KVHotKey& hotKey) {
    unregisterHotKey(hotKey);
    if (!hotKey.keyCombo().isValidHotKeyCombo())
        return true;
    const auto registration =
        m_service.registerHotKey(hotKey.keyCombo().keyCode(), hotKey.keyCombo().modifiers());
    if (!registration)
        return false;
    mHotKeys[*registration] = &hotKey;
    return true;
}

void KVHotKeyCenter::unregisterHotKey(KVHotKey& hotKey) {
    for (auto entry = mHotKeys.begin(); entry != mHotKeys.end(); ++entry) {
        if (entry->second == &hotKey) {
            m_service.unregisterHotKey(entry->first);
            mHotKeys.erase(entry);
            return;
        }
    }
}

std::vector<KVHotKey*> KVHotKeyCenter::allHotKeys() const {
    std::vector<KVHotKey*> hotKeys;
    for (const auto& [registration, hotKey] : mHotKeys)
        hotKeys.push_back(hotKey);
    return hotKeys;
}

KVHotKey* KVHotKeyCenter::hotKeyWithIdentifier(const QString& identifier) const {
    for (const auto& [registration, hotKey] : mHotKeys)
        if (hotKey->identifier() == identifier)
            return hotKey;
    return nullptr;
}

void KVHotKeyCenter::hotKeyDown(platform::HotKeys::Registration registration) {
    // Events for registrations given back meanwhile are dropped rather than asserted on.
    if (const auto entry = mHotKeys.find(registration); entry != mHotKeys.end())
        entry->second->invoke();
}

void KVHotKeyCenter::hotKeyUp(platform::HotKeys::Registration registration) {
    if (const auto entry = mHotKeys.find(registration); entry != mHotKeys.end())
        entry->second->revoke();
}

} // namespace kelvane
