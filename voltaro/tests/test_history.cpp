#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/testing/scripted_alerts.h"
#include "voltaro/core/history.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

using namespace voltaro;
using platform::doubles::ScriptedAlerts;
using Reply = Voltaro_AppDelegate::TerminateReply;

namespace {

const SavedData kFirst{QStringLiteral("2026-01-01"), QStringLiteral("88 % (4400 mAh)")};
const SavedData kSecond{QStringLiteral("2026-01-01"), QStringLiteral("87 % (4350 mAh)")};

class History : public ::testing::Test {
protected:
    History() {
        platform::setLogSink([this](const QString& line) { logLines << line; });
    }
    ~History() override { platform::setLogSink({}); }

    QString storePath() const { return folder.path() + QStringLiteral("/Voltaro/Voltaro.xml"); }

    QTemporaryDir folder;
    ScriptedAlerts alerts;
    QStringList logLines;
};

TEST_F(History, FileFormatRoundTrips) {
    const std::vector<SavedData> records{kFirst, kSecond};
    const QByteArray bytes = encodeHistory(records);
    EXPECT_TRUE(bytes.startsWith("<?xml"));
    EXPECT_TRUE(bytes.contains("<key>SavedData</key>"));
    EXPECT_EQ(decodeHistory(bytes).value(), records);
    EXPECT_TRUE(decodeHistory(encodeHistory({})).value().empty());
}

TEST_F(History, MalformedFilesAreErrors) {
    const QByteArray bad[] = {
        "",
        "torn <plist",
        "<plist version=\"1.0\"><array/></plist>",
        "<plist version=\"1.0\"><dict><key>SavedData</key><dict/></dict></plist>",
    };
    for (const QByteArray& bytes : bad)
        EXPECT_FALSE(decodeHistory(bytes)) << bytes.constData();
}

// A store with one good record between three bad ones.
const QByteArray kStoreWithBadRecords =
    "<plist version=\"1.0\"><dict><key>SavedData</key><array>"
    "<dict><key>date</key><string>2025-12-01</string></dict>"
    "<dict><key>date</key><string>2025-12-02</string>"
    "<key>capacity</key><string>91 % (4550 mAh)</string></dict>"
    "<dict><key>date</key><integer>1</integer><key>capacity</key><string>x</string></dict>"
    "<string>stray</string>"
    "</array></dict></plist>";

TEST_F(History, MalformedRecordsAreLeftOutAndTheRestKept) {
    QStringList skipped;
    const auto records = decodeHistory(kStoreWithBadRecords, &skipped);
    ASSERT_TRUE(records) << qPrintable(records.error());
    EXPECT_EQ(*records, (std::vector<SavedData>{
                            {QStringLiteral("2025-12-02"), QStringLiteral("91 % (4550 mAh)")}}));
    EXPECT_EQ(skipped, (QStringList{QStringLiteral("record 1 lacks its date or capacity text"),
                                    QStringLiteral("record 3 lacks its date or capacity text"),
                                    QStringLiteral("record 4 lacks its date or capacity text")}));
}

TEST_F(History, AStoreWithBadRecordsIsKeptAsideBeforeTheFirstSaveOverIt) {
    ASSERT_TRUE(platform::writeFileAtomically(storePath(), kStoreWithBadRecords));
    const QString folderPath = folder.path() + QStringLiteral("/Voltaro");
    const auto kept = [&] {
        return QDir(folderPath).entryList({QStringLiteral("Voltaro.xml.unreadable-*")});
    };
    Voltaro_AppDelegate delegate(alerts, folderPath);
    HistoryContext& context = delegate.managedObjectContext();
    ASSERT_EQ(context.records().size(), 1u);
    EXPECT_TRUE(alerts.shown.empty()) << "the rest of the history is there";
    EXPECT_EQ(logLines.filter(QStringLiteral("is left out")).size(), 3);
    EXPECT_TRUE(kept().isEmpty()) << "nothing is moved before a save";

    context.insert(kFirst);
    ASSERT_TRUE(delegate.saveAction());
    ASSERT_EQ(kept().size(), 1);
    EXPECT_EQ(platform::readFile(folderPath + QLatin1Char('/') + kept()[0]).value(),
              kStoreWithBadRecords);
    EXPECT_EQ(decodeHistory(platform::readFile(storePath()).value()).value().size(), 2u);

    context.insert(kSecond);
    ASSERT_TRUE(delegate.saveAction());
    EXPECT_EQ(kept().size(), 1) << "only the original is kept";
}

TEST_F(History, StoreFolderFollowsXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(Voltaro_AppDelegate::applicationSupportFolder(),
              QStringLiteral("/data/home/Voltaro"));
    qputenv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(Voltaro_AppDelegate::applicationSupportFolder(),
              QDir::homePath() + QStringLiteral("/.local/share/Voltaro"));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Voltaro_AppDelegate::applicationSupportFolder(),
              QDir::homePath() + QStringLiteral("/.local/share/Voltaro"));
    if (!saved.isNull())
        qputenv("XDG_DATA_HOME", saved);
}

