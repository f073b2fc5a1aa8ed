#include <gtest/gtest.h>

// Xlib defines None, Bool and Status as macros, so its headers come after the test framework's.
#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"
#include "platform/testing/wait.h"
#include "platform/x11/key_character.h"
#include "platform/x11/x11_hot_keys.h"
#include "platform/x11/x11_idle_time.h"

#include <QStringList>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <vector>

using namespace platform;
using platform::doubles::waitUntil;
namespace mods = platform::hotkey_modifiers;

namespace {

/// A second client of the same X server: it types through XTest and holds grabs of its own,
/// as another program on the desktop would.
class OtherClient {
public:
    OtherClient() : m_display(XOpenDisplay(nullptr)) {}
    ~OtherClient() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Display* display() const { return m_display; }

    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, symbol), down ? True : False, 0);
        XFlush(m_display);
    }
    void virtualKey(int virtualKeyCode, bool down) {
        XTestFakeKeyEvent(m_display, unsigned(*x11KeycodeForVirtualKeyCode(virtualKeyCode)),
                          down ? True : False, 0);
        XFlush(m_display);
    }
    /// Presses Control and Option with the key, then lets go of all three.
    void typeWithControlOption(int virtualKeyCode) {
        key(XK_Control_L, true);
        key(XK_Alt_L, true);
        virtualKey(virtualKeyCode, true);
        virtualKey(virtualKeyCode, false);
        key(XK_Alt_L, false);
        key(XK_Control_L, false);
    }

private:
    Display* m_display;
};

struct Events {
    std::vector<std::pair<char, HotKeys::Registration>> seen;
    void attach(HotKeys& hotKeys) {
        hotKeys.setHandlers([this](auto r) { seen.emplace_back('p', r); },
                            [this](auto r) { seen.emplace_back('r', r); });
    }
    int count(char kind, HotKeys::Registration registration) const {
        return int(std::count(seen.begin(), seen.end(), std::make_pair(kind, registration)));
    }
};

constexpr quint32 kControlOption = mods::Control | mods::Option;

} // namespace

TEST(X11HotKeys, PressAndReleaseArriveOnceEachAlsoWithNumLock) {
    x11::X11HotKeys hotKeys(x11::applicationDisplay());
    Events events;
    events.attach(hotKeys);
    const auto registration = hotKeys.registerHotKey(vk::UpArrow, kControlOption);
    ASSERT_TRUE(registration);
    OtherClient other;
    other.typeWithControlOption(vk::UpArrow);
    ASSERT_TRUE(waitUntil([&] { return events.count('r', *registration) == 1; }));
    EXPECT_EQ(events.seen, (decltype(events.seen){{'p', *registration}, {'r', *registration}}));

    other.key(XK_Num_Lock, true);
    other.key(XK_Num_Lock, false);
    other.typeWithControlOption(vk::UpArrow);
    EXPECT_TRUE(waitUntil([&] { return events.count('r', *registration) == 2; }));
    EXPECT_EQ(events.count('p', *registration), 2);
    other.key(XK_Num_Lock, true);
    other.key(XK_Num_Lock, false);
}

TEST(X11HotKeys, HeldKeyGivesOnePressAndOneRelease) {
    x11::X11HotKeys hotKeys(x11::applicationDisplay());
    Events events;
    events.attach(hotKeys);
    const auto registration = hotKeys.registerHotKey(vk::DownArrow, kControlOption);
    ASSERT_TRUE(registration);
    OtherClient other;
    // Repeat quickly, so a short hold repeats many times.
    XkbSetAutoRepeatRate(other.display(), XkbUseCoreKbd, 20, 10);
    other.key(XK_Control_L, true);
    other.key(XK_Alt_L, true);
    other.virtualKey(vk::DownArrow, true);
    ASSERT_TRUE(waitUntil([&] { return events.count('p', *registration) == 1; }));
    EXPECT_FALSE(waitUntil([&] { return events.seen.size() > 1; }, 300))
        << "the server's repeats must not reach the handlers";
    other.virtualKey(vk::DownArrow, false);
    other.key(XK_Alt_L, false);
    other.key(XK_Control_L, false);
    EXPECT_TRUE(waitUntil([&] { return events.count('r', *registration) == 1; }));
    EXPECT_EQ(events.seen.size(), 2u);
    XkbSetAutoRepeatRate(other.display(), XkbUseCoreKbd, 660, 40);
    XFlush(other.display());
}

