#include "kelvane/app/components/shortcut_control.h"
#include "platform/testing/fake_hot_keys.h"

#include <gtest/gtest.h>

using namespace kelvane::components;
namespace carbon = platform::hotkey_modifiers;

namespace {

platform::StringsTable shortcutStrings() {
    return *platform::StringsTable::parse(
        "<plist version=\"1.0\"><dict><key>Space</key><string>Space</string>"
        "<key>Pad %@</key><string>Pad %@</string><key>Command + </key><string>Command + </string>"
        "<key>Option + </key><string>Option + </string><key>Control + </key><string>Control + "
        "</string>"
        "<key>Shift + </key><string>Shift + </string><key>Type shortcut</key><string>Type "
        "shortcut</string>"
        "<key>Click to record shortcut</key><string>Click to record shortcut</string>"
        "<key>OK</key><string>OK</string></dict></plist>");
}

/// A US layout for the keys the tests name.
QString usCharacter(int keyCode) {
    switch (keyCode) {
    case 0x00:
        return QStringLiteral("a");
    case 0x0C:
        return QStringLiteral("q");
    case 0x57:
        return QStringLiteral("5");
    default:
        return {};
    }
}

struct Recorder {
    KVKeyCodeTransformer names{usCharacter, shortcutStrings()};
    platform::doubles::FakeHotKeys systemWide;
    std::vector<MenuKeyEquivalent> menu{
        {QStringLiteral("Quit Kelvane"), QStringLiteral("Q"), carbon::Command}};
    KVShortcutValidator validator{names, &systemWide, [this] {
                                      return menu;
                                  }};
    KVShortcutCell cell{validator};
};

} // namespace

TEST(KeyNames, FlagsConvertBothWaysKeepingOnlyTheFourModifiersAndTheFunctionBit) {
    EXPECT_EQ(KVCarbonToCocoaFlags(carbon::Command | carbon::Control), 0x140000u);
    EXPECT_EQ(KVCocoaToCarbonFlags(0x100000 | 0x20000 | 0x80000 | 0x40000), 0x1B00u);
    EXPECT_EQ(KVCarbonToCocoaFlags(0x800000 | 0x1), 0x800000u) << "function passes, others drop";
    EXPECT_EQ(KVCocoaToCarbonFlags(0x800000 | 0x10000), 0x800000u);
    EXPECT_EQ(KVStringForCarbonModifierFlags(carbon::Command | carbon::Shift | carbon::Option |
                                             carbon::Control),
              QStringLiteral("\u2303\u2325\u21E7\u2318"));
}

TEST(KeyNames, FixedTableThenTheLayoutsCharacter) {
    Recorder r;
    EXPECT_EQ(r.names.stringForKeyCode(122), QStringLiteral("F1"));
    EXPECT_EQ(r.names.stringForKeyCode(106), QStringLiteral("F16"));
    EXPECT_EQ(r.names.stringForKeyCode(53), QStringLiteral("\u238B"));
    EXPECT_EQ(r.names.stringForKeyCode(49), QStringLiteral("Space"));
    EXPECT_EQ(r.names.stringForKeyCode(0x00), QStringLiteral("A"));
    EXPECT_EQ(r.names.stringForKeyCode(0x57), QStringLiteral("Pad 5"));
    EXPECT_EQ(r.names.stringForKeyCode(-1), QString());
    EXPECT_EQ(r.names.stringForKeyCode(0x10), QString()) << "a key the layout cannot name";
    EXPECT_EQ(r.names.readableStringForCarbonModifierFlagsAndKeyCode(
                  carbon::Shift | carbon::Control | carbon::Option | carbon::Command, 0x00),
              QStringLiteral("Command + Option + Control + Shift + A"));
    EXPECT_EQ(r.names.stringForCarbonModifierFlagsAndKeyCode(carbon::Control, 126),
              QStringLiteral("\u2303\u2191"));
}

TEST(ShortcutRecorder, RecordsAcceptableCombinationsAndEndsRecording) {
    Recorder r;
    EXPECT_EQ(r.cell.keyDown(0x00, cocoa_flags::Control, QStringLiteral("a"), nullptr),
              KVShortcutCell::Outcome::Ignored);
    r.cell.startRecording();
    EXPECT_EQ(r.cell.displayText(cocoa_flags::Control | cocoa_flags::Option),
              QStringLiteral("\u2303\u2325"));
    EXPECT_EQ(r.cell.displayText(0), QStringLiteral("Type shortcut"));
    EXPECT_EQ(r.cell.keyDown(0x00, cocoa_flags::Control | 0x10000, QStringLiteral("a"), nullptr),
              KVShortcutCell::Outcome::Recorded);
    EXPECT_FALSE(r.cell.isRecording());
    EXPECT_EQ(r.cell.keyCombo(), (KeyCombo{cocoa_flags::Control, 0x00})) << "caps lock is not kept";
    EXPECT_EQ(r.cell.displayText(0), QStringLiteral("\u2303A"));
}