TEST_F(History, QuittingRightAfterAnEntryWritesTheStoreAndItsFolder) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    EXPECT_FALSE(QFile::exists(storePath())) << "nothing is written when an entry is added";
    EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateNow);
    EXPECT_EQ(decodeHistory(platform::readFile(storePath()).value()).value(),
              std::vector<SavedData>{kFirst});
    EXPECT_TRUE(alerts.shown.empty());

    Voltaro_AppDelegate again(alerts, folder.path() + QStringLiteral("/Voltaro"));
    EXPECT_EQ(again.managedObjectContext().records(), std::vector<SavedData>{kFirst});
}

TEST_F(History, QuittingWithoutChangesNeverTouchesTheStore) {
    {
        Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
        EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateNow) << "no context";
        EXPECT_FALSE(QDir(folder.path() + QStringLiteral("/Voltaro")).exists());
    }
    ASSERT_TRUE(platform::writeFileAtomically(storePath(), encodeHistory({kFirst})));
    QFile::setPermissions(storePath(), QFile::ReadOwner);
    const QDateTime modified = QFileInfo(storePath()).lastModified();
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    EXPECT_EQ(delegate.managedObjectContext().records().size(), 1u);
    EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateNow);
    EXPECT_EQ(QFileInfo(storePath()).lastModified(), modified);
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(History, TwoEntriesOnOneDayAreTwoRecords) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    delegate.managedObjectContext().insert(kSecond);
    ASSERT_TRUE(delegate.saveAction());
    const auto records = decodeHistory(platform::readFile(storePath()).value()).value();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].date, records[1].date);
}

TEST_F(History, DeletingRecordsIsSavedToo) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    HistoryContext& context = delegate.managedObjectContext();
    int changes = 0;
    context.onChange = [&] {
        ++changes;
    };
    context.insert(kFirst);
    context.insert(kSecond);
    context.removeAt(0);
    context.removeAt(7); // no such row
    EXPECT_EQ(changes, 3);
    ASSERT_TRUE(delegate.saveAction());
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(decodeHistory(platform::readFile(storePath()).value()).value(),
              std::vector<SavedData>{kSecond});
    context.insertAt(0, kFirst);
    EXPECT_EQ(context.records(), (std::vector<SavedData>{kFirst, kSecond}));
}

