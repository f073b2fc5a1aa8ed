#include "platform/core/file_io.h"
#include "platform/core/notification_center.h"
#include "platform/core/property_list.h"
#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace vantir;
using namespace vantir::testing;

namespace {

class RepositoryTest : public ModelTest {
protected:
    QStringList asideFiles() const {
        return QDir(folder() + str("/data"))
            .entryList({str("archive.xml.unreadable-*")}, QDir::Files);
    }
};

std::vector<VNTMutableDictionary> actionsOf(const VNTRepository& repository) {
    return allInstancesOfClass(Value(repository.library()), str("VNTAction"));
}

} // namespace

TEST_F(RepositoryTest, DefaultArchiveServesANewUserAndIsNotSaved) {
    auto repository = makeRepository();
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_FALSE(QFile::exists(archivePath())) << "nothing is saved until asked";
    ASSERT_EQ(repository->remotes()->size(), 1u);
    EXPECT_EQ(VNTMutableDictionary::of(repository->remotes()->at(0)).className(),
              str("VNTAppleRemote"));
    const auto layers = repository->layersOfFirstRemote();
    ASSERT_GE(layers.size(), 2u);

    QStringList kinds;
    for (const auto& action : actionsOf(*repository))
        kinds.append(action.className());
    for (const char* kind : {"VNTAKeystroke", "VNTAMouse", "VNTAAppleScript"})
        EXPECT_TRUE(kinds.contains(str(kind))) << kind;
    EXPECT_EQ(VNTAction::allActions().size(), kinds.size());

    // Every trigger action of the default archive names an action of its library.
    for (const auto& layer : layers) {
        EXPECT_EQ(layer.checkOSDBDuplicates(&alerts), 0);
        for (const auto& record : allInstancesOfClass(layer.value(), str("VNTTriggerAction"))) {
            const VNTTriggerAction reference(record);
            EXPECT_TRUE(reference.action()) << reference.uuid().toStdString();
            EXPECT_TRUE(reference.parentTrigger());
        }
    }

    const VNTTriggerLayer fresh = VNTRepository::newLayerFromTemplate();
    ASSERT_TRUE(fresh.isKindOfClass(str("VNTTriggerLayer")));
    EXPECT_FALSE(fresh.triggers()->empty());
}

TEST_F(RepositoryTest, WrittenArchiveLoadsBackEqual) {
    installArchive("perform.xml");
    auto repository = makeRepository();
    repository->load();
    const VNTAction added(VNTMutableDictionary::newInstance(str("VNTAMouse")));
    added.setObject(str("Ünïcode & <markup>"), str("name"));
    VNTMutableDictionary::of(repository->library()->at(0))
        .arrayForKey(str("childs"))
        ->push_back(VNTMutableDictionary::newInstance(str("VNTMutableDictionary")).value());
    VNTMutableDictionary::of(
        firstObject(
            VNTMutableDictionary::of(repository->library()->at(0)).arrayForKey(str("childs"))))
        .arrayForKey(str("childs"))
        ->push_back(added.value());
    ASSERT_TRUE(repository->save());
    const Value saved = archiveOnDisk();
    EXPECT_EQ(saved, Value(repository->libraries())) << "memory and file agree";

    ASSERT_EQ(repository->reload(), LoadOutcome::Loaded);
    EXPECT_EQ(Value(repository->libraries()), saved) << "every key, \"class\" included";
    const VNTAction reloaded = VNTAction::actionWithUUID(added.uuid());
    ASSERT_TRUE(reloaded);
    EXPECT_FALSE(reloaded.isSameObject(added)) << "reload builds new records";
    EXPECT_EQ(reloaded.className(), str("VNTAMouse"));
    EXPECT_EQ(VNTAction::allActions().size(), 4);
    EXPECT_EQ(repository->indexPathOfObject(reloaded.value()), (std::vector<int>{0, 0, 3}));
    EXPECT_EQ(VNTAction::actionWithUUID(str("K")).users().size(), 3u);
}

