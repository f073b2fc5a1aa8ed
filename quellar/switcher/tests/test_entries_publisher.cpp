#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/switcher/linux/entries_publisher.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace quellar;
namespace fs = std::filesystem;

namespace {

std::string contentsOf(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(EntriesPublisher, PublishesEveryReadableEntryAndEachWrite) {
    char pattern[] = "/tmp/quellar-publish-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    std::string problem;
    ASSERT_TRUE(SimulatedDriverEntries::create((root / "cpu").string(), problem));
    SimulatedDriverEntries driver((root / "cpu").string());
    const std::string path = (root / "entries").string();
    EntriesPublisher publisher(driver, path.c_str());
    PublishingDriverEntries publishing(driver, publisher);

    ASSERT_TRUE(publisher.publish());
    EXPECT_EQ(contentsOf(path),
              "kern.quellar2_bus 200\nkern.quellar2_vid 12125\nkern.quellar2_temp 50\n"
              "kern.quellar2_stseax 100666368\nkern.quellar2_stsedx 789544\n");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u) << "every user reads it";

    ASSERT_TRUE(publishing.write(kControlEntry, 0x0614));
    EXPECT_EQ(contentsOf(path),
              "kern.quellar2_ctl 1556\nkern.quellar2_bus 200\nkern.quellar2_vid 9625\n"
              "kern.quellar2_temp 50\nkern.quellar2_stseax 100664832\n"
              "kern.quellar2_stsedx 789544\n");

    fs::remove(root / "cpu" / kTemperatureEntry);
    ASSERT_TRUE(publisher.publish());
    EXPECT_EQ(contentsOf(path).find("temp"), std::string::npos)
        << "an unreadable entry is left out";
    EXPECT_FALSE(fs::exists(path + ".new"));

    EntriesPublisher nowhere(driver, (root / "missing/entries").string().c_str());
    EXPECT_FALSE(nowhere.publish());
    fs::remove_all(root);
}
