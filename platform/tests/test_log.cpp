#include "platform/core/log.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace platform;

TEST(Log, DebugLinesAppearOnlyWhileTheirSwitchIsOn) {
    QStringList lines;
    setLogSink([&](const QString& line) { lines << line; });
    log(QStringLiteral("always"));
    debugLog(DebugChannel::Debug, QStringLiteral("hidden"));
    setDebugEnabled(DebugChannel::Debug, true);
    debugLog(DebugChannel::Debug, QStringLiteral("debug"));
    debugLog(DebugChannel::Debug2, QStringLiteral("hidden too"));
    setDebugEnabled(DebugChannel::Debug2, true);
    setDebugEnabled(DebugChannel::Debug, false);
    debugLog(DebugChannel::Debug2, QStringLiteral("debug2"));
    debugLog(DebugChannel::Debug, QStringLiteral("hidden again"));
    setDebugEnabled(DebugChannel::Debug2, false);
    setLogSink({});
    EXPECT_EQ(lines, QStringList({QStringLiteral("always"), QStringLiteral("debug"),
                                  QStringLiteral("debug2")}));
}