TEST_F(RepositoryTest, BackupGoesToTheDesktopAtomically) {
    installArchive("perform.xml");
    auto repository = makeRepository();
    repository->load();
    ASSERT_TRUE(repository->saveBackup());
    EXPECT_EQ(repository->backupFilename(), desktop() + str("/Vantir08Backup.xml"));
    auto bytes = platform::readFile(repository->backupFilename());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, *platform::readFile(fixture("perform.xml"))) << "a byte copy of the file";
    EXPECT_TRUE(QDir(desktop()).entryList(QDir::Files | QDir::Hidden).size() == 1)
        << "no temporary file is left behind";
}

struct BrokenArchive {
    const char* name;
    QByteArray bytes;
};

class UnreadableArchiveTest : public RepositoryTest,
                              public ::testing::WithParamInterface<BrokenArchive> {};

TEST_P(UnreadableArchiveTest, IsKeptAsideWithOneAlertAndNeverSavedOver) {
    installArchiveBytes(GetParam().bytes);
    auto repository = makeRepository();
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);

    EXPECT_TRUE(repository->library()->empty());
    EXPECT_TRUE(repository->remotes()->empty());
    ASSERT_EQ(alerts.shown.size(), 1u) << "said once, and no upgrade is offered";
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Alert"));
    const QStringList aside = asideFiles();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informativeText.contains(aside[0]));
    EXPECT_EQ(*platform::readFile(folder() + str("/data/") + aside[0]), GetParam().bytes);
    EXPECT_FALSE(QFile::exists(archivePath()));

    ASSERT_TRUE(repository->save());
    EXPECT_EQ(*platform::readFile(folder() + str("/data/") + aside[0]), GetParam().bytes);
    EXPECT_EQ(archiveOnDisk()[str("Version")], Value(30));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnreadableArchiveTest,
    ::testing::Values(
        BrokenArchive{"Empty", QByteArray()},
        BrokenArchive{"Garbage", QByteArray("\x01\x02 not a property list \xff")},
        BrokenArchive{"Truncated",
                      QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                 "<key>Library</key><array><dict><key>name</key><string>cut")},
        BrokenArchive{"BinaryHeaderOnly", QByteArray("bplist00")},
        BrokenArchive{"RootIsAList", QByteArray("<plist version=\"1.0\"><array/></plist>")},
        BrokenArchive{"LibraryIsAString",
                      QByteArray("<plist version=\"1.0\"><dict><key>Library</key>"
                                 "<string>oops</string></dict></plist>")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepositoryTest, OddlyShapedRecordsInsideAReadableArchiveDoNotCrash) {
    installArchiveBytes(R"(<plist version="1.0"><dict>
        <key>Version</key><integer>30</integer>
        <key>Remotes</key><array>
          <string>not a remote</string>
          <dict><key>class</key><string>VNTAppleRemote</string><key>childs</key><array>
            <integer>4</integer>
            <dict><key>class</key><string>VNTTriggerLayer</string><key>childs</key><string>x</string></dict>
            <dict><key>class</key><string>VNTTriggerLayer</string><key>childs</key><array>
              <string>not a trigger</string>
              <dict><key>class</key><string>VNTTrigger</string><key>osdb</key><string>5</string>
                <key>childs</key><integer>1</integer><key>repeatChilds</key><array><integer>2</integer></array></dict>
              <dict><key>class</key><integer>12</integer></dict>
            </array></dict>
          </array></dict>
        </array></dict></plist>)");
    auto repository = makeRepository();
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_TRUE(repository->library()->empty()) << "a missing list starts empty";
    EXPECT_TRUE(repository->layersOfFirstRemote().empty()) << "the first remote is a string";
    const auto layers = allInstancesOfClass(Value(repository->remotes()), str("VNTTriggerLayer"));
    ASSERT_EQ(layers.size(), 2u);
    for (const auto& record : layers) {
        const VNTTriggerLayer layer(record);
        EXPECT_EQ(layer.checkOSDBDuplicates(&alerts), 0);
        EXPECT_FALSE(layer.performActionForOSDB(5, 0, true));
    }
    EXPECT_TRUE(repository->save());
}

