#include "quellar/common/core/simulated_driver_entries.h"
#include "quellar/controller/linux/user_readings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quellar;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(UserDriverEntries, ReadsWhatTheDaemonPublishesWhileItIsFresh) {
    QTemporaryDir folder;
    const QString published = folder.filePath(QStringLiteral("entries"));
    UserDriverEntries entries(nullptr, false, published);
    std::int32_t value = 7;
    EXPECT_FALSE(entries.read(kBusEntry, value)) << "no daemon";

    writeFile(published, "kern.quellar2_ctl 1556\nkern.quellar2_bus 200\nkern.quellar2_temp x\n");
    EXPECT_TRUE(entries.read(kBusEntry, value));
    EXPECT_EQ(value, 200);
    EXPECT_FALSE(entries.read(kTemperatureEntry, value)) << "garbage is no value";
    EXPECT_FALSE(entries.read(kVoltageEntry, value));
    EXPECT_EQ(value, 200);
    EXPECT_FALSE(entries.write(kControlEntry, 1));

    QFile file(published);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_FALSE(entries.read(kBusEntry, value)) << "a stale file is a stopped daemon";
}

TEST(UserDriverEntries, UsableRegistersComeFirst) {
    QTemporaryDir folder;
    std::string problem;
    ASSERT_TRUE(SimulatedDriverEntries::create(folder.filePath(QStringLiteral("cpu")).toStdString(),
                                               problem));
    UserDriverEntries entries(std::make_unique<SimulatedDriverEntries>(
                                  folder.filePath(QStringLiteral("cpu")).toStdString()),
                              true, folder.filePath(QStringLiteral("none")));
    std::int32_t value = 0;
    EXPECT_TRUE(entries.read(kTemperatureEntry, value));
    EXPECT_EQ(value, 50);
}

TEST(KernelReadings, CpufreqAndHwmonUnderHwRoot) {
    QTemporaryDir root;
    qputenv("HW_ROOT", root.path().toLocal8Bit());
    KernelReadings kernel;
    EXPECT_FALSE(kernel.megahertz());
    EXPECT_FALSE(kernel.celsius());
    writeFile(root.filePath(QStringLiteral("sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq")),
              "1596000\n");
    writeFile(root.filePath(QStringLiteral("sys/class/thermal/thermal_zone0/temp")), "40000\n");
    EXPECT_EQ(kernel.megahertz(), 1596);
    EXPECT_EQ(kernel.celsius(), 40);
    writeFile(root.filePath(QStringLiteral("sys/class/hwmon/hwmon0/name")), "acpitz\n");
    writeFile(root.filePath(QStringLiteral("sys/class/hwmon/hwmon0/temp1_input")), "30000\n");
    writeFile(root.filePath(QStringLiteral("sys/class/hwmon/hwmon1/name")), "coretemp\n");
    writeFile(root.filePath(QStringLiteral("sys/class/hwmon/hwmon1/temp1_input")), "61000\n");
    EXPECT_EQ(kernel.celsius(), 61);
    qunsetenv("HW_ROOT");
}
