#include "platform/core/file_io.h"
#include "platform/core/hw_root.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(FileIo, AtomicWriteCreatesFoldersAndReplacesWholeFiles) {
    QTemporaryDir dir;
    const QString path = dir.path() + str("/a/b/file.xml");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    EXPECT_EQ(readFile(path).value(), QByteArray("second"));
    EXPECT_EQ(QDir(dir.path() + str("/a/b")).entryList(QDir::Files), QStringList{str("file.xml")})
        << "no temporary files left behind";
}

TEST(FileIo, FailuresAreReportedWithThePath) {
    QTemporaryDir dir;
    auto missing = readFile(dir.path() + str("/missing"));
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(str("missing")));

    QFile blocker(dir.path() + str("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(writeFileAtomically(dir.path() + str("/file/inside"), "x"));
}

TEST(FileIo, MoveAsideKeepsTheFileUnderAFreshName) {
    QTemporaryDir dir;
    const QString path = dir.path() + str("/archive.xml");
    ASSERT_TRUE(writeFileAtomically(path, "one"));
    auto first = moveAside(path);
    ASSERT_TRUE(writeFileAtomically(path, "two"));
    auto second = moveAside(path);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(first->startsWith(path + str(".unreadable-")));
    EXPECT_EQ(readFile(*first).value(), QByteArray("one"));
    EXPECT_EQ(readFile(*second).value(), QByteArray("two"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(HardwarePath, SysProcAndDevMoveUnderHwRoot) {
    qunsetenv("HW_ROOT");
    EXPECT_EQ(hwPath(str("/sys/class/power_supply")), str("/sys/class/power_supply"));
    qputenv("HW_ROOT", "/tmp/tree/");
    EXPECT_EQ(hwPath(str("/sys/class/power_supply")), str("/tmp/tree/sys/class/power_supply"));
    EXPECT_EQ(hwPath(str("/proc/stat")), str("/tmp/tree/proc/stat"));
    EXPECT_EQ(hwPath(str("/dev/cpu/0/msr")), str("/tmp/tree/dev/cpu/0/msr"));
    EXPECT_EQ(hwPath(str("/etc/passwd")), str("/etc/passwd"));
    EXPECT_EQ(hwPath(str("/system")), str("/system"));
    qputenv("HW_ROOT", "/");
    EXPECT_EQ(hwPath(str("/proc/stat")), str("/proc/stat"));
    qunsetenv("HW_ROOT");
}

TEST(HardwareFile, QtCallersGetTheBytesOrAnErrorNamingThePath) {
    QTemporaryDir dir;
    const QString path = dir.path() + str("/capacity");
    ASSERT_TRUE(writeFileAtomically(path, "87\n"));
    EXPECT_EQ(readHardwareFile(path).value(), QByteArray("87\n"));

    auto tooLarge = readHardwareFile(path, 2);
    ASSERT_FALSE(tooLarge);
    EXPECT_TRUE(tooLarge.error().contains(path));
    auto folder = readHardwareFile(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_TRUE(folder.error().contains(str("not a regular file")));
}
