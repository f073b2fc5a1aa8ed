#pragma once

// The Vantir program as a user runs it, in a folder of its own, its remote fed through a FIFO
// of input event records.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantir::testing {

class RemoteFifoProgram {
public:
    ~RemoteFifoProgram() { stop(); }

    QString path(const QString& relative) const { return folder.path() + u'/' + relative; }

    /// Writes `bytes` at `relative` in the program's folder, making the folders on the way.
    bool writeFile(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    /// Starts the program with `settings` (the inside of a property list dictionary) as its
    /// defaults, on the Qt platform `qtPlatform`, and opens the FIFO for writing.
    void start(const QByteArray& settings, const QString& qtPlatform) {
        const QString fifo = path(QStringLiteral("remote"));
        ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        ASSERT_TRUE(writeFile(QStringLiteral("config/Vantir.plist"),
                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                              "<dict>" +
                                  settings + "</dict></plist>\n"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        environment.insert(QStringLiteral("HOME"), folder.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qtPlatform);
        program.setProcessEnvironment(environment);
        QObject::connect(&program, &QProcess::readyReadStandardError,
                         [this] { log += QString::fromLocal8Bit(program.readAllStandardError()); });
        program.start(qEnvironmentVariable("VANTIR_PROGRAM"),
                      {QStringLiteral("--remote-device"), fifo});
        ASSERT_TRUE(program.waitForStarted());
        writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
        ASSERT_GE(writer, 0);
    }

    /// Closes the remote and asks the program to quit; it must end normally.
    void stop() {
        if (writer >= 0)
            ::close(writer);
        writer = -1;
        if (program.state() == QProcess::NotRunning)
            return;
        program.terminate();
        program.waitForFinished(20000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << log.toStdString();
    }

    /// A key going down (1) or up (0), with its report.
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

    QTemporaryDir folder;
    QProcess program;
    QString log;
    int writer = -1;
};

} // namespace vantir::testing
