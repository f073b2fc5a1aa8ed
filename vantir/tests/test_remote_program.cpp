// The whole program as a user runs it, with the remote fed through a FIFO of input event
// records: what it logs for each decided event with "DontPerformARButton" set.

#include "platform/testing/wait.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::doubles::waitUntil;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

class RemoteProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fifo = folder.path() + str("/remote");
        ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QFile settings(folder.path() + str("/config/Vantir.plist"));
        QDir().mkpath(folder.path() + str("/config"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>DontPerformARButton</key><true/><key>DebugMode</key><true/>"
                       "<key>LookForUpdate</key><false/></dict></plist>\n");
        settings.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(str("XDG_CONFIG_HOME"), folder.path() + str("/config"));
        environment.insert(str("XDG_DATA_HOME"), folder.path() + str("/data"));
        environment.insert(str("QT_QPA_PLATFORM"), str("offscreen"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&program, &QProcess::readyReadStandardError,
                         [this] { log += QString::fromLocal8Bit(program.readAllStandardError()); });
        program.start(qEnvironmentVariable("VANTIR_PROGRAM"), {str("--remote-device"), fifo});
        ASSERT_TRUE(program.waitForStarted());
        writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
        ASSERT_GE(writer, 0);
    }
    void TearDown() override {
        if (writer >= 0)
            ::close(writer);
        program.terminate();
        program.waitForFinished(10000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << log.toStdString();
    }

    void key(int code, int value) {
        input_event events[2]{};
        events[0].type = EV_KEY;
        events[0].code = std::uint16_t(code);
        events[0].value = value;
        events[1].type = EV_SYN;
        ASSERT_EQ(::write(writer, events, sizeof events), ssize_t(sizeof events));
    }
    void click(int code) {
        key(code, 1);
        key(code, 0);
    }
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

    QTemporaryDir folder;
    QString fifo;
    QProcess program;
    QString log;
    int writer = -1;
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