TEST(X11HotKeys, CombinationHeldByAnotherClientIsRefused) {
    x11::X11HotKeys hotKeys(x11::applicationDisplay());
    OtherClient other;
    const int keycode = *x11KeycodeForVirtualKeyCode(vk::F1);
    XGrabKey(other.display(), keycode, ControlMask | ShiftMask, DefaultRootWindow(other.display()),
             False, GrabModeAsync, GrabModeAsync);
    XSync(other.display(), False);
    EXPECT_TRUE(hotKeys.isTakenElsewhere(vk::F1, mods::Control | mods::Shift));
    EXPECT_FALSE(hotKeys.registerHotKey(vk::F1, mods::Control | mods::Shift));
    EXPECT_FALSE(hotKeys.isTakenElsewhere(vk::F1, mods::Control));
    const auto own = hotKeys.registerHotKey(vk::F1, mods::Control);
    EXPECT_TRUE(own);
    EXPECT_FALSE(hotKeys.isTakenElsewhere(vk::F1, mods::Control)) << "our own grab is not taken";
}

TEST(X11HotKeys, UnregisteredCombinationIsNoLongerDelivered) {
    x11::X11HotKeys hotKeys(x11::applicationDisplay());
    Events events;
    events.attach(hotKeys);
    const auto left = hotKeys.registerHotKey(vk::LeftArrow, kControlOption);
    const auto right = hotKeys.registerHotKey(vk::RightArrow, kControlOption);
    ASSERT_TRUE(left && right);
    hotKeys.unregisterHotKey(*left);
    OtherClient other;
    other.typeWithControlOption(vk::LeftArrow);
    other.typeWithControlOption(vk::RightArrow);
    // Events come in order: once the second key is in, the first would have been too.
    ASSERT_TRUE(waitUntil([&] { return events.count('r', *right) == 1; }));
    EXPECT_EQ(events.count('p', *left), 0);
    EXPECT_TRUE(hotKeys.registerHotKey(vk::LeftArrow, kControlOption)) << "the grab was given back";
}

TEST(X11Services, WithoutADisplayNothingWorksAndNothingBreaks) {
    QStringList lines;
    setLogSink([&lines](const QString& line) { lines << line; });
    x11::X11HotKeys hotKeys(nullptr);
    x11::X11IdleTime idle(nullptr);
    EXPECT_FALSE(hotKeys.registerHotKey(vk::UpArrow, kControlOption));
    EXPECT_FALSE(hotKeys.isTakenElsewhere(vk::UpArrow, kControlOption));
    EXPECT_FALSE(idle.idleNanoseconds());
    EXPECT_FALSE(idle.idleNanoseconds());
    EXPECT_TRUE(x11::keyCharacter(nullptr, 0).isEmpty());
    setLogSink({});
    EXPECT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
}

TEST(X11IdleTime, InputResetsTheIdleTime) {
    x11::X11IdleTime idle(x11::applicationDisplay());
    OtherClient other;
    other.key(XK_Shift_L, true);
    other.key(XK_Shift_L, false);
    XSync(other.display(), False);
    const auto nanoseconds = idle.idleNanoseconds();
    ASSERT_TRUE(nanoseconds);
    EXPECT_LT(*nanoseconds, 5'000'000'000u);
}

TEST(KeyCharacter, CurrentLayoutNamesPrintingKeysOnly) {
    Display* display = x11::applicationDisplay();
    EXPECT_EQ(x11::keyCharacter(display, 0x00), QStringLiteral("a"));
    EXPECT_EQ(x11::keyCharacter(display, 0x12), QStringLiteral("1"));
    EXPECT_EQ(x11::keyCharacter(display, vk::Return), QString());
    EXPECT_EQ(x11::keyCharacter(display, 9999), QString());
}
