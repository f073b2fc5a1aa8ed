// The Linux receiver: finding it on a fake sysfs tree, and reading input event records from a
// FIFO and a regular file as from a receiver, with the hold threshold on the virtual clock.

#include "platform/testing/manual_clock.h"
#include "platform/testing/wait.h"
#include "vantir/linux/evdev_remote_device.h"
#include "vantir/linux/receiver_discovery.h"
#include "vantir/tests/recording_remote_delegate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantir;
using platform::doubles::waitUntil;

namespace {

QByteArray record(int type, int code, int value) {
    input_event event{};
    event.type = std::uint16_t(type);
    event.code = std::uint16_t(code);
    event.value = value;
    return QByteArray(reinterpret_cast<const char*>(&event), sizeof event);
}

QByteArray key(int code, int value) {
    return record(EV_KEY, code, value) + record(EV_SYN, SYN_REPORT, 0);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A key bitmap as sysfs writes it on a 64-bit machine: Escape and the four remote keys.
const char* const kRemoteKeys = "1000000800 c000000000000 2\n";

struct Tree {
    QTemporaryDir root;
    Tree() {
        qputenv("HW_ROOT", root.path().toUtf8());
        QDir().mkpath(root.path() + QStringLiteral("/dev/input"));
    }
    ~Tree() { qunsetenv("HW_ROOT"); }
    void node(const QString& name, const char* keys, const QString& driver = {}) {
        const QString sys = root.path() + QStringLiteral("/sys/class/input/") + name;
        writeFile(sys + QStringLiteral("/device/capabilities/key"), keys);
        QDir().mkpath(sys + QStringLiteral("/device/device"));
        if (!driver.isEmpty()) {
            const QString target = root.path() + QStringLiteral("/sys/bus/hid/drivers/") + driver;
            QDir().mkpath(target);
            QFile::link(target, sys + QStringLiteral("/device/device/driver"));
        }
        // As udev does, the node comes once sysfs describes it.
        writeFile(root.path() + QStringLiteral("/dev/input/") + name, {});
    }
    // A raw report node of the HID device below the event node `eventName`.
    void rawNode(const QString& name, const QString& eventName) {
        const QString sys = root.path() + QStringLiteral("/sys/class/hidraw/") + name;
        QDir().mkpath(sys);
        QFile::link(root.path() +
                        QStringLiteral("/sys/class/input/%1/device/device").arg(eventName),
                    sys + QStringLiteral("/device"));
    }
};

// A device with the hold threshold at 0.5 s on a manual clock, made by each test on what it
// reads.
class EvdevRemoteDeviceTest : public ::testing::Test {
protected:
    EvdevRemoteDevice& deviceOn(const QString& path) {
        return device.emplace(
            &recorder, clock, [] { return 0.5; }, path);
    }
    // A FIFO in the test's folder.
    QString makeFifo() {
        const QString fifo = folder.path() + QStringLiteral("/remote");
        EXPECT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        return fifo;
    }

    QTemporaryDir folder;
    platform::doubles::ManualClock clock;
    RecordingRemoteDelegate recorder;
    std::optional<EvdevRemoteDevice> device;
};

} // namespace

TEST(KeyCapabilities, ReadsBitsAcrossWords) {
    EXPECT_TRUE(capabilityHasKey(kRemoteKeys, KEY_MENU));
    EXPECT_TRUE(capabilityHasKey(kRemoteKeys, KEY_PLAYPAUSE));
    EXPECT_TRUE(capabilityHasKey(kRemoteKeys, KEY_VOLUMEUP));
    EXPECT_TRUE(capabilityHasKey(kRemoteKeys, KEY_VOLUMEDOWN));
    EXPECT_TRUE(capabilityHasKey(kRemoteKeys, KEY_ESC));
    EXPECT_FALSE(capabilityHasKey(kRemoteKeys, KEY_RESERVED));
    EXPECT_FALSE(capabilityHasKey(kRemoteKeys, KEY_MAX));
    EXPECT_FALSE(capabilityHasKey("", KEY_MENU));
    EXPECT_FALSE(capabilityHasKey("zz qq", 1));
    EXPECT_TRUE(capabilityHasKey("2", 1));
}

TEST(Discovery, PrefersTheInfraredDriverThenAnyNodeWithTheRemoteKeys) {
    Tree tree;
    EXPECT_EQ(findRemoteReceiver(), QString());
    tree.node(QStringLiteral("event2"), "0\n");
    tree.node(QStringLiteral("event10"), kRemoteKeys);
    tree.node(QStringLiteral("event9"), kRemoteKeys);
    EXPECT_EQ(findRemoteReceiver(), QStringLiteral("/dev/input/event9"));
    tree.node(QStringLiteral("event11"), "0\n", QStringLiteral("appleir"));
    EXPECT_EQ(describeInputNode(QStringLiteral("event11")).driver, QStringLiteral("appleir"));
    EXPECT_EQ(findRemoteReceiver(), QStringLiteral("/dev/input/event11"));
}

TEST(Discovery, OnlyTheInfraredReceiverHasItsRawReportsRead) {
    Tree tree;
    tree.node(QStringLiteral("event3"), kRemoteKeys);
    tree.node(QStringLiteral("event4"), "0\n", QStringLiteral("appleir"));
    EXPECT_EQ(pairingReportNode(QStringLiteral("/dev/input/event4")), QString());
    tree.rawNode(QStringLiteral("hidraw0"), QStringLiteral("event3"));
    tree.rawNode(QStringLiteral("hidraw2"), QStringLiteral("event4"));
    EXPECT_EQ(pairingReportNode(QStringLiteral("/dev/input/event4")),
              QStringLiteral("/dev/hidraw2"));
    // A media remote's raw reports are its own business; a FIFO has none.
    EXPECT_EQ(pairingReportNode(QStringLiteral("/dev/input/event3")), QString());
    EXPECT_EQ(pairingReportNode(QStringLiteral("/tmp/remote.fifo")), QString());
}

TEST(EvdevKeys, MapToTheRemotesButtons) {
    EXPECT_EQ(receiverKeyForCode(KEY_VOLUMEUP), ReceiverKey::Plus);
    EXPECT_EQ(receiverKeyForCode(KEY_VOLUMEDOWN), ReceiverKey::Minus);
    EXPECT_EQ(receiverKeyForCode(KEY_MENU), ReceiverKey::Menu);
    for (int code : {KEY_PLAYPAUSE, KEY_PLAY, KEY_ENTER})
        EXPECT_EQ(receiverKeyForCode(code), ReceiverKey::Play);
    for (int code : {KEY_FORWARD, KEY_NEXTSONG, KEY_RIGHT})
        EXPECT_EQ(receiverKeyForCode(code), ReceiverKey::Right);
    for (int code : {KEY_BACK, KEY_PREVIOUSSONG, KEY_LEFT})
        EXPECT_EQ(receiverKeyForCode(code), ReceiverKey::Left);
    EXPECT_EQ(receiverKeyForCode(KEY_A), std::nullopt);
}

TEST_F(EvdevRemoteDeviceTest, ReadsRecordsFromAFifoWithHoldsOnTheClock) {
    const QString fifo = makeFifo();
    EvdevRemoteDevice& device = deviceOn(fifo);
    device.startListening();
    ASSERT_TRUE(device.isListeningToRemote());
    EXPECT_EQ(device.openPath(), fifo);

    const int writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
    ASSERT_GE(writer, 0);
    auto send = [&](const QByteArray& bytes) {
        ASSERT_EQ(::write(writer, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    };
    // A click of Play: nothing at key-down, the press at key-up. Auto-repeats, unknown keys and
    // other event types change nothing.
    send(key(KEY_PLAYPAUSE, 1) + key(KEY_PLAYPAUSE, 2) + key(KEY_A, 1) + record(EV_REL, REL_X, 3) +
         key(KEY_PLAYPAUSE, 0));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 1; }));
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonPlay), true));

    // A record cut in two is read once whole.
    const QByteArray down = key(KEY_VOLUMEUP, 1);
    send(down.left(5));
    send(down.mid(5));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 2; }));
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonPlus), true));
    send(key(KEY_VOLUMEUP, 0));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 3; }));
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonPlus), false));

    // Right held past the threshold is a Right hold, released at key-up.
    send(key(KEY_RIGHT, 1));
    ASSERT_TRUE(waitUntil([&] { return clock.pendingTimers() == 1; }));
    clock.advance(0.5);
    ASSERT_EQ(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonRightHold), true));
    send(key(KEY_RIGHT, 0));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 5; }));
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonRightHold), false));

    // The writer going away does not end the reading: the next writer is heard too.
    ::close(writer);
    const int second = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
    const QByteArray menu = key(KEY_MENU, 1) + key(KEY_MENU, 0);
    ASSERT_EQ(::write(second, menu.constData(), std::size_t(menu.size())), menu.size());
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 6; }));
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonMenu), true));
    ::close(second);

    device.stopListening();
    EXPECT_FALSE(device.isListeningToRemote());
}

