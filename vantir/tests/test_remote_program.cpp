// The whole program as a user runs it, with the remote fed through a FIFO of input event
// records: what it logs for each decided event with "DontPerformARButton" set.

#include "platform/testing/wait.h"
#include "vantir/tests/remote_fifo_program.h"

#include <gtest/gtest.h>
#include <linux/input.h>

using platform::doubles::waitUntil;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

class RemoteProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vantir.start("<key>DontPerformARButton</key><true/><key>DebugMode</key><true/>"
                     "<key>LookForUpdate</key><false/>",
                     str("offscreen"));
    }

    void key(int code, int value) { vantir.key(code, value); }
    void click(int code) { vantir.click(code); }
    /// The event lines logged so far.
    QStringList events() const {
        QStringList lines;
        for (const QString& line : log.split(QLatin1Char('\n')))
            if (line.contains(str("(arbe: ")))
                lines.append(line.mid(line.indexOf(str(": ")) + 2));
        return lines;
    }
    bool waitForEvents(int count) {
        return waitUntil([&] { return events().size() >= count; }, 15000);
    }

    vantir::testing::RemoteFifoProgram vantir;
    const QString& log = vantir.log;
};

} // namespace

TEST_F(RemoteProgram, LogsClicksDoubleClicksHoldsAndTheMenuHold) {
    click(KEY_PLAYPAUSE);
    ASSERT_TRUE(waitForEvents(1)) << log.toStdString();
    click(KEY_PLAYPAUSE);
    click(KEY_PLAYPAUSE);
    ASSERT_TRUE(waitForEvents(2)) << log.toStdString();
    click(KEY_NEXTSONG);
    ASSERT_TRUE(waitForEvents(3)) << log.toStdString();

    // Plus held: the hold repeats until the key comes up.
    key(KEY_VOLUMEUP, 1);
    ASSERT_TRUE(waitForEvents(6)) << log.toStdString();
    key(KEY_VOLUMEUP, 0);
    ASSERT_TRUE(waitUntil([&] { return events().last() == str(" up (arbe: 512)"); }, 15000))
        << log.toStdString();
    const int afterPlus = int(events().size());

    // Menu held past the hold threshold.
    key(KEY_MENU, 1);
    ASSERT_TRUE(waitForEvents(afterPlus + 2)) << log.toStdString();
    key(KEY_MENU, 0);

    const QStringList lines = events();
    EXPECT_EQ(lines.mid(0, 3),
              (QStringList{str("ARB_PLAY single (arbe: 257)"), str("ARB_PLAY double (arbe: 2049)"),
                           str("ARB_NEXT single (arbe: 264)")}));
    for (int i = 3; i < afterPlus - 1; ++i)
        EXPECT_EQ(lines[i], str("ARB_PLUS hold (arbe: 1028)"));
    EXPECT_EQ(lines.mid(afterPlus),
              (QStringList{str("ARB_MENU hold (arbe: 1026)"), str(" up (arbe: 512)")}));
}
