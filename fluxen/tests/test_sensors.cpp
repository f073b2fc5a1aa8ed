#include "fluxen/core/sensor_readings.h"
#include "fluxen/linux/sysfs_motion_sensor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace fluxen {
namespace {

TEST(SensorReadings, ApplesmcPositionPassesThrough) {
    const auto reading = parseApplesmcPosition("(-12,5,251)\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->x, -12);
    EXPECT_EQ(reading->y, 5);
    EXPECT_EQ(reading->z, 251);
    EXPECT_FALSE(parseApplesmcPosition("(1,2)"));
    EXPECT_FALSE(parseApplesmcPosition("1,2,3"));
    EXPECT_FALSE(parseApplesmcPosition("(1,x,3)"));
    EXPECT_FALSE(parseApplesmcPosition(""));
}

TEST(SensorReadings, HdapsPositionIsScaledToTheLibraryUnits) {
    const auto reading = parseHdapsPosition("(16,-8)\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->x, 64);
    EXPECT_EQ(reading->y, -32);
    EXPECT_EQ(reading->z, 0);
    EXPECT_FALSE(parseHdapsPosition("(1,2,3)"));
}

TEST(SensorReadings, IioAccelerationOfOneGIsAbout256) {
    EXPECT_EQ(parseIioNumber("0.009806650\n"), 0.00980665);
    EXPECT_FALSE(parseIioNumber("abc"));
    EXPECT_FALSE(parseIioNumber("inf"));
    EXPECT_EQ(iioToSensorUnits(1000, 0, 0.00980665), 256);
    EXPECT_EQ(iioToSensorUnits(-500, 0, 0.00980665), -128);
    EXPECT_EQ(iioToSensorUnits(10, -10, 5.0), 0);
}

// Real backend on a fake hardware tree.
class SysfsSensor : public ::testing::Test {
protected:
    SysfsSensor() { qputenv("HW_ROOT", root.path().toUtf8()); }
    ~SysfsSensor() override { qunsetenv("HW_ROOT"); }

    void write(const QString& path, const QByteArray& text) {
        const QString full = root.path() + path;
        QDir().mkpath(full.section(QLatin1Char('/'), 0, -2));
        QFile file(full);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    std::array<int, 3> read(int type) {
        std::array<int, 3> values{-1, -1, -1};
        EXPECT_TRUE(sensor.read_sms_raw(type, &values[0], &values[1], &values[2]));
        return values;
    }

    QTemporaryDir root;
    SysfsMotionSensor sensor;
};

TEST_F(SysfsSensor, NoSensorAtAll) {
    EXPECT_EQ(sensor.detect_sms(), kNoSensor);
    int x = 5, y = 5, z = 5;
    EXPECT_FALSE(sensor.read_sms_raw(kApplesmcSensor, &x, &y, &z));
    EXPECT_EQ(x, 5);
}

TEST_F(SysfsSensor, ApplesmcWinsAndFollowsTheFile) {
    write(QStringLiteral("/sys/devices/platform/hdaps/position"), "(1,1)\n");
    write(QStringLiteral("/sys/devices/platform/applesmc.768/position"), "(3,-4,250)\n");
    ASSERT_EQ(sensor.detect_sms(), kApplesmcSensor);
    EXPECT_EQ(read(kApplesmcSensor), (std::array<int, 3>{3, -4, 250}));
    write(QStringLiteral("/sys/devices/platform/applesmc.768/position"), "(120,-4,200)\n");
    EXPECT_EQ(read(kApplesmcSensor)[0], 120);
}

TEST_F(SysfsSensor, ApplesmcWithoutPositionIsNoSensor) {
    // Many machines have the SMC (fans, name) but no accelerometer.
    write(QStringLiteral("/sys/devices/platform/applesmc.768/name"), "applesmc\n");
    write(QStringLiteral("/sys/devices/platform/applesmc.768/fan1_input"), "2000\n");
    EXPECT_EQ(sensor.detect_sms(), kNoSensor);
}

TEST_F(SysfsSensor, Hdaps) {
    write(QStringLiteral("/sys/devices/platform/hdaps/position"), "(500,498)\n");
    ASSERT_EQ(sensor.detect_sms(), kHdapsSensor);
    EXPECT_EQ(read(kHdapsSensor), (std::array<int, 3>{2000, 1992, 0}));
}

TEST_F(SysfsSensor, IioWithSharedOrOwnScale) {
    write(QStringLiteral("/sys/bus/iio/devices/iio:device0/name"), "als\n");
    const QString accel = QStringLiteral("/sys/bus/iio/devices/iio:device1/");
    write(accel + QStringLiteral("in_accel_x_raw"), "-1000\n");
    write(accel + QStringLiteral("in_accel_y_raw"), "20\n");
    write(accel + QStringLiteral("in_accel_scale"), "0.009806650\n");
    ASSERT_EQ(sensor.detect_sms(), kIioSensor);
    EXPECT_EQ(read(kIioSensor), (std::array<int, 3>{-256, 5, 0}));
    write(accel + QStringLiteral("in_accel_x_scale"), "0.019613300\n");
    EXPECT_EQ(read(kIioSensor)[0], -512);
    // A broken reading is a failed read, not a zero tilt.
    write(accel + QStringLiteral("in_accel_x_raw"), "garbage\n");
    int x = 7, y = 7, z = 7;
    EXPECT_FALSE(sensor.read_sms_raw(kIioSensor, &x, &y, &z));
    EXPECT_EQ(x, 7);
}

} // namespace
} // namespace fluxen
