#pragma once

#include <QString>

#include <string_view>

namespace vantir {

/// Whether a key capability bitmap, as sysfs writes it (hexadecimal words of the machine's
/// `long`, most significant first, separated by blanks), has the bit of `code`.
bool capabilityHasKey(std::string_view bitmap, int code);

/// What is known about one event node from sysfs.
struct InputNode {
    /// "/dev/input/eventN" as the program names it (HW_ROOT is added when it is opened).
    QString devicePath;
    /// The name of the kernel driver of the node's device ("appleir"), or empty.
    QString driver;
    /// Whether the node reports the keys every remote has (Menu, Play/Pause, Volume up and down).
    bool hasRemoteKeys = false;
};

/// Reads what sysfs says of `/dev/input/eventN`.
InputNode describeInputNode(const QString& eventName);

/// The receiver to use: the first event node driven by the infrared remote's HID driver, else
/// the first that reports the remote keys; empty when there is none.
QString findRemoteReceiver();

/// The raw report node ("/dev/hidrawN") of the infrared receiver whose event node is
/// `devicePath`, which tells which remote is used; empty for any other device, whose raw
/// reports are none of Vantir's business.
QString pairingReportNode(const QString& devicePath);

/// The folder under which event nodes appear (under HW_ROOT), watched for receivers that come
/// later.
QString inputDeviceFolder();

} // namespace vantir
