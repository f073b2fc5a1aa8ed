#include "vantir/linux/evdev_remote_device.h"

#include "platform/core/distributed_notification_center.h"
#include "platform/core/hw_path.h"
#include "platform/core/log.h"
#include "vantir/core/preferences.h"
#include "vantir/core/receiver_report.h"
#include "vantir/linux/receiver_discovery.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <limits>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantir {

namespace {

// Reading stops after this many records in one go, so that a flood of events cannot keep the
// event loop from timers and windows; the rest is read on the next round.
constexpr int kRecordsPerRound = 256;

const char* const kPermissionHint =
    "install the udev rule 60-vantir-remote.rules (it gives the user at the seat access to "
    "remote receivers), or add yourself to the group \"input\"";

// Qt objects are let go with deleteLater, since they may be dropped from inside their own
// signal.
template <class T> void dispose(std::unique_ptr<T>& object) {
    if (object)
        object.release()->deleteLater();
}

// Stops watching `fd` and closes it.
void stopReading(std::unique_ptr<QSocketNotifier>& notifier, int& fd) {
    if (notifier)
        notifier->setEnabled(false);
    dispose(notifier);
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

std::optional<ReceiverKey> receiverKeyForCode(int code) {
    switch (code) {
    case KEY_VOLUMEUP:
        return ReceiverKey::Plus;
    case KEY_VOLUMEDOWN:
        return ReceiverKey::Minus;
    case KEY_MENU:
        return ReceiverKey::Menu;
    case KEY_PLAYPAUSE:
    case KEY_PLAY:
    case KEY_ENTER:
        return ReceiverKey::Play;
    case KEY_FORWARD:
    case KEY_NEXTSONG:
    case KEY_RIGHT:
        return ReceiverKey::Right;
    case KEY_BACK:
    case KEY_PREVIOUSSONG:
    case KEY_LEFT:
        return ReceiverKey::Left;
    default:
        return std::nullopt;
    }
}

EvdevRemoteDevice::EvdevRemoteDevice(RemoteDeviceDelegate* delegate, platform::Clock& clock,
                                     std::function<double()> holdThreshold, QString devicePath,
                                     RemoteSharing sharing)
    : RemoteDevice(delegate), m_clock(clock), m_devicePath(std::move(devicePath)),
      m_sharing(std::move(sharing)),
      m_keys(clock, std::move(holdThreshold),
             [this](int identifier, bool pressed) { report(identifier, pressed); }) {}

EvdevRemoteDevice::~EvdevRemoteDevice() {
    if (m_sharing.center)
        m_sharing.center->removeObserver(this);
    m_wanted = false;
    close(false);
}

void EvdevRemoteDevice::report(int identifier, bool pressed) {
    if (delegate())
        delegate()->sendRemoteButtonEvent(identifier, pressed, this);
}

bool EvdevRemoteDevice::isRemoteAvailable() const {
    return !m_devicePath.isEmpty() || !findRemoteReceiver().isEmpty();
}

void EvdevRemoteDevice::startListening() {
    if (m_fd >= 0)
        return;
    m_wanted = true;
    if (m_sharing.center)
        m_sharing.center->removeObserver(this, kFinishedUsingRemoteNotification);
    switch (open()) {
    case OpenResult::Opened:
        watchForReceiver(false);
        announceListeningChanged();
        return;
    case OpenResult::Busy:
        if (m_sharing.center) {
            m_sharing.center->addObserver(this, kFinishedUsingRemoteNotification, {},
                                          [this](const platform::DistributedNotification&) {
                                              m_sharing.center->removeObserver(
                                                  this, kFinishedUsingRemoteNotification);
                                              if (m_wanted)
                                                  startListening();
                                          });
        }
        sendRequestForRemoteControlNotification(m_sharing, IRRemoteDevice::remoteDeviceName());
        return;
    case OpenResult::NoDevice:
    case OpenResult::Failed:
        watchForReceiver(true);
        return;
    }
}

void EvdevRemoteDevice::stopListening() {
    m_wanted = false;
    watchForReceiver(false);
    if (m_sharing.center)
        m_sharing.center->removeObserver(this, kFinishedUsingRemoteNotification);
    if (m_fd < 0)
        return;
    const bool wasGrabbed = m_grabbed;
    close(false);
    if (wasGrabbed)
        sendFinishedUsingRemoteControlNotification(m_sharing, IRRemoteDevice::remoteDeviceName());
    announceListeningChanged();
}

EvdevRemoteDevice::OpenResult EvdevRemoteDevice::open() {
    const QString path = m_devicePath.isEmpty() ? findRemoteReceiver() : m_devicePath;
    if (path.isEmpty()) {
        if (!m_loggedMissing)
            platform::log(QStringLiteral("no remote receiver found; waiting for one to appear"));
        m_loggedMissing = true;
        return OpenResult::NoDevice;
    }
    const std::string file = platform::hwPath(path.toStdString());
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        if (!m_loggedMissing)
            platform::log(
                QStringLiteral("remote receiver %1 is not there; waiting for it").arg(path));
        m_loggedMissing = true;
        return OpenResult::NoDevice;
    }
    const bool isEventDevice = S_ISCHR(status.st_mode);
    // A FIFO is opened for writing too, so that it never reads as ended between two writers.
    const int flags = (S_ISFIFO(status.st_mode) ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(file.c_str(), flags);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            m_deniedPath = QString::fromStdString(file);
            if (!m_loggedPermission)
                platform::log(QStringLiteral("cannot open the remote receiver %1: %2; %3")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(error)),
                                       QString::fromLatin1(kPermissionHint)));
            m_loggedPermission = true;
            return OpenResult::Failed;
        }
        platform::log(QStringLiteral("cannot open the remote receiver %1: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        return error == ENOENT || error == ENODEV ? OpenResult::NoDevice : OpenResult::Failed;
    }
    if (isEventDevice) {
        const int rc = libevdev_new_from_fd(fd, &m_evdev);
        if (rc < 0) {
            platform::log(QStringLiteral("%1 is not an input device: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(-rc))));
            ::close(fd);
            m_evdev = nullptr;
            return OpenResult::Failed;
        }
        if (m_openInExclusiveMode) {
            const int grab = libevdev_grab(m_evdev, LIBEVDEV_GRAB);
            if (grab == -EBUSY) {
                platform::log(
                    QStringLiteral("the remote receiver %1 is held by another program").arg(path));
                libevdev_free(m_evdev);
                m_evdev = nullptr;
                ::close(fd);
                return OpenResult::Busy;
            }
            m_grabbed = grab == 0;
        }
        m_reportPath = pairingReportNode(path);
        openPairingReports();
    } else {
        dlog(QStringLiteral("%1 is not an input device; reading input event records from it")
                 .arg(path));
    }
    m_fd = fd;
    m_openPath = path;
    m_deniedPath.clear();
    m_pending.clear();
    m_loggedMissing = false;
    m_loggedPermission = false;
    m_loggedReadError = false;
    if (S_ISREG(status.st_mode)) {
        // A regular file is read once, to its end; it never becomes readable "again".
        readAvailable();
        return OpenResult::Opened;
    }
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readAvailable(); });
    return OpenResult::Opened;
}

