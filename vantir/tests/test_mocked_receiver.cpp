// The receiver as the kernel presents it, mocked in-process with umockdev (the test runs under
// umockdev-wrapper): the HID device with its driver, an event node that answers libevdev's
// ioctls and refuses the grab while another program holds the receiver, and the raw report
// node that names the remote. Discovery, the grab and the remote's ID go through the same
// system calls as on a real machine.

#include "platform/testing/local_distributed_notification_center.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/wait.h"
#include "vantir/linux/evdev_remote_device.h"
#include "vantir/linux/receiver_discovery.h"
#include "vantir/tests/recording_remote_delegate.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <string>
#include <umockdev.h>
#include <unistd.h>
#include <vector>

using namespace vantir;
using platform::doubles::waitUntil;

namespace {

// The sysfs paths and device nodes of one plugging of the receiver. Plugged in again, it gets
// new numbers. The raw node's number is one no real machine is likely to have, as a node
// missing from the testbed is looked up on the machine.
struct ReceiverNames {
    explicit ReceiverNames(int plugging)
        : hid("/devices/usb1/1-2/1-2:1.0/0003:05AC:8242.000" + std::to_string(plugging)),
          input(hid + "/input/input" + std::to_string(plugging + 4)),
          event(input + "/event" + std::to_string(plugging + 4)),
          raw(hid + "/hidraw/hidraw" + std::to_string(plugging + 40)),
          eventNode("/dev/input/event" + std::to_string(plugging + 4)),
          reportNode("/dev/hidraw" + std::to_string(plugging + 40)) {}
    std::string hid, input, event, raw, eventNode, reportNode;