TEST_F(RepositoryTest, DuplicateButtonsAreRemovedWithOneAlertAndANotification) {
    installArchive("duplicates.xml");
    const QByteArray onDisk = *platform::readFile(archivePath());
    auto repository = makeRepository();
    repository->load();
    int changed = 0;
    const void* changedLayer = nullptr;
    notifications.addObserver(this, str("ChangedRepository"), nullptr,
                              [&](const platform::Notification& note) {
                                  ++changed;
                                  changedLayer = note.object;
                              });

    const auto layers = repository->layersOfFirstRemote();
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].checkOSDBDuplicates(&alerts), 1);
    EXPECT_EQ(layers[1].checkOSDBDuplicates(&alerts), 0);
    notifications.removeObserver(this);

    QStringList names;
    const ArrayRef kept = layers[0].triggers();
    for (const Value& trigger : *kept)
        names.append(trigger[str("name")].toString());
    EXPECT_EQ(names, (QStringList{str("first five"), str("no number"), str("three")}));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Alert"));
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("I found duplicate OSD button descriptions on Layer 'Twice' which has lead to "
                  "malfunction.\nThese will be removed to ensure Vantir's integrity.\n\nPlease "
                  "save your archive to make this cleanup permanent."));
    EXPECT_EQ(alerts.shown[0].buttons, QStringList{str("OK")});
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(changedLayer, layers[0].identity());
    ASSERT_FALSE(logLines.isEmpty());
    EXPECT_TRUE(logLines.last().startsWith(
        str("Layer 'Twice': remove duplicate of class 'VNTTriggerAppleRemote': {")));
    EXPECT_EQ(*platform::readFile(archivePath()), onDisk) << "kept until the user saves";
}

TEST_F(RepositoryTest, PerformingAButtonRunsItsActionsInOrder) {
    installArchive("perform.xml");
    auto repository = makeRepository();
    repository->load();
    QStringList performed;
    for (const char* kind : {"VNTAKeystroke", "VNTAMouse", "VNTAAppleScript"}) {
        model->setPerformer(str(kind), [&performed](const VNTAction& action) {
            performed.append(action.uuid());
            return true;
        });
    }
    const VNTTriggerLayer layer = repository->layersOfFirstRemote().at(0);
    const auto press = [&](qint64 osdb, bool repeated, qint64 remoteID = 0) {
        performed.clear();
        const bool answered = layer.performActionForOSDB(osdb, remoteID, repeated);
        return std::make_pair(answered, performed.join(QLatin1Char(' ')));
    };
    EXPECT_EQ(press(1, false), std::make_pair(true, str("S K")));
    EXPECT_EQ(press(1, true), std::make_pair(true, str("S K"))) << "no hold actions: the press's";
    EXPECT_EQ(press(5, false), std::make_pair(true, str("K")));
    EXPECT_EQ(press(5, true), std::make_pair(true, str("M")));
    EXPECT_EQ(press(6, false), std::make_pair(true, str("M"))) << "an unknown UUID does nothing";
    EXPECT_EQ(press(3, false, 99), std::make_pair(true, str("S"))) << "the first trigger wins";
    EXPECT_EQ(press(20, false), std::make_pair(false, QString()));
    EXPECT_EQ(press(0, false), std::make_pair(false, QString()));

    // Registry lookups happen at performing time: a replaced action is the one performed.
    const VNTAction replacement(VNTMutableDictionary::newInstance(str("VNTAAppleScript")));
    replacement.setStoredObject(str("K"), str("uuid"));
    replacement.registerWithUUID();
    model->setPerformer(str("VNTAAppleScript"), [&performed](const VNTAction& action) {
        performed.append(str("script ") + action.uuid());
        return true;
    });
    EXPECT_EQ(press(5, false).second, str("script K"));
}

TEST_F(RepositoryTest, LayerAnswersOnlyItsOwnRemoteID) {
    const VNTTriggerLayer layer(VNTMutableDictionary::newInstance(str("VNTTriggerLayer")));
    EXPECT_FALSE(layer.isResponsibleForID(0));
    layer.setObject(true, str("useForAR"));
    EXPECT_TRUE(layer.isResponsibleForID(0)) << "arID absent reads 0";
    layer.setObject(-1, str("arID"));
    EXPECT_FALSE(layer.isResponsibleForID(-1));
    layer.setObject(12, str("arID"));
    EXPECT_TRUE(layer.isResponsibleForID(12));
    EXPECT_FALSE(layer.isResponsibleForID(13));
}

