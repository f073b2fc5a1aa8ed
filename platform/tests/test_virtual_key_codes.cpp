#include "platform/core/virtual_key_codes.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <set>

namespace platform {
namespace {

TEST(VirtualKeyCodes, TranslateBothWaysWithoutLoss) {
    std::set<int> evdevKeysSeen;
    int mapped = 0;
    for (int code = 0; code < 128; ++code) {
        const auto key = evdevKeyForVirtualKeyCode(code);
        if (!key)
            continue;
        ++mapped;
        EXPECT_TRUE(evdevKeysSeen.insert(*key).second) << "two codes share key " << *key;
        EXPECT_EQ(virtualKeyCodeForEvdevKey(*key), code);
        EXPECT_EQ(x11KeycodeForVirtualKeyCode(code), *key + 8);
        EXPECT_EQ(virtualKeyCodeForX11Keycode(*key + 8), code);
    }
    EXPECT_GE(mapped, 110);
}

TEST(VirtualKeyCodes, KnownKeysLandOnTheirKernelKeys) {
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x00), KEY_A);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x0C), KEY_Q);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x12), KEY_1);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x1D), KEY_0);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::Space), KEY_SPACE);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::Return), KEY_ENTER);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::Delete), KEY_BACKSPACE);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::ForwardDelete), KEY_DELETE);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::F1), KEY_F1);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x6A), KEY_F16);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::UpArrow), KEY_UP);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(0x52), KEY_KP0);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::Command), KEY_LEFTMETA);
    EXPECT_EQ(evdevKeyForVirtualKeyCode(vk::Option), KEY_LEFTALT);
    // Letters A and Q are X key codes 38 and 24 on every evdev X server.
    EXPECT_EQ(x11KeycodeForVirtualKeyCode(0x00), 38);
    EXPECT_EQ(x11KeycodeForVirtualKeyCode(0x0C), 24);
}

TEST(VirtualKeyCodes, UnknownCodesHaveNoKey) {
    EXPECT_FALSE(evdevKeyForVirtualKeyCode(-1));
    EXPECT_FALSE(evdevKeyForVirtualKeyCode(0x34));
    EXPECT_FALSE(evdevKeyForVirtualKeyCode(0x80));
    EXPECT_FALSE(virtualKeyCodeForEvdevKey(KEY_POWER));
    EXPECT_FALSE(virtualKeyCodeForX11Keycode(3));
}

TEST(VirtualKeyCodes, NamesOnlyKeysThatPrintNothing) {
    EXPECT_EQ(virtualKeyName(0x60), "F5");
    EXPECT_EQ(virtualKeyName(vk::LeftArrow), "Left Arrow");
    EXPECT_EQ(virtualKeyName(vk::Return), "Return");
    EXPECT_EQ(virtualKeyName(0x00), "");
    EXPECT_EQ(virtualKeyName(0x34), "");
}

} // namespace
} // namespace platform
