#include "platform/core/hw_file.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using platform::HardwareFile;
using platform::readHardwareFile;

namespace {

// A fresh folder under the temporary directory, removed with everything in it afterwards.
class HardwareFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/hw-file-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + m_folder + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    std::string write(const std::string& name, const std::string& content) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string path(const std::string& name) const { return m_folder + "/" + name; }

private:
    std::string m_folder;
};

} // namespace

TEST_F(HardwareFileTest, RegularFilesAreReadWholeUpToTheCap) {
    const HardwareFile attribute = readHardwareFile(write("energy_full", "57000000\n"));
    ASSERT_TRUE(attribute.ok()) << attribute.message();
    EXPECT_EQ(attribute.content, "57000000\n");
    EXPECT_TRUE(attribute.message().empty());

    const HardwareFile empty = readHardwareFile(write("empty", ""));
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.content, "");

    // Longer than one read, and exactly at the cap.
    const std::string large(10000, 'x');
    const HardwareFile atCap = readHardwareFile(write("large", large), large.size());
    ASSERT_TRUE(atCap.ok()) << atCap.message();
    EXPECT_EQ(atCap.content, large);
}

TEST_F(HardwareFileTest, FilesOverTheCapAreRefusedNotCut) {
    const HardwareFile over = readHardwareFile(write("large", std::string(10001, 'x')), 10000);
    EXPECT_EQ(over.failure, HardwareFile::Failure::TooLarge);
    EXPECT_TRUE(over.content.empty());
    EXPECT_NE(over.message().find("large"), std::string::npos);
}

TEST_F(HardwareFileTest, AFifoIsRefusedAtOnceInsteadOfWaitingForAWriter) {
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A blocking open or read would hang here, and the test would time out.
    const HardwareFile answer = readHardwareFile(fifo);
    EXPECT_EQ(answer.failure, HardwareFile::Failure::NotRegular);
    EXPECT_NE(answer.message().find(fifo), std::string::npos);
}

TEST_F(HardwareFileTest, FoldersDevicesAndMissingFilesAreErrorsWithThePath) {
    const HardwareFile folder = readHardwareFile(path(""));
    EXPECT_EQ(folder.failure, HardwareFile::Failure::NotRegular);
    EXPECT_EQ(folder.error, EISDIR);

    const HardwareFile device = readHardwareFile("/dev/zero");
    EXPECT_EQ(device.failure, HardwareFile::Failure::NotRegular);

    const HardwareFile missing = readHardwareFile(path("missing"));
    EXPECT_EQ(missing.failure, HardwareFile::Failure::Open);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_NE(missing.message().find("missing"), std::string::npos);
    EXPECT_NE(missing.message().find("No such file"), std::string::npos);
}

TEST_F(HardwareFileTest, UnreadableFilesReportTheSystemError) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    const std::string secret = write("secret", "serial");
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    const HardwareFile answer = readHardwareFile(secret);
    EXPECT_EQ(answer.failure, HardwareFile::Failure::Open);
    EXPECT_EQ(answer.error, EACCES);
}

TEST_F(HardwareFileTest, OpeningForAReaderOfItsOwnRefusesWhatReadingRefuses) {
    const int regular = platform::openHardwareFile(write("online", "1\n").c_str());
    ASSERT_GE(regular, 0);
    char buffer[8];
    EXPECT_EQ(::pread(regular, buffer, sizeof buffer, 0), 2);
    ::close(regular);

    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    errno = 0;
    EXPECT_EQ(platform::openHardwareFile(fifo.c_str()), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(platform::openHardwareFile(path("").c_str()), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(platform::openHardwareFile(path("missing").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
}
