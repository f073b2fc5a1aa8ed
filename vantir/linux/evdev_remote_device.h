#pragma once

#include "vantir/core/receiver_keys.h"
#include "vantir/core/remote_device.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QFileSystemWatcher;
class QSocketNotifier;
struct libevdev;

namespace platform {
class Clock;
} // namespace platform

namespace vantir {

/// The receiver's key for a Linux key code, or none for a key the remote does not have.
std::optional<ReceiverKey> receiverKeyForCode(int code);

/// A remote receiver that the kernel presents as an input device (/dev/input/eventN), read
/// with libevdev. Exclusive use is the device grab. The infrared receiver's raw report node,
/// when it may be read, tells which remote is used (evdev does not). A FIFO or a regular file
/// of input event records is read the same way, without a grab. With no receiver at start, or
/// when the receiver goes away, the device keeps watching the input folder and opens the
/// receiver when it comes (back).
class EvdevRemoteDevice : public RemoteDevice {
public:
    /// `devicePath` names the receiver; empty: look for one. `holdThreshold` answers the
    /// seconds after which a held key is a hold.
    EvdevRemoteDevice(RemoteDeviceDelegate* delegate, platform::Clock& clock,
                      std::function<double()> holdThreshold, QString devicePath,
                      RemoteSharing sharing = {});
    ~EvdevRemoteDevice() override;

    bool isRemoteAvailable() const override;
    /// True while the receiver is open.
    bool isListeningToRemote() const override { return m_fd >= 0; }
    void startListening() override;
    void stopListening() override;
    bool isOpenInExclusiveMode() const override { return m_openInExclusiveMode; }
    void setOpenInExclusiveMode(bool exclusive) override { m_openInExclusiveMode = exclusive; }
    /// True while it waits for the receiver to be plugged in or handed back.
    bool isAwaitingRemote() const override { return m_wanted && m_fd < 0; }
    /// The file being read, or empty.
    const QString& openPath() const { return m_openPath; }

private:
    enum class OpenResult { Opened, NoDevice, Busy, Failed };
    OpenResult open();
    void close(bool vanished);
    void readAvailable();
    void readRecords();
    void readDevice();
    void handleKey(int code, int value);
    void watchForReceiver(bool watch);
    void report(int identifier, bool pressed);
    void openPairingReports();
    void readPairingReports();
    void closePairingReports();
    void remoteSeen(int remoteID);

    platform::Clock& m_clock;
    QString m_devicePath;
    RemoteSharing m_sharing;
    ReceiverKeySynthesis m_keys;
    bool m_openInExclusiveMode = true;
    bool m_wanted = false;
    bool m_grabbed = false;
    bool m_loggedMissing = false;
    bool m_loggedPermission = false;
    bool m_loggedReadError = false;
    bool m_loggedReportsUnreadable = false;
    int m_fd = -1;
    QString m_openPath;
    /// A receiver that exists but may not be read yet: watched for its permissions to change.
    QString m_deniedPath;
    libevdev* m_evdev = nullptr;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    /// The receiver's raw report node (empty: none, or given up), open or still to be opened
    /// with the next keys; and the last remote it named (-1: none yet).
    int m_reportFd = -1;
    QString m_reportPath;
    std::unique_ptr<QSocketNotifier> m_reportNotifier;
    int m_remoteID = -1;
};

} // namespace vantir
