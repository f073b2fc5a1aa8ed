// The Vantir program driven from its command line, as a user would in a terminal.

#include "platform/core/file_io.h"
#include "platform/core/property_list.h"
#include "platform/testing/program_run.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

using platform::doubles::ProgramRun;

// No display at all: the dump must not need one.
ProgramRun vantir(const QStringList& arguments) {
    return platform::doubles::runWithoutDisplay(qEnvironmentVariable("VANTIR_PROGRAM"), arguments);
}

QString fixture(const char* name) {
    return str(VANTIR_FIXTURES "/") + str(name);
}

} // namespace

TEST(DumpArchive, UpgradesAnOldArchiveWithoutTouchingIt) {
    const QByteArray before = *platform::readFile(fixture("build16.xml"));
    const ProgramRun run = vantir({str("--dump-archive"), fixture("build16.xml")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const auto archive = platform::readPropertyList(run.out);
    ASSERT_TRUE(archive) << run.out.toStdString();
    EXPECT_EQ((*archive)[str("Version")], platform::Value(30));
    const platform::Value layer = (*archive)[str("Remotes")].at(0)[str("childs")].at(0);
    EXPECT_EQ(layer[str("class")], platform::Value("VNTTriggerLayer"));
    EXPECT_EQ(layer[str("childs")].at(1)[str("osdb")], platform::Value(23));
    EXPECT_EQ(layer[str("activateAppWithLayer")], platform::Value(true));
    EXPECT_TRUE(layer[str("childs")].at(1)[str("arbe")].isNone());
    EXPECT_EQ(layer[str("childs")].at(0)[str("childs")].at(0)[str("class")],
              platform::Value("VNTTriggerAction"));
    EXPECT_EQ(*platform::readFile(fixture("build16.xml")), before);
}

TEST(DumpArchive, DropsDuplicateButtonsSilently) {
    const ProgramRun run = vantir({str("--dump-archive"), fixture("duplicates.xml")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const auto archive = platform::readPropertyList(run.out);
    ASSERT_TRUE(archive);
    EXPECT_EQ(
        (*archive)[str("Remotes")].at(0)[str("childs")].at(0)[str("childs")].toArray()->size(), 3u);
}

TEST(DumpArchive, UnreadableFilesGiveOneLineAndStatusOne) {
    QTemporaryDir folder;
    const QString garbage = folder.path() + str("/garbage.xml");
    ASSERT_TRUE(platform::writeFileAtomically(garbage, "<plist><dict><key>Library"));
    for (const QString& path : {garbage, folder.path() + str("/missing.xml")}) {
        const ProgramRun run = vantir({str("--dump-archive"), path});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("Vantir: ")) << run.err.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(garbage)) << "a dump never moves the file";
}

TEST(CommandLine, HelpVersionAndMistakes) {
    const ProgramRun help = vantir({str("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--dump-archive <FILE>"));
    const ProgramRun version = vantir({str("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QByteArray("Vantir 0.99 beta 20 (build 30)\n"));
    for (const char* wrong : {"--dump-archive", "--frobnicate", "stray"}) {
        const ProgramRun run = vantir({str(wrong)});
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("Usage: Vantir")) << run.err.toStdString();
    }
}
