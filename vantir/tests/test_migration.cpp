#include "platform/core/file_io.h"
#include "platform/core/property_list.h"
#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

#include <QDir>
#include <QFile>

using namespace vantir;
using namespace vantir::testing;

namespace {

class MigrationTest : public ModelTest {
protected:
    Value backupOnDisk() const {
        auto bytes = platform::readFile(desktop() + str("/Vantir08Backup.xml"));
        return bytes ? platform::readPropertyList(*bytes).value() : Value();
    }
    static QList<qint64> osdbsOf(const VNTTriggerLayer& layer) {
        QList<qint64> numbers;
        const ArrayRef triggers = layer.triggers();
        for (const Value& trigger : *triggers)
            numbers.append(trigger[str("osdb")].toInteger());
        return numbers;
    }
};

} // namespace

TEST_F(MigrationTest, Build16AsksConvertsBacksUpAndSaves) {
    installArchive("build16.xml");
    const QByteArray before = *platform::readFile(archivePath());
    auto repository = makeRepository();
    alerts.answers = {platform::AlertResponse::First};
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);

    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Alert"));
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("Your archive of actions has to be updated. Would you like to create a backup "
                  "file on your Desktop?"));
    EXPECT_EQ(alerts.shown[0].buttons,
              (QStringList{str("Create Backup"), str("Just Upgrade"), str("Quit")}));
    EXPECT_EQ(platform::escapeAnswerOf(alerts.shown[0]), platform::AlertResponse::Third)
        << "Escape means Quit";

    const VNTTriggerLayer layer = repository->layersOfFirstRemote().at(0);
    EXPECT_EQ(layer.className(), str("VNTTriggerLayer"));
    EXPECT_EQ(osdbsOf(layer), (QList<qint64>{5, 23, 0}));
    for (const char* line :
         {"found arbe 264, replaced with osdb 5", "found arbe 2049, replaced with osdb 23",
          "found arbe 2050, replaced with osdb 0"})
        EXPECT_TRUE(logged(str(line))) << line;
    const ArrayRef triggers = layer.triggers();
    for (const Value& trigger : *triggers)
        EXPECT_TRUE(trigger[str("arbe")].isNone());

    // Generic records among a trigger's actions became trigger actions.
    const auto references = allInstancesOfClass(layer.value(), str("VNTTriggerAction"));
    ASSERT_EQ(references.size(), 2u);
    for (const auto& reference : references)
        EXPECT_EQ(reference.className(), str("VNTTriggerAction"));
    EXPECT_EQ(VNTTriggerAction(references[0]).stringForKey(str("name")), str("Page Down"));
    EXPECT_TRUE(VNTAction::actionWithUUID(str("AAAA0016-0000-0000-0000-000000000002")).hasUsers());

    // The section keys are renamed by the version the file had, not the raised one.
    EXPECT_EQ((*repository->libraries())[str("Version")], Value(30));
    EXPECT_EQ(layer.storedObjectForKey(str("activateAppWithLayer")), Value(true));
    EXPECT_EQ(layer.storedObjectForKey(str("appToBeActivatedWithLayer")), Value("Viewer"));
    EXPECT_TRUE(layer.storedObjectForKey(str("activateAppWithSection")).isNone());
    EXPECT_TRUE(layer.storedObjectForKey(str("appToBeActivatedWithSection")).isNone());

    const Value saved = archiveOnDisk();
    EXPECT_EQ(saved[str("Version")], Value(30)) << "the upgrade is saved";
    const Value savedLayer = saved[str("Remotes")].at(0)[str("childs")].at(0);
    EXPECT_EQ(savedLayer[str("class")], Value("VNTTriggerLayer"));
    EXPECT_EQ(savedLayer[str("activateAppWithLayer")], Value(true)) << "the saved upgrade keeps it";
    EXPECT_EQ(savedLayer[str("appToBeActivatedWithLayer")], Value("Viewer"));
    EXPECT_TRUE(savedLayer[str("activateAppWithSection")].isNone());
    EXPECT_EQ(savedLayer[str("childs")].at(1)[str("osdb")], Value(23));
    EXPECT_EQ(savedLayer[str("childs")].at(1)[str("childs")].at(0)[str("class")],
              Value("VNTTriggerAction"));
    EXPECT_EQ(platform::readFile(desktop() + str("/Vantir08Backup.xml")).value(), before)
        << "the backup is the user's file as it was before the upgrade";
}

TEST_F(MigrationTest, Build16JustUpgradeWritesNoBackup) {
    installArchive("build16.xml");
    auto repository = makeRepository();
    alerts.answers = {platform::AlertResponse::Second};
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);
    EXPECT_FALSE(QFile::exists(desktop() + str("/Vantir08Backup.xml")));
    EXPECT_EQ(archiveOnDisk()[str("Version")], Value(30));
}

