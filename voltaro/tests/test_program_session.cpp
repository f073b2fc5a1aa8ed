// The Voltaro program as a session sees it, started for real under Xvfb and a private
// session bus: ended by a signal, and started twice.

#include "platform/core/file_io.h"
#include "platform/core/property_list.h"
#include "platform/testing/wait.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace {

using platform::doubles::waitUntil;

QString str(const char* text) {
    return QString::fromUtf8(text);
}

// xdotool's answer, or nothing when it failed or took more than ten seconds.
QStringList xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(str("xdotool"), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

qsizetype visibleWindowsOfVoltaro() {
    return xdotool({str("search"), str("--onlyvisible"), str("--class"), str("Voltaro")}).size();
}

class ProgramSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        if (xdotool({str("version")}).isEmpty())
            GTEST_SKIP() << "xdotool is not installed";
    }

    void start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(str("XDG_DATA_HOME"), m_home.path() + str("/data"));
        environment.insert(str("XDG_CONFIG_HOME"), m_home.path() + str("/config"));
        // The real window system of the test's Xvfb, which xdotool drives.
        environment.insert(str("QT_QPA_PLATFORM"), str("xcb"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(qEnvironmentVariable("VOLTARO_BIN"), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    // Waits for the main window and answers its X id.
    static QString mainWindow() {
        const QStringList found = xdotool(
            {str("search"), str("--sync"), str("--onlyvisible"), str("--name"), str("^Voltaro")});
        return found.isEmpty() ? QString() : found.first();
    }

    // History ▸ Add Entry from the keyboard, as a user would.
    static void addEntryFromTheMenu(const QString& window) {
        xdotool({str("windowfocus"), str("--sync"), window});
        const qsizetype before = visibleWindowsOfVoltaro();
        xdotool({str("key"), str("alt+h")});
        ASSERT_TRUE(waitUntil([&] { return visibleWindowsOfVoltaro() > before; }))
            << "the History menu did not open";
        xdotool({str("key"), str("a")});
        ASSERT_TRUE(waitUntil([&] { return visibleWindowsOfVoltaro() == before; }))
            << "the History menu did not close";
    }

    static int endWith(QProcess& process, int signal) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        EXPECT_TRUE(process.waitForFinished(20000));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString historyFile() const { return m_home.path() + str("/data/Voltaro/Voltaro.xml"); }

    qsizetype savedEntries() const {
        const auto bytes = platform::readFile(historyFile());
        if (!bytes)
            return 0;
        const auto history = platform::readPropertyList(*bytes);
        if (!history || !(*history)[str("SavedData")].toArray())
            return 0;
        return qsizetype((*history)[str("SavedData")].toArray()->size());
    }

    QTemporaryDir m_home;
};

} // namespace

TEST_F(ProgramSession, EveryQuitSignalSavesTheHistoryAddedSinceStart) {
    int entries = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QProcess voltaro;
        start(voltaro, {str("--simulate")});
        const QString window = mainWindow();
        ASSERT_FALSE(window.isEmpty());
        addEntryFromTheMenu(window);
        EXPECT_EQ(endWith(voltaro, signal), 0) << "ended by signal " << signal;
        EXPECT_EQ(savedEntries(), ++entries) << "after signal " << signal;
    }
}

TEST_F(ProgramSession, ASecondStartLeavesTheFirstAloneButPrintStillRuns) {
    QProcess first;
    start(first, {str("--simulate")});
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());
    addEntryFromTheMenu(window);

    QProcess second;
    start(second, {str("--simulate")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess print;
    start(print, {str("--print"), str("--simulate")});
    ASSERT_TRUE(print.waitForFinished(20000));
    EXPECT_EQ(print.exitCode(), 0);
    EXPECT_TRUE(print.readAllStandardOutput().contains("mAh"));

    EXPECT_EQ(endWith(first, SIGTERM), 0);
    EXPECT_EQ(savedEntries(), 1) << "the second start saved nothing over the first's history";
}