    // As a real machine describes the receiver: the HID device bound to the infrared driver,
    // its input device and event node, and its raw report node.
    std::string tree() const {
        const auto name = [](const std::string& path) {
            return path.substr(path.rfind('/') + 1);
        };
        const std::string node = eventNode.substr(5);
        const std::string rawNode = reportNode.substr(5);
        return "P: " + hid + "\nE: SUBSYSTEM=hid\nE: DRIVER=appleir\n" +
               "L: driver=../../../../../bus/hid/drivers/appleir\n\n" + //
               "P: " + input + "\nE: SUBSYSTEM=input\nA: capabilities/key=0\n" +
               "L: device=../../../" + name(hid) + "\n\n" + //
               "P: " + event + "\nN: " + node + "\nE: SUBSYSTEM=input\nE: DEVNAME=" + node +
               "\nL: device=../../" + name(input) + "\n\n" + //
               "P: " + raw + "\nN: " + rawNode + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=" + rawNode +
               "\nL: device=../../../" + name(hid) + "\n";
    }
};

// What the event node has been asked; written on umockdev's worker thread.
struct EventNodeState {
    std::atomic<bool> heldElsewhere{false};
    std::atomic<int> grabs{0};
    std::atomic<int> refusedGrabs{0};
    std::atomic<int> releases{0};
    std::atomic<int> unknownRequests{0};
    // Reads fail as they do once the receiver is unplugged.
    std::atomic<bool> unplugged{false};
};

void setBit(std::vector<unsigned char>& bits, int bit) {
    if (std::size_t(bit / 8) < bits.size())
        bits[std::size_t(bit / 8)] |= static_cast<unsigned char>(1u << (bit % 8));
}

// The evdev requests libevdev makes when it opens a node, answered as the receiver's kernel
// driver would: a key device with the remote's keys.
gboolean answerEvdevRequest(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    auto& node = *static_cast<EventNodeState*>(data);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    if (request == EVIOCGRAB) {
        guint8* value = nullptr;
        gint length = 0;
        umockdev_ioctl_data_retrieve(argument, &value, &length);
        const bool grab = length > 0 && value[0] != 0;
        g_free(value);
        if (grab && node.heldElsewhere) {
            ++node.refusedGrabs;
            umockdev_ioctl_client_complete(client, -1, EBUSY);
            return TRUE;
        }
        ++(grab ? node.grabs : node.releases);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    const unsigned number = _IOC_NR(request);
    const std::size_t size = _IOC_SIZE(request);
    if (_IOC_TYPE(request) != 'E' || _IOC_DIR(request) != _IOC_READ || size == 0) {
        ++node.unknownRequests;
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
    std::vector<unsigned char> reply(size, 0);
    long result = long(size);
    if (request == EVIOCGVERSION) {
        const int version = EV_VERSION;
        std::memcpy(reply.data(), &version, sizeof version);
        result = 0;
    } else if (request == EVIOCGID) {
        const input_id id{BUS_USB, 0x05ac, 0x8242, 0x0111};
        std::memcpy(reply.data(), &id, sizeof id);
        result = 0;
    } else if (number == _IOC_NR(EVIOCGNAME(0))) {
        const char name[] = "Infrared receiver";
        std::memcpy(reply.data(), name, std::min(size, sizeof name));
        result = long(std::min(size, sizeof name));
    } else if (number == _IOC_NR(EVIOCGPHYS(0)) || number == _IOC_NR(EVIOCGUNIQ(0))) {
        umockdev_ioctl_client_complete(client, -1, ENOENT);
        return TRUE;
    } else if (number == _IOC_NR(EVIOCGBIT(0, 0))) {
        setBit(reply, EV_SYN);
        setBit(reply, EV_KEY);
    } else if (number == _IOC_NR(EVIOCGBIT(EV_KEY, 0))) {
        for (int key : {KEY_ENTER, KEY_MENU, KEY_PLAYPAUSE, KEY_VOLUMEUP, KEY_VOLUMEDOWN,
                        KEY_NEXTSONG, KEY_PREVIOUSSONG})
            setBit(reply, key);
    } else if (number > _IOC_NR(EVIOCGBIT(0, 0)) && number <= _IOC_NR(EVIOCGBIT(EV_MAX, 0))) {
        // No other event types: empty bitmaps.
    } else if (number == _IOC_NR(EVIOCGPROP(0)) || number == _IOC_NR(EVIOCGKEY(0)) ||
               number == _IOC_NR(EVIOCGLED(0)) || number == _IOC_NR(EVIOCGSND(0)) ||
               number == _IOC_NR(EVIOCGSW(0))) {
        // No properties, and nothing pressed, lit or switched.
    } else {
        ++node.unknownRequests;
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(argument, 0, size, nullptr);
    if (!buffer) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return TRUE;
    }
    umockdev_ioctl_data_update(buffer, 0, reply.data(), gint(size));
    g_object_unref(buffer);
    umockdev_ioctl_client_complete(client, result, 0);
    return TRUE;
}

gboolean answerRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    if (!static_cast<EventNodeState*>(data)->unplugged)
        return FALSE;
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return TRUE;
}

// The mocked receiver for one test; its input is written from the device side of each node.
struct MockedReceiver {
    UMockdevTestbed* testbed = umockdev_testbed_new();
    UMockdevIoctlBase* evdevRequests = umockdev_ioctl_base_new();
    EventNodeState eventNode;
    int plugging = 0;
    ReceiverNames names{0};

    MockedReceiver() {
        if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("umockdev")))
            ADD_FAILURE() << "run this test under umockdev-wrapper, as ctest does";
        g_signal_connect(evdevRequests, "handle-ioctl", G_CALLBACK(answerEvdevRequest), &eventNode);
        g_signal_connect(evdevRequests, "handle-read", G_CALLBACK(answerRead), &eventNode);
        plugIn();
        // The driver's folder, so that the device's driver link leads somewhere.
        gchar* sys = umockdev_testbed_get_sys_dir(testbed);
        QDir().mkpath(QString::fromUtf8(sys) + QStringLiteral("/bus/hid/drivers/appleir"));
        g_free(sys);
        qunsetenv("HW_ROOT");
    }
    ~MockedReceiver() {
        g_object_unref(evdevRequests);
        g_object_unref(testbed);
    }
    MockedReceiver(const MockedReceiver&) = delete;
    MockedReceiver& operator=(const MockedReceiver&) = delete;

