#include "platform/core/file_io.h"
#include "platform/core/property_list.h"
#include "vantir/core/collections.h"
#include "vantir/tests/model_fixture.h"

#include <QDir>

using namespace vantir;
using namespace vantir::testing;

namespace {

class ImportExportTest : public ModelTest {
protected:
    void SetUp() override {
        installArchive("perform.xml");
        repository = makeRepository();
        repository->load();
    }
    Value group() const {
        return VNTMutableDictionary::of(repository->library()->at(0))
            .arrayForKey(str("childs"))
            ->at(0);
    }
    /// Writes an exported group holding the actions `uuids` (fresh keystrokes).
    QString exportedGroup(const char* file, const QStringList& uuids) {
        Array actions;
        for (const QString& uuid : uuids)
            actions.push_back(Value::newDictionary(
                {{str("class"), "VNTAKeystroke"}, {str("uuid"), uuid}, {str("name"), uuid}}));
        const Value item = Value::newDictionary({{str("class"), "VNTMutableDictionary"},
                                                 {str("name"), "Imported"},
                                                 {str("childs"), Value::newArray(actions)}});
        const Value exported = Value::newDictionary(
            {{str("Object"), item}, {str("Version"), 30}, {str("Type"), "Group"}});
        const QString path = folder() + str("/") + str(file);
        EXPECT_TRUE(platform::writeFileAtomically(path, *platform::writeXmlPropertyList(exported)));
        return path;
    }
    std::unique_ptr<VNTRepository> repository;
};

} // namespace

TEST_F(ImportExportTest, ExportWritesTheItemAndRemembersTheFolder) {
    const Value item = group();
    panels.answers = {folder() + str("/out/Kinds.vnta"), std::nullopt};
    ASSERT_TRUE(repository->exportOfType(item, str("Group")));
    ASSERT_EQ(panels.asked.size(), 1u);
    EXPECT_EQ(panels.asked[0].title, str("Export"));
    EXPECT_EQ(panels.asked[0].fileTypes, QStringList{str("vnta")});
    EXPECT_TRUE(panels.asked[0].allowsOtherFileTypes);
    EXPECT_EQ(panels.asked[0].directory, QDir::homePath());
    EXPECT_EQ(panels.asked[0].fileName, str("Kinds"));

    const Value written =
        *platform::readPropertyList(*platform::readFile(folder() + str("/out/Kinds.vnta")));
    EXPECT_EQ(written[str("Object")], item);
    EXPECT_EQ(written[str("Type")], Value("Group"));
    EXPECT_EQ(written[str("Version")], Value(30));
    EXPECT_EQ(defaults->stringForKey(str("ExportDirectory")), folder() + str("/out"));

    EXPECT_FALSE(repository->exportOfType(item, str("Group"))) << "cancelled";
    EXPECT_EQ(panels.asked[1].directory, folder() + str("/out"));
}

TEST_F(ImportExportTest, ExportedItemImportsIntoAnotherLibrary) {
    panels.answers = {folder() + str("/Kinds.vnta")};
    ASSERT_TRUE(repository->exportOfType(group(), str("Group")));
    VNTAction::cleanupUUIDs(); // as on another machine

    panels.answers = {folder() + str("/Kinds.vnta")};
    QString type;
    const Value item = repository->importObjectGetType(&type);
    EXPECT_EQ(type, str("Group"));
    ASSERT_TRUE(item.toDictionary());
    EXPECT_FALSE(item.isSameObject(group()));
    EXPECT_EQ(item, group());
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(panels.asked.back().title, str("Import"));
    EXPECT_EQ(panels.asked.back().fileTypes, (QStringList{str("vnta"), str("xml"), str("plist")}));
    EXPECT_EQ(defaults->stringForKey(str("ImportDirectory")), folder());
    const VNTAction imported = VNTAction::actionWithUUID(str("M"));
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported.className(), str("VNTAMouse"));
    EXPECT_TRUE(imported.value().isSameObject(item[str("childs")].at(1)));
    EXPECT_EQ(VNTAction::allActions().size(), 3);
}

TEST_F(ImportExportTest, SomeDuplicatesAreLeftOutWithAnInformation) {
    panels.answers = {exportedGroup("half.vnta", {str("K"), str("NEW")})};
    const VNTAction present = VNTAction::actionWithUUID(str("K"));
    QString type;
    const Value item = repository->importObjectGetType(&type);
    ASSERT_TRUE(item.toDictionary());
    ASSERT_EQ(item[str("childs")].toArray()->size(), 1u);
    EXPECT_EQ(item[str("childs")].at(0)[str("uuid")], Value("NEW"));
    EXPECT_TRUE(VNTAction::actionWithUUID(str("K")).isSameObject(present)) << "the library's stays";
    EXPECT_TRUE(VNTAction::actionWithUUID(str("NEW")));
    EXPECT_TRUE(logged(str("is duplicate with UUID 'K'")));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Info"));
    EXPECT_EQ(alerts.shown[0].style, platform::AlertStyle::Informational);
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("Found 1 duplicate actions out of 2, which were ignored while importing."));
}

TEST_F(ImportExportTest, AllDuplicatesCancelTheImport) {
    panels.answers = {exportedGroup("all.vnta", {str("K"), str("S")})};
    QString type;
    EXPECT_TRUE(repository->importObjectGetType(&type).isNone());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText, str("Vantir Alert"));
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("All actions which are part of the loaded file are already present in your "
                  "library.\n\nTherefore importing was canceled."));
    EXPECT_EQ(VNTAction::allActions().size(), 3);
    EXPECT_FALSE(VNTAction::ignoresUUID());
}

TEST_F(ImportExportTest, UnreadableOrCancelledImportsAddNothing) {
    const QString path = folder() + str("/broken.vnta");
    ASSERT_TRUE(platform::writeFileAtomically(path, "<plist><dict><key>Object"));
    const QString noItem = folder() + str("/noitem.vnta");
    ASSERT_TRUE(platform::writeFileAtomically(
        noItem, "<plist version=\"1.0\"><dict><key>Object</key><string>x</string></dict></plist>"));
    panels.answers = {path, noItem, std::nullopt};
    for (const QString& file : {path, noItem}) {
        EXPECT_TRUE(repository->importObjectGetType(nullptr).isNone());
        ASSERT_FALSE(alerts.shown.empty());
        EXPECT_EQ(alerts.shown.back().informativeText, str("Could not read from '%1'.").arg(file));
        EXPECT_EQ(alerts.shown.back().buttons, QStringList{str("Abort")});
        EXPECT_FALSE(VNTAction::ignoresUUID());
    }
    EXPECT_TRUE(repository->importObjectGetType(nullptr).isNone());
    EXPECT_EQ(alerts.shown.size(), 2u);
    EXPECT_FALSE(VNTAction::ignoresUUID()) << "registration resumes after a cancel";
    EXPECT_EQ(VNTAction::allActions().size(), 3);
}