TEST_F(MigrationTest, Build16QuitLeavesEverythingAsItWas) {
    installArchive("build16.xml");
    const QByteArray before = *platform::readFile(archivePath());
    auto repository = makeRepository();
    alerts.answers = {platform::AlertResponse::Third};
    EXPECT_EQ(repository->load(), LoadOutcome::QuitRequested);
    EXPECT_EQ(*platform::readFile(archivePath()), before);
    EXPECT_FALSE(QFile::exists(desktop() + str("/Vantir08Backup.xml")));
}

TEST_F(MigrationTest, Build16EscapeQuitsAndTouchesNothing) {
    installArchive("build16.xml");
    const QByteArray before = *platform::readFile(archivePath());
    auto repository = makeRepository();
    alerts.answers = {platform::doubles::ScriptedAlerts::pressEscape};
    EXPECT_EQ(repository->load(), LoadOutcome::QuitRequested);
    EXPECT_EQ(*platform::readFile(archivePath()), before);
    EXPECT_FALSE(QFile::exists(desktop() + str("/Vantir08Backup.xml")));
}

TEST_F(MigrationTest, Build16FailedBackupSaysSoAndLeavesTheArchiveUntouched) {
    installArchive("build16.xml");
    const QByteArray before = *platform::readFile(archivePath());
    // A file where the desktop folder should be: no backup can be written there.
    ASSERT_TRUE(QDir(desktop()).removeRecursively());
    ASSERT_TRUE(platform::writeFileAtomically(desktop(), QByteArray("not a folder")));
    auto repository = makeRepository();
    alerts.answers = {platform::AlertResponse::First};
    EXPECT_EQ(repository->load(), LoadOutcome::QuitRequested);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_TRUE(alerts.shown[1].informativeText.startsWith(str("The backup could not be written")))
        << alerts.shown[1].informativeText.toStdString();
    EXPECT_TRUE(alerts.shown[1].informativeText.contains(
        str("Your archive of actions has not been changed.")));
    EXPECT_EQ(*platform::readFile(archivePath()), before);
}

TEST_F(MigrationTest, ArchiveWithoutVersionCountsAsTheOldest) {
    installArchiveBytes(R"(<plist version="1.0"><dict><key>Remotes</key><array>
        <dict><key>class</key><string>VNTAppleRemote</string><key>childs</key><array>
          <dict><key>class</key><string>VNTTriggerLayer</string><key>childs</key><array>
            <dict><key>class</key><string>VNTTriggerAppleRemote</string><key>arbe</key><integer>1056</integer></dict>
            <dict><key>class</key><string>VNTTriggerAppleRemote</string><key>arbe</key><integer>0</integer><key>osdb</key><integer>4</integer></dict>
          </array></dict></array></dict></array></dict></plist>)");
    auto repository = makeRepository();
    alerts.answers = {platform::AlertResponse::Second};
    repository->load();
    EXPECT_EQ(alerts.shown.size(), 1u);
    const VNTTriggerLayer layer = repository->layersOfFirstRemote().at(0);
    EXPECT_EQ(osdbsOf(layer), (QList<qint64>{6, 4})) << "Previous hold is 6; a zero arbe stays";
    EXPECT_EQ(layer.triggers()->at(1)[str("arbe")], Value(0));
}

TEST_F(MigrationTest, Build18MovesSectionKeysInMemoryWithoutAsking) {
    installArchive("build18.xml");
    const QByteArray before = *platform::readFile(archivePath());
    auto repository = makeRepository();
    ASSERT_EQ(repository->load(), LoadOutcome::Loaded);
    EXPECT_TRUE(alerts.shown.empty());

    const auto layers = repository->layersOfFirstRemote();
    ASSERT_EQ(layers.size(), 2u);
    const VNTTriggerLayer tv = layers[0];
    EXPECT_EQ(tv.className(), str("VNTTriggerLayer")) << "sections load as layers";
    EXPECT_EQ(tv.nameWithID(), str("TV - 007"));
    EXPECT_EQ(tv.storedObjectForKey(str("activateAppWithLayer")), Value(true));
    EXPECT_EQ(tv.storedObjectForKey(str("appToBeActivatedWithLayer")), Value("Television"));
    EXPECT_TRUE(tv.storedObjectForKey(str("activateAppWithSection")).isNone());
    EXPECT_TRUE(tv.storedObjectForKey(str("appToBeActivatedWithSection")).isNone());
    EXPECT_EQ((*repository->libraries())[str("Version")], Value(18));
    EXPECT_EQ(*platform::readFile(archivePath()), before) << "in memory only until saved";

    const VNTMutableDictionary bare = VNTMutableDictionary::of(repository->library()->at(0));
    EXPECT_EQ(bare.className(), str("VNTMutableDictionary")) << "no class: a generic record";
    const VNTMutableDictionary unknown =
        VNTMutableDictionary::of(bare.arrayForKey(str("childs"))->at(0));
    EXPECT_EQ(unknown.className(), str("VNTFancyGroup"));
    EXPECT_EQ(unknown.recordClass(), nullptr) << "an unknown class stays a plain dictionary";

    ASSERT_TRUE(repository->save());
    EXPECT_EQ(archiveOnDisk(), Value(repository->libraries()));
}