TEST_F(EvdevRemoteDeviceTest, StoppingDuringAHoldReleasesItAndLeavesNoTimer) {
    const QString file = folder.path() + QStringLiteral("/events");
    // Garbage first: a record of nonsense type and a truncated tail are passed over.
    writeFile(file, record(0x7f, 0xffff, 12345) + key(KEY_LEFT, 1) + QByteArray("abc"));
    EvdevRemoteDevice& device = deviceOn(file);
    device.startListening();
    ASSERT_TRUE(device.isListeningToRemote());
    clock.advance(0.6);
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonLeftHold), true));
    device.stopListening();
    EXPECT_EQ(recorder.events.back(), std::make_pair(int(kRemoteButtonLeftHold), false));
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST_F(EvdevRemoteDeviceTest, WaitsForAReceiverThatIsNotThereYet) {
    Tree tree;
    EvdevRemoteDevice& device = deviceOn({});
    device.startListening();
    EXPECT_FALSE(device.isListeningToRemote());
    EXPECT_TRUE(device.isAwaitingRemote());
    // A node that appears later is taken as the receiver. (A regular file stands in for it.)
    tree.node(QStringLiteral("event4"), kRemoteKeys);
    ASSERT_TRUE(waitUntil([&] { return device.isListeningToRemote(); }));
    EXPECT_EQ(device.openPath(), QStringLiteral("/dev/input/event4"));
    device.stopListening();
    EXPECT_FALSE(device.isAwaitingRemote());
}