void EvdevRemoteDevice::close(bool vanished) {
    // A key held while the receiver goes ends with its release, and no hold runs on.
    m_keys.releaseAll();
    if (m_evdev) {
        if (m_grabbed)
            libevdev_grab(m_evdev, LIBEVDEV_UNGRAB);
        libevdev_free(m_evdev);
        m_evdev = nullptr;
    }
    m_grabbed = false;
    closePairingReports();
    stopReading(m_notifier, m_fd);
    m_pending.clear();
    if (vanished) {
        platform::log(QStringLiteral("the remote receiver %1 went away").arg(m_openPath));
        m_openPath.clear();
        announceListeningChanged();
        if (m_wanted)
            watchForReceiver(true);
    }
}

void EvdevRemoteDevice::readAvailable() {
    if (m_evdev) {
        // A raw node that could not be opened is tried again as keys come: udev may make it,
        // or grant the seat access to it, just after the event node.
        if (m_reportFd < 0 && !m_reportPath.isEmpty())
            openPairingReports();
        // The remote's ID comes first, as it does from the receiver, so that a press is told
        // after the ID of the remote that made it.
        readPairingReports();
        readDevice();
    } else {
        readRecords();
    }
}

void EvdevRemoteDevice::readDevice() {
    input_event event{};
    for (int count = 0; count < kRecordsPerRound && m_evdev; ++count) {
        int rc = libevdev_next_event(m_evdev, LIBEVDEV_READ_FLAG_NORMAL, &event);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: catch up on the keys' state as the kernel reports it.
            while (rc == LIBEVDEV_READ_STATUS_SYNC) {
                if (event.type == EV_KEY)
                    handleKey(event.code, event.value);
                rc = libevdev_next_event(m_evdev, LIBEVDEV_READ_FLAG_SYNC, &event);
            }
            continue;
        }
        if (rc == -EAGAIN)
            return;
        if (rc == -ENODEV) {
            close(true);
            return;
        }
        if (rc < 0) {
            if (!m_loggedReadError)
                platform::log(QStringLiteral("reading the remote receiver %1 failed: %2")
                                  .arg(m_openPath, QString::fromLocal8Bit(std::strerror(-rc))));
            m_loggedReadError = true;
            close(true);
            return;
        }
        if (event.type == EV_KEY)
            handleKey(event.code, event.value);
    }
}

