#include "vantir/linux/receiver_discovery.h"

#include "platform/core/hw_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <linux/input-event-codes.h>
#include <vector>

namespace vantir {

namespace {

QString hw(const QString& path) {
    return QString::fromStdString(platform::hwPath(path.toStdString()));
}

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096);
}

// Event nodes in numeric order, so that event2 comes before event10.
std::vector<QString> eventNames() {
    QStringList names = QDir(hw(QStringLiteral("/dev/input")))
                            .entryList({QStringLiteral("event*")}, QDir::System | QDir::Files);
    std::vector<QString> sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    return sorted;
}

bool isInfraredReceiverDriver(const QString& driver) {
    return driver == QLatin1String("appleir") || driver == QLatin1String("hid-appleir");
}

} // namespace

bool capabilityHasKey(std::string_view bitmap, int code) {
    constexpr int bitsPerWord = int(sizeof(long) * 8);
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < bitmap.size()) {
        while (start < bitmap.size() && (bitmap[start] == ' ' || bitmap[start] == '\n'))
            ++start;
        std::size_t end = start;
        while (end < bitmap.size() && bitmap[end] != ' ' && bitmap[end] != '\n')
            ++end;
        if (end > start)
            words.push_back(bitmap.substr(start, end - start));
        start = end;
    }
    const std::size_t index = std::size_t(code / bitsPerWord);
    if (code < 0 || index >= words.size())
        return false;
    const std::string_view word = words[words.size() - 1 - index];
    const int bit = code % bitsPerWord;
    // The bit lies in hexadecimal digit bit / 4 counted from the word's right end.
    const std::size_t digitFromRight = std::size_t(bit / 4);
    if (digitFromRight >= word.size())
        return false;
    const char c = word[word.size() - 1 - digitFromRight];
    int value = 0;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    else
        return false;
    return (value >> (bit % 4)) & 1;
}

InputNode describeInputNode(const QString& eventName) {
    InputNode node;
    node.devicePath = QStringLiteral("/dev/input/") + eventName;
    const QString sysfs = hw(QStringLiteral("/sys/class/input/") + eventName);
    // The node's device is the input device; its parent is the HID device the driver binds.
    for (const QString& link :
         {QStringLiteral("/device/device/driver"), QStringLiteral("/device/driver")}) {
        const QFileInfo driver(sysfs + link);
        if (driver.exists()) {
            node.driver = QFileInfo(driver.symLinkTarget()).fileName();
            if (node.driver.isEmpty())
                node.driver = QFileInfo(driver.canonicalFilePath()).fileName();
            break;
        }
    }
    const QByteArray keys = readSmallFile(sysfs + QStringLiteral("/device/capabilities/key"));
    const std::string_view bitmap(keys.constData(), std::size_t(keys.size()));
    node.hasRemoteKeys =
        capabilityHasKey(bitmap, KEY_MENU) && capabilityHasKey(bitmap, KEY_PLAYPAUSE) &&
        capabilityHasKey(bitmap, KEY_VOLUMEUP) && capabilityHasKey(bitmap, KEY_VOLUMEDOWN);
    return node;
}

QString findRemoteReceiver() {
    std::vector<InputNode> nodes;
    for (const QString& name : eventNames())
        nodes.push_back(describeInputNode(name));
    for (const InputNode& node : nodes)
        if (isInfraredReceiverDriver(node.driver))
            return node.devicePath;
    for (const InputNode& node : nodes)
        if (node.hasRemoteKeys)
            return node.devicePath;
    return {};
}

QString pairingReportNode(const QString& devicePath) {
    const QString eventName = QFileInfo(devicePath).fileName();
    if (!eventName.startsWith(QLatin1String("event")) ||
        !isInfraredReceiverDriver(describeInputNode(eventName).driver))
        return {};
    // The event node's input device hangs below the HID device, which also owns the raw node.
    const QString receiver =
        QFileInfo(hw(QStringLiteral("/sys/class/input/%1/device/device").arg(eventName)))
            .canonicalFilePath();
    if (receiver.isEmpty())
        return {};
    const QDir rawNodes(hw(QStringLiteral("/sys/class/hidraw")));
    for (const QString& name : rawNodes.entryList({QStringLiteral("hidraw*")},
                                                  QDir::AllEntries | QDir::System, QDir::Name)) {
        if (QFileInfo(rawNodes.filePath(name) + QStringLiteral("/device")).canonicalFilePath() ==
            receiver)
            return QStringLiteral("/dev/") + name;
    }
    return {};
}

QString inputDeviceFolder() {
    return hw(QStringLiteral("/dev/input"));
}

} // namespace vantir