TEST_F(History, AnUnreadableStoreIsMovedAsideAndReportedOnce) {
    ASSERT_TRUE(platform::writeFileAtomically(storePath(), "<plist><dict><key>SavedDa"));
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    EXPECT_TRUE(delegate.managedObjectContext().records().empty());
    delegate.managedObjectContext();
    ASSERT_EQ(alerts.shown.size(), 1u) << "reported once";
    EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The history could not be read."));
    EXPECT_TRUE(alerts.shown[0].informativeText.contains(QStringLiteral(".unreadable-")));
    EXPECT_EQ(logLines.size(), 1);

    const QStringList kept = QDir(folder.path() + QStringLiteral("/Voltaro"))
                                 .entryList({QStringLiteral("Voltaro.xml.unreadable-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(platform::readFile(folder.path() + QStringLiteral("/Voltaro/") + kept[0]).value(),
              QByteArray("<plist><dict><key>SavedDa"));
    EXPECT_FALSE(QFile::exists(storePath()));

    // The history goes on in a fresh store.
    delegate.managedObjectContext().insert(kFirst);
    EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateNow);
    EXPECT_EQ(decodeHistory(platform::readFile(storePath()).value()).value(),
              std::vector<SavedData>{kFirst});
    EXPECT_EQ(alerts.shown.size(), 1u);
}

class FailingSave : public History {
protected:
    FailingSave() {
        // A file where the folder should be: nothing can be saved.
        QFile blocker(folder.path() + QStringLiteral("/Voltaro"));
        EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
};

TEST_F(FailingSave, QuitAnywayQuits) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    alerts.answers = {platform::AlertResponse::First, platform::AlertResponse::First};
    EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateNow);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The history could not be saved."));
    EXPECT_EQ(alerts.shown[1].messageText,
              QStringLiteral("Could not save changes while quitting. Quit anyway?"));
    EXPECT_EQ(alerts.shown[1].buttons,
              (QStringList{QStringLiteral("Quit anyway"), QStringLiteral("Cancel")}));
}

TEST_F(FailingSave, CancelKeepsTheProgramRunning) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    alerts.answers = {platform::AlertResponse::First, platform::AlertResponse::Second};
    EXPECT_EQ(delegate.applicationShouldTerminate(), Reply::TerminateCancel);
    EXPECT_TRUE(delegate.managedObjectContext().hasChanges());
}

TEST_F(FailingSave, SaveActionPresentsTheError) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    EXPECT_FALSE(delegate.saveAction());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, QStringLiteral("The history could not be saved."));
}

TEST_F(History, ARefusedEditCancelsTheQuit) {
    Voltaro_AppDelegate delegate(alerts, folder.path() + QStringLiteral("/Voltaro"));
    delegate.managedObjectContext().insert(kFirst);
    EXPECT_EQ(delegate.applicationShouldTerminate([] { return false; }), Reply::TerminateCancel);
    EXPECT_FALSE(QFile::exists(storePath()));
}

TEST(CapacityPercent, FirstNumberOfTheText) {
    EXPECT_EQ(capacityPercentOf(QStringLiteral("88 % (4400 mAh)")), 88);
    EXPECT_EQ(capacityPercentOf(QStringLiteral("-440000 % (4400 mAh)")), -440000);
    EXPECT_FALSE(capacityPercentOf(QStringLiteral(" (4400 mAh)")));
}

// A writer killed at random moments leaves the previous or the next history, whole.
TEST_F(History, KillingTheProgramWhileItSavesNeverTearsTheStore) {
    const QString peer = qEnvironmentVariable("VOLTARO_TEST_PEER");
    ASSERT_FALSE(peer.isEmpty());
    for (int round = 0; round < 12; ++round) {
        QProcess writer;
        writer.start(peer,
                     {QStringLiteral("save-history"), folder.path() + QStringLiteral("/Voltaro")});
        ASSERT_TRUE(writer.waitForStarted());
        // Wait for one to three saves, then kill it at once: it is busy with the next save, at a
        // point that varies from round to round.
        const int saves = 1 + int(QRandomGenerator::global()->bounded(3));
        for (int reported = 0; reported < saves;) {
            ASSERT_TRUE(writer.waitForReadyRead(10000)) << "round " << round;
            reported += int(writer.readAllStandardOutput().count('\n'));
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();
        auto bytes = platform::readFile(storePath());
        ASSERT_TRUE(bytes) << "round " << round;
        auto records = decodeHistory(*bytes);
        ASSERT_TRUE(records) << "round " << round << ": " << qPrintable(records.error());
        EXPECT_FALSE(records->empty());
        const QStringList files =
            QDir(folder.path() + QStringLiteral("/Voltaro")).entryList(QDir::Files);
        EXPECT_TRUE(files.filter(QStringLiteral("unreadable")).isEmpty());
    }
}

} // namespace