TEST(ShortcutRecorder, KeysWithoutModifiersAndCancelKeysLeaveTheCombination) {
    Recorder r;
    r.cell.setKeyCombo({cocoa_flags::Control, 0x00});
    for (int key : {0x00, 53, 51, 117}) {
        r.cell.startRecording();
        EXPECT_EQ(r.cell.keyDown(key, 0, QStringLiteral("x"), nullptr),
                  KVShortcutCell::Outcome::Cancelled);
        EXPECT_FALSE(r.cell.isRecording());
    }
    EXPECT_EQ(r.cell.keyCombo(), (KeyCombo{cocoa_flags::Control, 0x00}));

    // With a modifier, Escape is a key like any other.
    r.cell.startRecording();
    EXPECT_EQ(r.cell.keyDown(53, cocoa_flags::Shift, QStringLiteral("\x1b"), nullptr),
              KVShortcutCell::Outcome::Recorded);

    // Key-only recorders take Escape alone only when told to.
    r.cell.allowsKeyOnly = true;
    r.cell.startRecording();
    EXPECT_EQ(r.cell.keyDown(53, 0, QStringLiteral("\x1b"), nullptr),
              KVShortcutCell::Outcome::Cancelled);
    r.cell.escapeKeysRecord = true;
    r.cell.startRecording();
    EXPECT_EQ(r.cell.keyDown(53, 0, QStringLiteral("\x1b"), nullptr),
              KVShortcutCell::Outcome::Recorded);
}

TEST(ShortcutRecorder, KeyThatTypesNothingBeeps) {
    Recorder r;
    r.cell.startRecording();
    EXPECT_EQ(r.cell.keyDown(0x00, cocoa_flags::Control, QString(), nullptr),
              KVShortcutCell::Outcome::Beeped);
    EXPECT_FALSE(r.cell.isRecording());
    EXPECT_TRUE(r.cell.isEmpty());
    EXPECT_EQ(r.cell.displayText(0), QStringLiteral("Click to record shortcut"));
}

TEST(ShortcutRecorder, MandatoryAndDisallowedModifiers) {
    Recorder r;
    r.cell.allowedFlags = cocoa_flags::Control;
    r.cell.requiredFlags = cocoa_flags::Option;
    EXPECT_EQ(r.cell.filteredCocoaFlags(cocoa_flags::Shift | cocoa_flags::Control),
              cocoa_flags::Control | cocoa_flags::Option);
}

TEST(ShortcutValidator, DelegateThenSystemWideThenOwnMenus) {
    Recorder r;
    std::optional<ShortcutError> error;
    r.cell.startRecording();

    r.validator.setDelegate([](int keyCode, quint32, QString* reason) {
        *reason = QStringLiteral("it dims the screen");
        return keyCode == 0x00;
    });
    EXPECT_EQ(r.cell.keyDown(0x00, cocoa_flags::Command, QStringLiteral("a"), &error),
              KVShortcutCell::Outcome::Taken);
    EXPECT_TRUE(r.cell.isRecording()) << "recording goes on after a taken combination";
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, QStringLiteral("The key combination \u2318A can't be used!"));
    EXPECT_EQ(error->recoverySuggestion,
              QStringLiteral(
                  "The key combination \"Command + A\" can't be used because it dims the screen."));

    r.systemWide.takenElsewhere.insert({122, carbon::Control});
    error.reset();
    EXPECT_TRUE(r.validator.isKeyCodeAndFlagsTaken(122, carbon::Control, &error));
    EXPECT_TRUE(
        error->recoverySuggestion.contains(QStringLiteral("system-wide keyboard shortcut")));

    error.reset();
    EXPECT_TRUE(r.validator.isKeyCodeAndFlagsTaken(0x0C, carbon::Command, &error));
    EXPECT_EQ(error->recoverySuggestion,
              QStringLiteral(
                  "The key combination \"Command + Q\" can't be used because it's already used by "
                  "the menu item \"Quit Kelvane\"."));
    EXPECT_EQ(error->recoveryOptions, QStringList{QStringLiteral("OK")});
    EXPECT_FALSE(
        r.validator.isKeyCodeAndFlagsTaken(0x0C, carbon::Command | carbon::Shift, nullptr));
}