    void plugIn() {
        names = ReceiverNames(++plugging);
        eventNode.unplugged = false;
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(testbed, names.tree().c_str(), &error))
            ADD_FAILURE() << "cannot build the receiver: " << error->message;
        g_clear_error(&error);
        if (!umockdev_testbed_attach_ioctl(testbed, names.eventNode.c_str(), evdevRequests, &error))
            ADD_FAILURE() << "cannot answer the event node's requests: " << error->message;
        g_clear_error(&error);
    }
    // Reads fail first, as they do once the receiver is pulled out; then the nodes go.
    void unplug() {
        eventNode.unplugged = true;
        keys({{KEY_RESERVED, 0}});
    }
    void removeNodes() {
        umockdev_testbed_detach_ioctl(testbed, names.eventNode.c_str(), nullptr);
        for (const std::string& device : {names.event, names.input, names.raw, names.hid})
            umockdev_testbed_remove_device(testbed, ("/sys" + device).c_str());
        // The testbed leaves the nodes themselves behind.
        for (const std::string& node : {names.eventNode, names.reportNode})
            ::unlink(pathInTestbed(node).c_str());
    }
    std::string pathInTestbed(const std::string& path) const {
        gchar* root = umockdev_testbed_get_root_dir(testbed);
        const std::string inTestbed = root + path;
        g_free(root);
        return inTestbed;
    }

    void send(const char* node, const void* bytes, std::size_t size) {
        const int fd = umockdev_testbed_get_dev_fd(testbed, node);
        ASSERT_GE(fd, 0) << node;
        ASSERT_EQ(::write(fd, bytes, size), ssize_t(size));
    }
    void keys(std::initializer_list<std::pair<int, int>> codesAndValues) {
        std::vector<input_event> events;
        for (const auto& [code, value] : codesAndValues) {
            events.push_back({{}, EV_KEY, std::uint16_t(code), value});
            events.push_back({{}, EV_SYN, SYN_REPORT, 0});
        }
        send(names.eventNode.c_str(), events.data(), events.size() * sizeof(input_event));
    }
    void report(std::initializer_list<unsigned char> bytes) {
        const std::vector<unsigned char> report(bytes);
        send(names.reportNode.c_str(), report.data(), report.size());
    }
};

using Events = RecordingRemoteDelegate::Events;

struct Fixture {
    MockedReceiver receiver;
    platform::doubles::ManualClock clock;
    platform::doubles::LocalDistributedNotificationCenter center;
    RecordingRemoteDelegate recorder;
    // Empty path: the device finds the receiver itself.
    EvdevRemoteDevice device{&recorder, clock, [] { return 0.5; }, QString(),
                             RemoteSharing{&center, QStringLiteral("org.notebooksuite.Vantir")}};
};

} // namespace

TEST(MockedReceiver, IsFoundThroughSysfsWithItsRawReportNode) {
    MockedReceiver receiver;
    EXPECT_EQ(describeInputNode(QStringLiteral("event5")).driver, QStringLiteral("appleir"));
    EXPECT_EQ(findRemoteReceiver(), QStringLiteral("/dev/input/event5"));
    EXPECT_EQ(pairingReportNode(QStringLiteral("/dev/input/event5")),
              QStringLiteral("/dev/hidraw41"));
}

TEST(MockedReceiver, IsGrabbedWhileListeningAndNamesTheRemoteThatIsUsed) {
    Fixture f;
    f.device.startListening();
    ASSERT_TRUE(f.device.isListeningToRemote());
    EXPECT_EQ(f.device.openPath(), QStringLiteral("/dev/input/event5"));
    EXPECT_EQ(f.receiver.eventNode.grabs, 1);
    EXPECT_EQ(f.receiver.eventNode.unknownRequests, 0);

    // The first report names the remote: its ID, then the switch.
    f.receiver.report({0x25, 0x87, 0xee, 0x91, 0x0a});
    ASSERT_TRUE(waitUntil([&] { return !f.recorder.remoteIDs.empty(); }));
    EXPECT_EQ(f.recorder.remoteIDs, std::vector<int>{0x91});
    EXPECT_EQ(f.recorder.events, (Events{{kRemoteControlSwitched, false}}));

    // The same remote again is no news; its press comes through the event node.
    f.receiver.report({0x25, 0x87, 0xee, 0x91, 0x0a});
    f.receiver.keys({{KEY_VOLUMEUP, 1}, {KEY_VOLUMEUP, 0}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 3; }));
    EXPECT_EQ(f.recorder.events[1], std::make_pair(int(kRemoteButtonPlus), true));
    EXPECT_EQ(f.recorder.events[2], std::make_pair(int(kRemoteButtonPlus), false));

    // Another remote, with a low battery and after a key repeat that names none.
    f.receiver.report({0x26, 0x00, 0x00, 0x00, 0x00});
    f.receiver.keys({{KEY_MENU, 1}, {KEY_MENU, 0}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 4; }));
    f.receiver.report({0x25, 0x87, 0xe0, 0x3c, 0x0a});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.remoteIDs.size() == 2; }));
    EXPECT_EQ(f.recorder.remoteIDs, (std::vector<int>{0x91, 0x3c}));
    EXPECT_EQ(f.recorder.events, (Events{{kRemoteControlSwitched, false},
                                         {kRemoteButtonPlus, true},
                                         {kRemoteButtonPlus, false},
                                         {kRemoteButtonMenu, true},
                                         {kRemoteControlSwitched, false}}));

    f.device.stopListening();
    EXPECT_FALSE(f.device.isListeningToRemote());
    EXPECT_EQ(f.receiver.eventNode.releases, 1);
    ASSERT_FALSE(f.center.posted.empty());
    EXPECT_EQ(f.center.posted.back().name, kFinishedUsingRemoteNotification);
}