TEST_F(RepositoryTest, ASaveKilledMidwayLeavesTheLastArchiveWhole) {
    // A large archive, so that a kill often lands inside a write.
    installArchive("perform.xml");
    {
        auto repository = makeRepository();
        repository->load();
        const ArrayRef group =
            VNTMutableDictionary::of(repository->library()->at(0)).arrayForKey(str("childs"));
        for (int i = 0; i < 3000; ++i) {
            const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAKeystroke")));
            action.setStoredObject(QString(200, QLatin1Char('x')), str("keyStrokes"));
            VNTMutableDictionary::of(group->at(0))
                .arrayForKey(str("childs"))
                ->push_back(action.value());
        }
        ASSERT_TRUE(repository->save());
    }
    const QString saver = qEnvironmentVariable("VANTIR_TEST_SAVER");
    ASSERT_FALSE(saver.isEmpty());
    for (int round = 0; round < 4; ++round) {
        QProcess process;
        process.start(saver, {folder() + str("/data")});
        ASSERT_TRUE(process.waitForStarted(10000));
        ASSERT_TRUE(process.waitForReadyRead(30000)) << "the saver never finished a save";
        process.kill();
        process.waitForFinished(10000);
        const Value archive = archiveOnDisk();
        ASSERT_TRUE(archive.toDictionary()) << "round " << round;
        EXPECT_EQ(allInstancesOfClass(archive[str("Library")], str("VNTAction")).size(), 3003u);
        EXPECT_TRUE(
            archive[str("Remotes")].at(0)[str("childs")].at(0)[str("name")].toString().startsWith(
                str("round ")));
    }
}

TEST_F(RepositoryTest, FilesLiveInTheXDGDataFolderAndTheUsersDesktop) {
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedPath = qgetenv("PATH");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", folder().toUtf8());
    qputenv("XDG_DATA_HOME", (folder() + str("/xdg")).toUtf8());
    EXPECT_EQ(VNTRepository::applicationSupportDirectory(), folder() + str("/xdg/Vantir"));
    EXPECT_EQ(VNTRepository::applicationSupportDirectory(str("archive.xml")),
              folder() + str("/xdg/Vantir/archive.xml"));
    qputenv("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(VNTRepository::applicationSupportDirectory(), folder() + str("/.local/share/Vantir"));

    // The desktop folder is what xdg-user-dir names; without the tool, ~/Desktop.
    RepositoryServices services;
    VNTRepository repository(*model, services);
    const QString bin = folder() + str("/bin");
    QDir().mkpath(bin);
    qputenv("PATH", bin.toUtf8());
    EXPECT_EQ(repository.backupFilename(), folder() + str("/Desktop/Vantir08Backup.xml"));
    QFile tool(bin + str("/xdg-user-dir"));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\n[ \"$1\" = DESKTOP ] && echo /home/someone/Schreibtisch\n");
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(repository.backupFilename(), str("/home/someone/Schreibtisch/Vantir08Backup.xml"));

    qputenv("PATH", savedPath);
    qputenv("HOME", savedHome);
    if (savedData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", savedData);
}

TEST(ActionPerformers, LiveAndDieWithTheirModelContext) {
    platform::doubles::ManualClock clock;
    platform::NotificationCenter notifications;
    const auto performOnce = [] {
        const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAMouse")));
        return action.perform();
    };
    EXPECT_FALSE(performOnce()) << "no context, no performer";
    {
        ModelContext model(clock, notifications, nullptr);
        int performed = 0;
        model.setPerformer(str("VNTAMouse"),
                           [&performed](const VNTAction&) { return ++performed == 1; });
        EXPECT_TRUE(performOnce());
        EXPECT_FALSE(performOnce()) << "the performer's answer is the action's";
        model.setPerformer(str("VNTAMouse"), {});
        EXPECT_FALSE(performOnce());
        EXPECT_EQ(performed, 2);
    }
    ModelContext next(clock, notifications, nullptr);
    EXPECT_FALSE(performOnce()) << "a later context starts without the earlier one's performers";
}
