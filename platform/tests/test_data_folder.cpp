#include "platform/core/data_folder.h"

#include <QDir>

#include <gtest/gtest.h>

using platform::dataFolder;
using platform::DataFolderSources;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

DataFolderSources everything() {
    DataFolderSources sources;
    sources.xdgDataHome = str("/data/xdg");
    sources.home = str("/home/ann");
    sources.passwdHome = str("/home/ann-passwd");
    sources.runtimeDir = str("/run/user/1000");
    sources.tempDir = str("/tmp");
    sources.userId = 1000;
    return sources;
}

} // namespace

TEST(DataFolder, EachSourceIsUsedOnlyWhenTheOnesBeforeItAreMissingOrRelative) {
    DataFolderSources sources = everything();
    EXPECT_EQ(dataFolder(str("Vantir"), sources), str("/data/xdg/Vantir"));

    for (const char* unusable : {"", "relative/data"}) {
        sources = everything();
        sources.xdgDataHome = str(unusable);
        EXPECT_EQ(dataFolder(str("Vantir"), sources), str("/home/ann/.local/share/Vantir"));
        sources.home = str(unusable);
        EXPECT_EQ(dataFolder(str("Vantir"), sources), str("/home/ann-passwd/.local/share/Vantir"));
        sources.passwdHome = str(unusable);
        EXPECT_EQ(dataFolder(str("Vantir"), sources), str("/run/user/1000/Vantir"));
        sources.runtimeDir = str(unusable);
        EXPECT_EQ(dataFolder(str("Vantir"), sources), str("/tmp/Vantir-1000"))
            << "the shared temporary folder keeps users apart";
    }
}

TEST(DataFolder, TrailingSlashesDoNotDoubleUp) {
    DataFolderSources sources = everything();
    sources.xdgDataHome = str("/data/xdg/");
    EXPECT_EQ(dataFolder(str("Voltaro"), sources), str("/data/xdg/Voltaro"));
}

TEST(DataFolder, ThisProcessReadsItsEnvironment) {
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", "/elsewhere/data");
    EXPECT_EQ(dataFolder(str("Fluxen")), str("/elsewhere/data/Fluxen"));
    qputenv("XDG_DATA_HOME", "relative");
    qputenv("HOME", "/home/someone");
    EXPECT_EQ(dataFolder(str("Fluxen")), str("/home/someone/.local/share/Fluxen"));
    // Without a usable HOME the answer is still absolute and the program's own folder.
    qputenv("HOME", "");
    const QString fallback = dataFolder(str("Fluxen"));
    EXPECT_TRUE(QDir::isAbsolutePath(fallback)) << fallback.toStdString();
    EXPECT_TRUE(fallback.contains(str("Fluxen")));
    qputenv("XDG_DATA_HOME", savedData);
    qputenv("HOME", savedHome);
}
