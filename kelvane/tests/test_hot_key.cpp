#include "kelvane/core/hot_key.h"
#include "platform/testing/fake_hot_keys.h"

#include <gtest/gtest.h>

using namespace kelvane;
namespace mods = platform::hotkey_modifiers;

TEST(KVKeyCombo, StoredFormRoundTripsAndBadFormsClear) {
    const KVKeyCombo combo(12, mods::Command | mods::Control);
    const KVKeyCombo read = KVKeyCombo::initWithPlistRepresentation(combo.plistRepresentation());
    EXPECT_EQ(read, combo);
    EXPECT_EQ(read.keyCode(), 12);
    EXPECT_EQ(read.modifiers(), 0x1100u);

    const auto negative = KVKeyCombo::initWithPlistRepresentation(
        platform::Value::newDictionary({{QStringLiteral("keyCode"), -5}}));
    EXPECT_EQ(negative.keyCode(), -1);
    EXPECT_FALSE(negative.isValidHotKeyCombo());
    EXPECT_TRUE(KVKeyCombo::initWithPlistRepresentation({}).isClearCombo());
    EXPECT_TRUE(
        KVKeyCombo::initWithPlistRepresentation(platform::Value::newDictionary()).isClearCombo());
    EXPECT_TRUE(KVKeyCombo::initWithPlistRepresentation(QStringLiteral("cmd-L")).isClearCombo());
}

TEST(KVHotKeyCenter, RegistersOncePerKeyAndSkipsClearCombos) {
    platform::doubles::FakeHotKeys service;
    KVHotKeyCenter center(service);
    KVHotKey key(QStringLiteral("dimHotKey"), KVKeyCombo(0x7D, mods::Control));
    EXPECT_TRUE(center.registerHotKey(key));
    EXPECT_TRUE(center.registerHotKey(key));
    EXPECT_EQ(service.registered.size(), 1u);
    EXPECT_EQ(center.hotKeyWithIdentifier(QStringLiteral("dimHotKey")), &key);

    KVHotKey clear(QStringLiteral("toggleHotKey"), KVKeyCombo());
    EXPECT_TRUE(center.registerHotKey(clear));
    EXPECT_EQ(center.allHotKeys(), std::vector<KVHotKey*>{&key});

    KVHotKey taken(QStringLiteral("brightenHotKey"), KVKeyCombo(0x7E, mods::Control));
    service.takenElsewhere.insert({0x7E, mods::Control});
    EXPECT_FALSE(center.registerHotKey(taken));

    center.unregisterHotKey(key);
    EXPECT_TRUE(service.registered.empty());
    EXPECT_FALSE(center.hotKeyWithIdentifier(QStringLiteral("dimHotKey")));
}

TEST(KVHotKeyCenter, PressThenReleaseCallsActionThenRelease) {
    platform::doubles::FakeHotKeys service;
    KVHotKeyCenter center(service);
    QStringList calls;
    KVHotKey key(QStringLiteral("dimHotKey"), KVKeyCombo(0x7D, mods::Control));
    key.setAction([&calls](KVHotKey& k) { calls << QStringLiteral("down ") + k.identifier(); });
    key.setReleaseAction(
        [&calls](KVHotKey& k) { calls << QStringLiteral("up ") + k.identifier(); });
    KVHotKey withoutRelease(QStringLiteral("toggleHotKey"), KVKeyCombo(0x11, mods::Command));
    withoutRelease.setAction([&calls](KVHotKey&) { calls << QStringLiteral("toggle"); });
    center.registerHotKey(key);
    center.registerHotKey(withoutRelease);

    service.press(0x7D, mods::Control);
    service.release(0x7D, mods::Control);
    service.press(0x11, mods::Command);
    service.release(0x11, mods::Command);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("down dimHotKey"), QStringLiteral("up dimHotKey"),
                                  QStringLiteral("toggle")}));
}

TEST(KVKeyCombo, EqualCombosAreEqualWhateverTheirKeys) {
    KVHotKey a(QStringLiteral("a"), KVKeyCombo(1, mods::Shift));
    KVHotKey b(QStringLiteral("b"), KVKeyCombo(1, mods::Shift));
    EXPECT_EQ(a.keyCombo(), b.keyCombo());
    EXPECT_NE(a.keyCombo(), KVKeyCombo(1, mods::Option));
}