TEST(MockedReceiver, HeldByAnotherProgramIsAskedForAndGrabbedWhenHandedBack) {
    Fixture f;
    f.receiver.eventNode.heldElsewhere = true;
    f.device.startListening();
    EXPECT_FALSE(f.device.isListeningToRemote());
    EXPECT_TRUE(f.device.isAwaitingRemote());
    EXPECT_EQ(f.receiver.eventNode.refusedGrabs, 1);
    ASSERT_EQ(f.center.posted.size(), 1u);
    EXPECT_EQ(f.center.posted[0].name, kRequestForRemoteNotification);
    const auto info = f.center.posted[0].userInfo.toDictionary();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at(kRemoteDeviceNameKey).toString(), QStringLiteral("AppleIRController"));

    // The other program lets go and says so.
    f.receiver.eventNode.heldElsewhere = false;
    f.center.post(kFinishedUsingRemoteNotification, {}, {});
    ASSERT_TRUE(f.device.isListeningToRemote());
    EXPECT_EQ(f.receiver.eventNode.grabs, 1);

    // A hold of Right on the virtual clock: reported at the threshold, released at key-up.
    f.receiver.keys({{KEY_NEXTSONG, 1}, {KEY_VOLUMEDOWN, 1}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 1; }));
    f.clock.advance(0.6);
    f.receiver.keys({{KEY_NEXTSONG, 0}, {KEY_VOLUMEDOWN, 0}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 4; }));
    EXPECT_EQ(f.recorder.events, (Events{{kRemoteButtonMinus, true},
                                         {kRemoteButtonRightHold, true},
                                         {kRemoteButtonRightHold, false},
                                         {kRemoteButtonMinus, false}}));
}

TEST(MockedReceiver, UnpluggedDuringAHoldEndsItAndIsOpenedAgainWhenBack) {
    Fixture f;
    f.device.startListening();
    ASSERT_TRUE(f.device.isListeningToRemote());
    f.receiver.keys({{KEY_PREVIOUSSONG, 1}, {KEY_VOLUMEUP, 1}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 1; }));
    f.clock.advance(0.6);
    ASSERT_EQ(f.recorder.events.size(), 2u);

    f.receiver.unplug();
    ASSERT_TRUE(waitUntil([&] { return !f.device.isListeningToRemote(); }));
    EXPECT_TRUE(f.device.isAwaitingRemote());
    EXPECT_EQ(f.recorder.events, (Events{{kRemoteButtonPlus, true},
                                         {kRemoteButtonLeftHold, true},
                                         {kRemoteButtonPlus, false},
                                         {kRemoteButtonLeftHold, false}}));
    // No hold runs on.
    f.clock.advance(5);
    EXPECT_EQ(f.recorder.events.size(), 4u);

    f.receiver.removeNodes();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.device.isListeningToRemote());
    f.receiver.plugIn();
    ASSERT_TRUE(waitUntil([&] { return f.device.isListeningToRemote(); }));
    EXPECT_EQ(f.device.openPath(), QStringLiteral("/dev/input/event6"));
    EXPECT_EQ(f.receiver.eventNode.grabs, 2);
    f.receiver.keys({{KEY_VOLUMEDOWN, 1}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 5; }));
    EXPECT_EQ(f.recorder.events.back(), std::make_pair(int(kRemoteButtonMinus), true));
}

TEST(MockedReceiver, ARawNodeThatComesLateIsOpenedWithTheNextKeys) {
    Fixture f;
    // udev has not made the raw node yet when the event node is opened.
    const QString node =
        QString::fromStdString(f.receiver.pathInTestbed(f.receiver.names.reportNode));
    const QString pty = QFile::symLinkTarget(node);
    ASSERT_FALSE(pty.isEmpty());
    ASSERT_TRUE(QFile::remove(node));
    f.device.startListening();
    ASSERT_TRUE(f.device.isListeningToRemote());

    ASSERT_TRUE(QFile::link(pty, node));
    f.receiver.keys({{KEY_VOLUMEUP, 1}});
    ASSERT_TRUE(waitUntil([&] { return f.recorder.events.size() == 1; }));
    f.receiver.report({0x25, 0x87, 0xee, 0x07, 0x0a});
    ASSERT_TRUE(waitUntil([&] { return !f.recorder.remoteIDs.empty(); }));
    EXPECT_EQ(f.recorder.remoteIDs, std::vector<int>{7});
}
