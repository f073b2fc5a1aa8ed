#include "quellar/common/core/sysfs_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

using quellar::parseLeadingInteger;

TEST(ParseLeadingInteger, ReadsTheLeadingNumberAndIgnoresTheRest) {
    EXPECT_EQ(parseLeadingInteger("55000\n"), 55000);
    EXPECT_EQ(parseLeadingInteger("  -12 degrees"), -12);
    EXPECT_EQ(parseLeadingInteger("+7"), 7);
    EXPECT_EQ(parseLeadingInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseLeadingInteger("-9223372036854775808"), INT64_MIN);
}

TEST(ParseLeadingInteger, GarbageAndOverflowAreNoNumber) {
    for (const char* text :
         {"", "\n", "abc", "-", "+x", "9223372036854775808", "99999999999999999999999"})
        EXPECT_FALSE(parseLeadingInteger(text)) << text;
}

TEST(KeptFile, FollowsAFileReplacedInPlaceOrByRenameAndOneThatAppearsLater) {
    char pattern[] = "/tmp/quellar-kept-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    const std::string path = folder + "/value";
    quellar::KeptFile file(path);
    EXPECT_FALSE(file.readInteger()) << "not there yet";

    std::ofstream(path) << "1\n";
    EXPECT_EQ(file.readInteger(), 1);
    std::ofstream(path, std::ios::trunc) << "22\n";
    EXPECT_EQ(file.readInteger(), 22) << "rewritten in place";
    std::ofstream(path + ".new") << "333\n";
    std::rename((path + ".new").c_str(), path.c_str());
    EXPECT_EQ(file.readInteger(), 333) << "renamed over";
    std::filesystem::remove_all(folder);
}

// A FIFO or a folder where a kernel file should be must not hang the daemon or be read as one.
TEST(KeptFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
    char pattern[] = "/tmp/quellar-kept-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    const std::string fifo = folder + "/stat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    char buffer[16];
    EXPECT_FALSE(quellar::readHead(fifo.c_str(), buffer, sizeof buffer));
    EXPECT_FALSE(quellar::readIntegerFile(fifo.c_str()));
    EXPECT_FALSE(quellar::KeptFile(fifo).read(buffer, sizeof buffer));
    EXPECT_FALSE(quellar::readIntegerFile(folder.c_str()));
    std::filesystem::remove_all(folder);
}
