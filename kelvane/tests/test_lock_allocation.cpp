// The lock loop resends the level dozens of times a second: on the LED's direct path a tick
// must be one write and no allocation.

#include "kelvane/core/illumination_controller.h"
#include "kelvane/linux/led_backlight.h"
#include "kelvane/tests/fake_led_tree.h"
#include "platform/testing/allocation_count.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

using namespace kelvane;
using platform::doubles::allocationCount;

TEST(LockLoop, ATickOnTheLedAllocatesNothing) {
    if (!platform::doubles::allocationsCounted())
        GTEST_SKIP() << "AddressSanitizer replaces malloc, so allocations cannot be counted here";
    kelvane::testing::FakeLedTree tree;
    tree.addLed(QStringLiteral("smc::kbd_backlight"), "255\n");
    platform::doubles::ManualClock clock;
    auto led = LedBacklight::open({}, nullptr);
    ASSERT_TRUE(led.ok());
    BacklightDevice device(clock, std::move(led).value());
    KelvaneIlluminationController illumination(device);
    illumination.setBacklightLevelTo(60);

    const long before = allocationCount();
    ASSERT_GT(before, 0) << "the counting allocator is in place";
    for (int tick = 0; tick < 1000; ++tick) {
        illumination.setBacklightLevelTo(60);
        (void)illumination.backlightLevel();
    }
    EXPECT_EQ(allocationCount() - before, 0);
    EXPECT_EQ(tree.brightness(QStringLiteral("smc::kbd_backlight")), "153");
}