TEST_F(EvdevRemoteDeviceTest, AFloodOfEventsIsReadWholeWithoutLosingAny) {
    const QString fifo = makeFifo();
    EvdevRemoteDevice& device = deviceOn(fifo);
    device.startListening();
    const int writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    constexpr int presses = 3000;
    QByteArray stream;
    for (int i = 0; i < presses; ++i)
        stream += key(KEY_VOLUMEDOWN, 1) + key(KEY_VOLUMEDOWN, 0);
    // More than the FIFO holds: write what fits, let the device read, go on.
    qsizetype written = 0;
    ASSERT_TRUE(waitUntil([&] {
        const ssize_t n =
            ::write(writer, stream.constData() + written, std::size_t(stream.size() - written));
        if (n > 0)
            written += n;
        return written == stream.size();
    }));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() == 2 * presses; }));
    for (int i = 0; i < 2 * presses; ++i)
        ASSERT_EQ(recorder.events[std::size_t(i)],
                  std::make_pair(int(kRemoteButtonMinus), i % 2 == 0));
    ::close(writer);
}

TEST_F(EvdevRemoteDeviceTest, ADeviceThatIsNoInputDeviceIsRefusedWithoutHarm) {
    EvdevRemoteDevice& device = deviceOn(QStringLiteral("/dev/null"));
    device.startListening();
    EXPECT_FALSE(device.isListeningToRemote());
    EXPECT_TRUE(device.isAwaitingRemote());
    device.stopListening();
    EXPECT_FALSE(device.isAwaitingRemote());
    EXPECT_TRUE(recorder.events.empty());
}
