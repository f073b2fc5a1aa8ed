#include "platform/linux/quit_requests.h"
#include "platform/testing/wait.h"

#include <csignal>
#include <gtest/gtest.h>
#include <optional>

using platform::QuitRequests;
using platform::doubles::waitUntil;

TEST(QuitRequests, EachQuitSignalRunsTheQuitPathOnTheEventLoop) {
    int quits = 0;
    {
        QuitRequests requests([&quits] { ++quits; });
        ASSERT_TRUE(requests.catchesSignals());
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            const int before = quits;
            ASSERT_EQ(::raise(signal), 0);
            EXPECT_EQ(quits, before) << "the handler itself only writes to the pipe";
            EXPECT_TRUE(waitUntil([&] { return quits == before + 1; })) << signal;
        }
    }
    // Afterwards the signals are back to their defaults, so a second object can take them.
    struct sigaction current = {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
    QuitRequests again([&quits] { ++quits; });
    ASSERT_EQ(::raise(SIGHUP), 0);
    EXPECT_TRUE(waitUntil([&] { return quits == 4; }));
}

TEST(QuitRequests, SignalsInABurstAskOnceAtLeastAndNeverBlockTheSender) {
    int quits = 0;
    QuitRequests requests([&quits] { ++quits; });
    // Far more than the pipe holds: a handler that blocked on a full pipe would hang here.
    for (int i = 0; i < 100000; ++i)
        ::raise(SIGTERM);
    EXPECT_TRUE(waitUntil([&] { return quits >= 1; }));
    QCoreApplication::processEvents();
    EXPECT_LE(quits, 3) << "a burst is read as one request, not one per signal";
}