void EvdevRemoteDevice::readRecords() {
    char buffer[sizeof(input_event) * 64];
    // A regular file has no notifier and is read to its end at once.
    const int rounds = m_notifier ? kRecordsPerRound / 64 : std::numeric_limits<int>::max();
    for (int round = 0; round < rounds && m_fd >= 0; ++round) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            if (n < 0 && !m_loggedReadError)
                platform::log(QStringLiteral("reading %1 failed: %2")
                                  .arg(m_openPath, QString::fromLocal8Bit(std::strerror(errno))));
            m_loggedReadError = n < 0;
            // The end of a regular file: everything has been read.
            if (m_notifier)
                m_notifier->setEnabled(false);
            return;
        }
        m_pending.append(buffer, n);
        // Whole records only; a truncated one waits for the rest.
        qsizetype used = 0;
        while (m_pending.size() - used >= qsizetype(sizeof(input_event))) {
            input_event event;
            std::memcpy(&event, m_pending.constData() + used, sizeof event);
            used += qsizetype(sizeof event);
            if (event.type == EV_KEY)
                handleKey(event.code, event.value);
            if (m_fd < 0)
                return;
        }
        m_pending.remove(0, used);
    }
}

void EvdevRemoteDevice::handleKey(int code, int value) {
    const std::optional<ReceiverKey> key = receiverKeyForCode(code);
    if (!key) {
        dlog2(QStringLiteral("remote receiver: key %1 is not a remote button").arg(code));
        return;
    }
    // 2 is the kernel's auto-repeat; the interpreter makes its own repeats.
    if (value == 1)
        m_keys.keyDown(*key);
    else if (value == 0)
        m_keys.keyUp(*key);
}

void EvdevRemoteDevice::openPairingReports() {
    if (m_reportPath.isEmpty())
        return;
    const int fd = ::open(platform::hwPath(m_reportPath.toStdString()).c_str(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Raw nodes belong to root alone; membership of "input" does not help here.
        const QString hint =
            error == EACCES || error == EPERM
                ? QStringLiteral("; the udev rule 60-vantir-remote.rules gives the user at the "
                                 "seat access to it")
                : QString();
        if (!m_loggedReportsUnreadable)
            platform::log(
                QStringLiteral("cannot read which remote is used from %1: %2%3")
                    .arg(m_reportPath, QString::fromLocal8Bit(std::strerror(error)), hint));
        m_loggedReportsUnreadable = true;
        return;
    }
    m_loggedReportsUnreadable = false;
    m_reportFd = fd;
    m_reportNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_reportNotifier.get(), &QSocketNotifier::activated, m_reportNotifier.get(),
                     [this] { readPairingReports(); });
    dlog(QStringLiteral("reading which remote is used from %1").arg(m_reportPath));
}

void EvdevRemoteDevice::readPairingReports() {
    // One report per read; the largest of the receiver is a few bytes.
    unsigned char report[64];
    for (int count = 0; count < kRecordsPerRound && m_reportFd >= 0; ++count) {
        const ssize_t n = ::read(m_reportFd, report, sizeof report);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            // Gone with the receiver (which the event node reports), or broken: either way the
            // ID stays as last seen.
            if (n < 0 && errno != ENODEV && errno != EIO)
                platform::log(QStringLiteral("reading which remote is used from %1 failed: %2")
                                  .arg(m_reportPath, QString::fromLocal8Bit(std::strerror(errno))));
            closePairingReports();
            return;
        }
        if (const std::optional<int> remoteID =
                remoteIdInReceiverReport(std::span(report, std::size_t(n))))
            remoteSeen(*remoteID);
    }
}

void EvdevRemoteDevice::closePairingReports() {
    stopReading(m_reportNotifier, m_reportFd);
    m_reportPath.clear();
}

void EvdevRemoteDevice::remoteSeen(int remoteID) {
    // Every report names its remote; only a change is news, as it is from the HID receiver.
    if (remoteID == m_remoteID)
        return;
    m_remoteID = remoteID;
    platform::log(QStringLiteral("setRemoteID: %1").arg(remoteID));
    if (delegate())
        delegate()->setRemoteID(remoteID);
    report(kRemoteControlSwitched, false);
}

void EvdevRemoteDevice::watchForReceiver(bool watch) {
    if (!watch) {
        dispose(m_watcher);
        return;
    }
    if (!m_watcher) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        if (!m_watcher->addPath(inputDeviceFolder()))
            dlog(QStringLiteral("cannot watch %1 for remote receivers").arg(inputDeviceFolder()));
        const auto retry = [this] {
            if (m_wanted && m_fd < 0)
                startListening();
        };
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(),
                         retry);
        // udev grants the seat's access to a new node just after creating it.
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, m_watcher.get(), retry);
    }
    if (!m_deniedPath.isEmpty() && !m_watcher->files().contains(m_deniedPath))
        m_watcher->addPath(m_deniedPath);
}

} // namespace vantir
