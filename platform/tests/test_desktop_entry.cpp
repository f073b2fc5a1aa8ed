#include "platform/core/desktop_entry.h"
#include "platform/core/file_io.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace platform {
namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

TEST(DesktopEntry, ReadsTheEntryGroupOnly) {
    const auto entry = parseDesktopEntry("# comment\n[Desktop Entry]\nType=Application\n"
                                         "Name=Text Editor\nName[de]=Texteditor\n"
                                         "Exec=editor %F\nStartupWMClass=Editor\n"
                                         "[Desktop Action new]\nExec=editor --new\nHidden=true\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, str("Application"));
    EXPECT_EQ(entry->name, str("Text Editor"));
    EXPECT_EQ(entry->exec, str("editor %F"));
    EXPECT_EQ(entry->startupWMClass, str("Editor"));
    EXPECT_FALSE(entry->hidden);
}

TEST(DesktopEntry, TextWithoutTheGroupIsNoEntry) {
    EXPECT_FALSE(parseDesktopEntry("Exec=rm -rf /\n"));
    EXPECT_FALSE(parseDesktopEntry(""));
    EXPECT_FALSE(parseDesktopEntry(QByteArray("\0\xff\xfe[", 4)));
}

TEST(DesktopEntry, ExecIsSplitUnquotedAndLosesItsFieldCodes) {
    EXPECT_EQ(execArguments(str("editor %U --name=%c")),
              (QStringList{str("editor"), str("--name=")}));
    EXPECT_EQ(execArguments(str("sh -c \"echo \\\"a b\\\" 100%%\"")),
              (QStringList{str("sh"), str("-c"), str("echo \"a b\" 100%")}));
    EXPECT_EQ(execArguments(str("  spaced   out  ")), (QStringList{str("spaced"), str("out")}));
    EXPECT_TRUE(execArguments(str("sh -c \"unterminated")).isEmpty());
    EXPECT_TRUE(execArguments(str("")).isEmpty());
}

TEST(DesktopEntry, FindsByWindowClassThenFileNameThenCommand) {
    QTemporaryDir home;
    const QString applications = home.path() + str("/applications");
    QDir().mkpath(applications + str("/sub"));
    const auto write = [&](const char* file, const char* text) {
        ASSERT_TRUE(writeFileAtomically(applications + str(file), QByteArray(text)));
    };
    write("/player.desktop", "[Desktop Entry]\nType=Application\nExec=player\n");
    write("/sub/media.desktop",
          "[Desktop Entry]\nType=Application\nExec=/usr/bin/mplay\nStartupWMClass=Player\n");
    write("/gone.desktop", "[Desktop Entry]\nType=Application\nExec=gone\nHidden=true\n");
    write("/link.desktop", "[Desktop Entry]\nType=Link\nExec=link\n");
    write("/broken.desktop", "not an entry");
    const QStringList folders{applications, home.path() + str("/missing")};

    EXPECT_EQ(findDesktopEntry(str("player"), folders), applications + str("/sub/media.desktop"));
    EXPECT_EQ(findDesktopEntry(str("MPLAY"), folders), applications + str("/sub/media.desktop"));
    EXPECT_EQ(findDesktopEntry(str("media"), folders), applications + str("/sub/media.desktop"));
    EXPECT_TRUE(findDesktopEntry(str("gone"), folders).isEmpty());
    EXPECT_TRUE(findDesktopEntry(str("link"), folders).isEmpty());
    EXPECT_TRUE(findDesktopEntry(str(""), folders).isEmpty());
}

} // namespace
} // namespace platform
