#include "platform/core/event_loop_clock.h"
#include "platform/testing/manual_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace platform;
using platform::doubles::ManualClock;

TEST(ManualClock, FiresTimersInDueOrderWithTheClockAtTheirDueTime) {
    ManualClock clock;
    std::vector<std::pair<int, double>> fired;
    auto late = clock.scheduleTimer(3, Repeats::No, [&] { fired.push_back({3, clock.now()}); });
    auto early = clock.scheduleTimer(1, Repeats::No, [&] { fired.push_back({1, clock.now()}); });
    auto middle = clock.scheduleTimer(2, Repeats::No, [&] { fired.push_back({2, clock.now()}); });
    clock.advance(2.5);
    EXPECT_EQ(fired, (std::vector<std::pair<int, double>>{{1, 1.0}, {2, 2.0}}));
    EXPECT_EQ(clock.now(), 2.5);
    EXPECT_FALSE(early->isValid()) << "a one-shot timer is spent once it fired";
    EXPECT_TRUE(late->isValid());
    clock.advance(10);
    EXPECT_EQ(fired.size(), 3u);
}

TEST(ManualClock, TimersDueTogetherFireInTheOrderTheyWereScheduled) {
    ManualClock clock;
    QString order;
    auto a = clock.scheduleTimer(1, Repeats::No, [&] { order += QLatin1Char('a'); });
    auto b = clock.scheduleTimer(1, Repeats::No, [&] { order += QLatin1Char('b'); });
    auto c = clock.scheduleTimer(0.5, Repeats::No, [&] { order += QLatin1Char('c'); });
    clock.advance(1);
    EXPECT_EQ(order, QStringLiteral("cab"));
}

TEST(ManualClock, RepeatingTimerKeepsExactRhythmOverManySteps) {
    ManualClock clock;
    int clicks = 0;
    auto timer = clock.scheduleTimer(0.4, Repeats::Yes, [&] { ++clicks; });
    for (int i = 0; i < 1000; ++i)
        clock.advance(0.1);
    EXPECT_EQ(clicks, 250) << "100 s of 0.4 s clicks, not one lost to rounding";
    EXPECT_EQ(clock.secondsToNextTimer(), 0.4);
    clock.advance(60 * 60 * 24);
    EXPECT_EQ(clicks, 250 + 216000);
}

TEST(ManualClock, TimersScheduledByTimersFireWithinTheSameAdvance) {
    ManualClock clock;
    std::vector<double> times;
    std::unique_ptr<Timer> second, third;
    auto first = clock.scheduleTimer(1, Repeats::No, [&] {
        times.push_back(clock.now());
        second = clock.scheduleTimer(1, Repeats::No, [&] {
            times.push_back(clock.now());
            third = clock.scheduleTimer(5, Repeats::No, [&] { times.push_back(clock.now()); });
        });
    });
    clock.advance(4);
    EXPECT_EQ(times, (std::vector<double>{1, 2}));
    EXPECT_EQ(clock.pendingTimers(), 1);
    clock.advance(3);
    EXPECT_EQ(times, (std::vector<double>{1, 2, 7}));
}

TEST(ManualClock, InvalidatedOrDroppedTimersNeverFire) {
    ManualClock clock;
    int fired = 0;
    auto invalidated = clock.scheduleTimer(1, Repeats::Yes, [&] { ++fired; });
    invalidated->invalidate();
    invalidated->invalidate();
    clock.scheduleTimer(1, Repeats::No, [&] { ++fired; }); // handle dropped at once
    clock.advance(5);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST(ManualClock, ATimerMayEndItselfFromItsOwnAction) {
    ManualClock clock;
    int fired = 0;
    std::unique_ptr<Timer> repeating;
    repeating = clock.scheduleTimer(1, Repeats::Yes, [&] {
        if (++fired == 3)
            repeating.reset();
    });
    std::unique_ptr<Timer> invalidating;
    int invalidations = 0;
    invalidating = clock.scheduleTimer(1, Repeats::Yes, [&] {
        ++invalidations;
        invalidating->invalidate();
    });
    clock.advance(10);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(invalidations, 1);
}

TEST(ManualClock, DateFollowsVirtualTime) {
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    ManualClock clock(start);
    clock.advance(86400 * 2 + 1.5);
    EXPECT_EQ(clock.currentDate(), start.addDays(2).addMSecs(1500));
}

TEST(EventLoopClock, FiresOnTheEventLoopInDueOrder) {
    EventLoopClock clock;

    QStringList order;
    int repeats = 0;
    std::unique_ptr<Timer> repeating;
    repeating = clock.scheduleTimer(0.01, Repeats::Yes, [&] {
        if (++repeats == 3) {
            order << QStringLiteral("repeat x3");
            repeating.reset();
        }
    });
    auto cancelled =
        clock.scheduleTimer(0.02, Repeats::No, [&] { order << QStringLiteral("cancelled"); });
    auto last = clock.scheduleTimer(0.1, Repeats::No, [&] {
        order << QStringLiteral("last");
        QCoreApplication::quit();
    });
    cancelled->invalidate();
    const double started = clock.now();
    auto guard = clock.scheduleTimer(10, Repeats::No, [&] { QCoreApplication::exit(1); });
    ASSERT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, QStringList({QStringLiteral("repeat x3"), QStringLiteral("last")}));
    EXPECT_FALSE(last->isValid());
    EXPECT_GE(clock.now() - started, 0.1);
    EXPECT_TRUE(clock.currentDate().isValid());
}
