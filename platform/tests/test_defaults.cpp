#include "platform/core/defaults.h"
#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <random>
#include <signal.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

class DefaultsTest : public ::testing::Test {
protected:
    QString folder() const { return m_folder.path(); }
    QString fileOf(const char* domain) const {
        return folder() + QLatin1Char('/') + str(domain) + str(".plist");
    }
    Value storedDomain(const char* domain) const {
        auto bytes = readFile(fileOf(domain));
        if (!bytes)
            return {};
        auto value = readPropertyList(*bytes);
        return value ? *value : Value();
    }

private:
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(DefaultsTest, TypedValuesSurviveARestart) {
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
    {
        Defaults defaults(str("Kelvane"), folder());
        defaults.setBool(true, str("bool"));
        defaults.setInteger(-7, str("int"));
        defaults.setFloat(0.25, str("float"));
        defaults.setString(str("text"), str("string"));
        defaults.setData(QByteArray("\0\1", 2), str("data"));
        defaults.setDate(when, str("date"));
        defaults.setObject(Value::newArray({1, 2}), str("array"));
        defaults.setObject(Value::newDictionary({{str("keyCode"), 107}}), str("dictionary"));
        EXPECT_TRUE(defaults.synchronize());
    }
    Defaults defaults(str("Kelvane"), folder());
    EXPECT_TRUE(defaults.boolForKey(str("bool")));
    EXPECT_EQ(defaults.integerForKey(str("int")), -7);
    EXPECT_EQ(defaults.floatForKey(str("float")), 0.25);
    EXPECT_EQ(defaults.stringForKey(str("string")), str("text"));
    EXPECT_EQ(defaults.dataForKey(str("data")), QByteArray("\0\1", 2));
    EXPECT_EQ(defaults.dateForKey(str("date")), when);
    EXPECT_EQ(Value(defaults.arrayForKey(str("array"))), Value::newArray({1, 2}));
    EXPECT_EQ((*defaults.dictionaryForKey(str("dictionary")))[str("keyCode")].toInteger(), 107);
}

TEST_F(DefaultsTest, AbsentKeysReadAsEmptyValues) {
    Defaults defaults(str("Empty"), folder());
    EXPECT_FALSE(defaults.boolForKey(str("x")));
    EXPECT_EQ(defaults.integerForKey(str("x")), 0);
    EXPECT_EQ(defaults.floatForKey(str("x")), 0.0);
    EXPECT_TRUE(defaults.stringForKey(str("x")).isNull());
    EXPECT_TRUE(defaults.dataForKey(str("x")).isEmpty());
    EXPECT_FALSE(defaults.dateForKey(str("x")).isValid());
    EXPECT_EQ(defaults.arrayForKey(str("x")), nullptr);
    EXPECT_EQ(defaults.dictionaryForKey(str("x")), nullptr);
    EXPECT_TRUE(defaults.objectForKey(str("x")).isNone());
}

TEST_F(DefaultsTest, NumbersAndSwitchesWrittenAsTextAreRead) {
    Defaults defaults(str("Hand"), folder());
    defaults.setString(str("YES"), str("a"));
    defaults.setString(str(" 12 "), str("b"));
    defaults.setString(str("2.5"), str("c"));
    EXPECT_TRUE(defaults.boolForKey(str("a")));
    EXPECT_EQ(defaults.integerForKey(str("b")), 12);
    EXPECT_EQ(defaults.integerForKey(str("c")), 2);
    EXPECT_EQ(defaults.floatForKey(str("c")), 2.5);
}

TEST_F(DefaultsTest, ReturnedContainersAreCopies) {
    Defaults defaults(str("Copies"), folder());
    Value list = Value::newArray({1});
    defaults.setObject(list, str("list"));
    list.toArray()->push_back(2);
    defaults.arrayForKey(str("list"))->push_back(3);
    EXPECT_EQ(defaults.arrayForKey(str("list"))->size(), 1u);
}

TEST_F(DefaultsTest, RegisteredDefaultsAnswerButAreNeverWritten) {
    {
        Defaults defaults(str("Vantir"), folder());
        defaults.registerDefaults({{str("ShowOSD"), true}, {str("Delay"), 5}});
        defaults.setInteger(9, str("Delay"));
        EXPECT_TRUE(defaults.boolForKey(str("ShowOSD")));
        EXPECT_EQ(defaults.integerForKey(str("Delay")), 9);
        defaults.removeObjectForKey(str("Delay"));
        EXPECT_EQ(defaults.integerForKey(str("Delay")), 5) << "removal uncovers the default";
        defaults.setBool(false, str("Other"));
    }
    Value stored = storedDomain("Vantir");
    ASSERT_NE(stored.toDictionary(), nullptr);
    EXPECT_EQ(stored.toDictionary()->size(), 1u);
    EXPECT_TRUE(stored[str("ShowOSD")].isNone());
}

TEST_F(DefaultsTest, ChangesReachTheFileOnSynchronize) {
    Defaults defaults(str("Sync"), folder());
    defaults.setInteger(1, str("a"));
    EXPECT_FALSE(QFile::exists(fileOf("Sync")));
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(storedDomain("Sync")[str("a")].toInteger(), 1);
}

TEST_F(DefaultsTest, AnotherDomainIsReadReplacedAndRemovedAsAWhole) {
    Defaults defaults(str("Kelvane"), folder());
    const QString loginwindow = str("loginwindow");
    EXPECT_EQ(defaults.persistentDomainForName(loginwindow), nullptr);

    Dictionary domain{{str("AutoLaunchedApplicationDictionary"),
                       Value::newArray({Value::newDictionary(
                           {{str("Path"), str("/usr/bin/Kelvane")}, {str("Hide"), false}})})}};
    ASSERT_TRUE(defaults.setPersistentDomain(domain, loginwindow));
    auto read = defaults.persistentDomainForName(loginwindow);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Value(read), Value::newDictionary(domain));

