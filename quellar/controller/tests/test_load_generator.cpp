#include "quellar/controller/core/load_generator.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace quellar;

TEST(LoadGenerator, SliderValuesBecomeSleeps) {
    EXPECT_EQ(LoadGenerator::sleepForSlider(0, 10), 1000000);
    EXPECT_EQ(LoadGenerator::sleepForSlider(1, 10), 512 + 14);
    EXPECT_EQ(LoadGenerator::sleepForSlider(9, 10), 2 + 6);
    EXPECT_EQ(LoadGenerator::sleepForSlider(10, 10), 0) << "the maximum is full load";
}

TEST(LoadGenerator, SleepingAndSpinningThreadsEndPromptly) {
    const auto started = std::chrono::steady_clock::now();
    {
        LoadGenerator load;
        load.start();
        load.start();
        load.setSleep(0);
        EXPECT_EQ(load.sleep(), 0);
        load.setSleep(LoadGenerator::kIdle);
    }
    // A thread asleep for its second is woken, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
}
