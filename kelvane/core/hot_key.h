#pragma once

#include "platform/core/hot_keys.h"
#include "platform/core/value.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace kelvane {

/// A key code with a hot key modifier mask, as hot keys are stored in the preferences.
/// Key code −1 is the clear combo: no hot key.
class KVKeyCombo {
public:
    KVKeyCombo() = default;
    KVKeyCombo(int keyCode, quint32 modifiers) : mKeyCode(keyCode), mModifiers(modifiers) {}

    static KVKeyCombo clearKeyCombo() { return {}; }
    static KVKeyCombo keyComboWithKeyCode(int keyCode, quint32 modifiers) {
        return {keyCode, modifiers};
    }
    /// Reads the stored dictionary {"keyCode", "modifiers"}; none, an empty dictionary or
    /// anything but a dictionary is the clear combo, and a negative key code becomes −1.
    static KVKeyCombo initWithPlistRepresentation(const platform::Value& plist);
    platform::DictionaryRef plistRepresentation() const;

    int keyCode() const { return mKeyCode; }
    quint32 modifiers() const { return mModifiers; }
    bool isValidHotKeyCombo() const { return mKeyCode >= 0; }
    bool isClearCombo() const { return mKeyCode == -1; }
    bool operator==(const KVKeyCombo&) const = default;
    QString description() const;

private:
    int mKeyCode = -1;
    quint32 mModifiers = 0;
};

/// A named hot key and what it does when pressed and released.
class KVHotKey {
public:
    using Action = std::function<void(KVHotKey&)>;

    KVHotKey() = default;
    KVHotKey(QString identifier, KVKeyCombo keyCombo)
        : mIdentifier(std::move(identifier)), mKeyCombo(keyCombo) {}

    const QString& identifier() const { return mIdentifier; }
    void setIdentifier(const QString& identifier) { mIdentifier = identifier; }
    const QString& name() const { return mName; }
    void setName(const QString& name) { mName = name; }
    const KVKeyCombo& keyCombo() const { return mKeyCombo; }
    void setKeyCombo(const KVKeyCombo& keyCombo) { mKeyCombo = keyCombo; }
    /// Called with the hot key when it is pressed.
    void setAction(Action action) { mAction = std::move(action); }
    /// Called with the hot key when it is released; none means the release goes unanswered.
    void setReleaseAction(Action action) { mReleaseAction = std::move(action); }

    void invoke();
    void revoke();
    QString description() const;

private:
    QString mIdentifier;
    QString mName;
    KVKeyCombo mKeyCombo;
    Action mAction;
    Action mReleaseAction;
};

/// Registers hot keys with the desktop's hot key service and turns its presses and releases
/// into calls on the hot keys. Holds the hot keys it registered, not owning them.
class KVHotKeyCenter {
public:
    explicit KVHotKeyCenter(platform::HotKeys& service);
    ~KVHotKeyCenter();
    KVHotKeyCenter(const KVHotKeyCenter&) = delete;
    KVHotKeyCenter& operator=(const KVHotKeyCenter&) = delete;

    /// Registers `hotKey` (again, if it already is). A clear combo answers YES and registers
    /// nothing; a combination the service refuses answers NO.
    bool registerHotKey(KVHotKey& hotKey);
    void unregisterHotKey(KVHotKey& hotKey);
    std::vector<KVHotKey*> allHotKeys() const;
    KVHotKey* hotKeyWithIdentifier(const QString& identifier) const;
    platform::HotKeys& service() { return m_service; }

private:
    void hotKeyDown(platform::HotKeys::Registration registration);
    void hotKeyUp(platform::HotKeys::Registration registration);

    platform::HotKeys& m_service;
    std::map<platform::HotKeys::Registration, KVHotKey*> mHotKeys;
};

} // namespace kelvane