    ASSERT_TRUE(defaults.removePersistentDomainForName(loginwindow));
    EXPECT_EQ(defaults.persistentDomainForName(loginwindow), nullptr);
    EXPECT_FALSE(QFile::exists(fileOf("loginwindow")));

    EXPECT_FALSE(defaults.setPersistentDomain(domain, str("../escape")));
    EXPECT_FALSE(defaults.setPersistentDomain(domain, str("")));
}

TEST_F(DefaultsTest, UnreadableDomainIsMovedAsideWithOneLogLineAndStartsEmpty) {
    const QByteArray garbage = "<plist><dict><key>half";
    QDir().mkpath(folder());
    QFile file(fileOf("Broken"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(garbage);
    file.close();

    QStringList lines;
    setLogSink([&](const QString& line) { lines << line; });
    {
        Defaults defaults(str("Broken"), folder());
        EXPECT_TRUE(defaults.objectForKey(str("half")).isNone());
        defaults.setInteger(1, str("fresh"));
    }
    setLogSink({});

    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(str("unreadable"))) << lines[0].toStdString();
    const QStringList aside = QDir(folder()).entryList({str("Broken.plist.unreadable-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(folder() + QLatin1Char('/') + aside[0]).value(), garbage);
    EXPECT_EQ(storedDomain("Broken")[str("fresh")].toInteger(), 1);
}

TEST_F(DefaultsTest, ARootThatIsNotADictionaryCountsAsUnreadable) {
    ASSERT_TRUE(
        writeFileAtomically(fileOf("Listy"), writeXmlPropertyList(Value::newArray({1})).value()));
    setLogSink([](const QString&) {});
    Defaults defaults(str("Listy"), folder());
    setLogSink({});
    EXPECT_FALSE(QFile::exists(fileOf("Listy")));
    EXPECT_EQ(QDir(folder()).entryList({str("Listy.plist.unreadable-*")}).size(), 1);
}

TEST_F(DefaultsTest, FolderComesFromXdgConfigHome) {
    qputenv("XDG_CONFIG_HOME", "/tmp/some-config");
    EXPECT_EQ(Defaults::configFolder(), str("/tmp/some-config"));
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_EQ(Defaults::configFolder(), QDir::homePath() + str("/.config"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Defaults::configFolder(), QDir::homePath() + str("/.config"));
}

// A writer killed at random moments leaves either the previous or the next content, whole.
TEST_F(DefaultsTest, KillingAWriterNeverLeavesATornFile) {
    const QString peer = qEnvironmentVariable("PLATFORM_TEST_PEER");
    ASSERT_FALSE(peer.isEmpty());
    std::mt19937 random(7);
    qint64 lastGeneration = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess writer;
        writer.start(peer, {str("write-defaults"), folder()});
        ASSERT_TRUE(writer.waitForStarted());
        // The writer reports each generation it has stored and goes straight on to the next;
        // killing it after a varying number of them lands the kill at varied points of a write.
        const int generations = 1 + int(random() % 4);
        for (int reported = 0; reported < generations;) {
            ASSERT_TRUE(writer.canReadLine() || writer.waitForReadyRead(10000));
            while (writer.canReadLine() && reported < generations) {
                writer.readLine();
                ++reported;
            }
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();

        Value stored = storedDomain("Torn");
        ASSERT_FALSE(stored.isNone()) << "round " << round << ": the file does not parse";
        const qint64 generation = stored[str("generation")].toInteger();
        ASSERT_GE(generation, 1);
        EXPECT_EQ(stored[str("payload")].toString(), QString::number(generation).repeated(20000));
        lastGeneration = generation;
    }
    EXPECT_GE(lastGeneration, 1);
}
