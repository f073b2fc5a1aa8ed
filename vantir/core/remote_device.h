#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {
class DistributedNotificationCenter;
} // namespace platform

namespace vantir {

/// The identifiers a remote device reports, one bit each.
enum RemoteButton : int {
    kRemoteButtonPlus = 2,
    kRemoteButtonMinus = 4,
    kRemoteButtonMenu = 8,
    kRemoteButtonPlay = 16,
    kRemoteButtonRight = 32,
    kRemoteButtonLeft = 64,
    kRemoteButtonMenuHold = 512,
    kRemoteButtonPlaySleep = 1024,
    kRemoteButtonRightHold = 2048,
    kRemoteButtonLeftHold = 4096,
    kRemoteControlSwitched = 8192,
};

/// The label an identifier is logged with ("Volume up"), or empty for an unknown one.
QString remoteButtonLabel(int identifier);
/// Whether the identifier is reported both pressed and released (Plus, Minus, the two holds).
bool remoteButtonReportsRelease(int identifier);

/// Names of the notifications by which programs share the receiver, and their user
/// information keys.
inline const QString kRequestForRemoteNotification =
    QStringLiteral("mac.remotecontrols.RequestForRemoteControl");
inline const QString kFinishedUsingRemoteNotification =
    QStringLiteral("mac.remotecontrols.FinishedUsingRemoteControl");
inline const QString kRemoteDeviceNameKey = QStringLiteral("RemoteControlDeviceName");
inline const QString kApplicationIdentifierKey = QStringLiteral("CFBundleIdentifier");
inline const QString kTargetApplicationIdentifierKey = QStringLiteral("TargetBundleIdentifier");

class RemoteDevice;

/// What a device tells the event interpreter.
class RemoteDeviceDelegate {
public:
    virtual ~RemoteDeviceDelegate() = default;
    virtual void sendRemoteButtonEvent(int identifier, bool pressedDown, RemoteDevice* device) = 0;
    virtual void setRemoteID(int remoteID) = 0;
};

/// How devices reach the session to share the receiver with other programs. Without a centre
/// nothing is posted or observed.
struct RemoteSharing {
    platform::DistributedNotificationCenter* center = nullptr;
    /// This program's identifier, sent as "CFBundleIdentifier".
    QString applicationIdentifier;
};

/// The base of all remote devices: every operation does nothing or answers a fixed value.
class RemoteDevice {
public:
    explicit RemoteDevice(RemoteDeviceDelegate* delegate = nullptr) : m_delegate(delegate) {}
    virtual ~RemoteDevice() = default;
    RemoteDevice(const RemoteDevice&) = delete;
    RemoteDevice& operator=(const RemoteDevice&) = delete;

    RemoteDeviceDelegate* delegate() const { return m_delegate; }
    virtual void setDelegate(RemoteDeviceDelegate* delegate) { m_delegate = delegate; }

    virtual bool isRemoteAvailable() const { return false; }
    virtual void setListeningToRemote(bool listening) {
        listening ? startListening() : stopListening();
    }
    virtual bool isListeningToRemote() const { return false; }
    virtual void startListening() {}
    virtual void stopListening() {}
    virtual bool isOpenInExclusiveMode() const { return true; }
    virtual void setOpenInExclusiveMode(bool) {}
    virtual bool sendsEventForButtonIdentifier(int) const { return true; }
    /// True while the device waits for its receiver to be handed back by another program (or,
    /// for a device that watches for its receiver, to be plugged in): it will start listening
    /// by itself then.
    virtual bool isAwaitingRemote() const { return false; }

    /// Called whenever the device starts or stops listening ("listeningToRemote").
    void setListeningChangedHandler(std::function<void()> handler) {
        m_listeningChanged = std::move(handler);
    }

    /// Posts the request for, or the return of, the receiver named `deviceName`.
    static void sendRequestForRemoteControlNotification(const RemoteSharing& sharing,
                                                        const QString& deviceName);
    static void sendFinishedUsingRemoteControlNotification(const RemoteSharing& sharing,
                                                           const QString& deviceName);

protected:
    void announceListeningChanged() const {
        if (m_listeningChanged)
            m_listeningChanged();
    }

private:
    RemoteDeviceDelegate* m_delegate;
    std::function<void()> m_listeningChanged;
};

/// One element change of a receiver: which element (its cookie) took which value.
struct ElementEvent {
    int cookie = 0;
    long value = 0;
};

/// Where a HID device's element changes come from. The source opens the receiver, and calls
/// the callout on the main thread with every burst of changes (or with an error flag).
class ElementSource {
public:
    enum class OpenResult { Opened, NoDevice, ExclusiveAccess, Failed };
    using Callout = std::function<void(const std::vector<ElementEvent>& burst, bool failed)>;

    virtual ~ElementSource() = default;
    /// Whether a matching receiver exists now.
    virtual bool deviceExists() const = 0;
    /// The element cookies of the receiver; empty when it cannot be read.
    virtual std::vector<int> cookies() const = 0;
    /// Opens the receiver (seized when `exclusive`) and starts delivering bursts.
    virtual OpenResult open(bool exclusive, const std::vector<int>& cookies, Callout callout) = 0;
    virtual void close() = 0;
};

/// A remote whose receiver reports element changes: bursts become cookie strings ("31_20_")
/// that the device's table maps to identifiers.
class HIDRemoteDevice : public RemoteDevice {
public:
    struct CookieEntry {
        QString cookies;
        int identifier;
    };

    HIDRemoteDevice(RemoteDeviceDelegate* delegate, std::unique_ptr<ElementSource> source,
                    std::vector<CookieEntry> cookieTable, QString deviceName,
                    RemoteSharing sharing = {});
    ~HIDRemoteDevice() override;

    bool isRemoteAvailable() const override { return m_source->deviceExists(); }
    bool isListeningToRemote() const override { return m_open; }
    void startListening() override;
    void stopListening() override;
    bool isOpenInExclusiveMode() const override { return m_openInExclusiveMode; }
    void setOpenInExclusiveMode(bool exclusive) override { m_openInExclusiveMode = exclusive; }
    bool sendsEventForButtonIdentifier(int identifier) const override {
        return (m_supportedButtonEvents & identifier) == identifier;
    }
    bool isAwaitingRemote() const override { return m_awaitingFinished; }

    bool processesBacklog() const { return m_processesBacklog; }
    void setProcessesBacklog(bool processes) { m_processesBacklog = processes; }
    int remoteID() const { return m_remoteID; }
    /// Stores the ID and tells the delegate.
    void setRemoteID(int remoteID);
    const QString& deviceName() const { return m_deviceName; }

    /// The remote-ID cookie and its cookie string; none for a remote without an ID.
    virtual bool hasRemoteID() const { return false; }
    virtual int remoteSwitchCookie() const { return 0; }

    /// One burst of element changes, as the receiver's queue reports them.
    void queueCallback(const std::vector<ElementEvent>& burst, bool failed);
    /// Maps a cookie string to identifiers and tells the delegate (see the class comment).
    void handleEventWithCookieString(const QString& cookieString, long sumOfValues);

private:
    void sendButton(int identifier, bool pressed);

    std::unique_ptr<ElementSource> m_source;
    std::vector<CookieEntry> m_cookieToButtonMapping;
    QString m_deviceName;
    RemoteSharing m_sharing;
    bool m_open = false;
    bool m_openInExclusiveMode = true;
    bool m_processesBacklog = false;
    bool m_awaitingFinished = false;
    int m_supportedButtonEvents = 0;
    int m_remoteID = 0;
};

/// The infrared receiver's cookie layouts.
enum class CookieLayout { Newer, Older };

/// The infrared remote: its name, cookie table and remote-ID cookie.
class IRRemoteDevice : public HIDRemoteDevice {
public:
    IRRemoteDevice(RemoteDeviceDelegate* delegate, std::unique_ptr<ElementSource> source,
                   CookieLayout layout, QString kernelRelease, RemoteSharing sharing = {});

    static QString remoteDeviceName() { return QStringLiteral("AppleIRController"); }
    /// The remote-ID cookie for a kernel release string: 39 for "9.", 21 for "8.1", else 19.
    static int remoteSwitchCookieForRelease(const QString& kernelRelease);
    static std::vector<CookieEntry> cookieTable(CookieLayout layout, int remoteSwitchCookie);

    bool hasRemoteID() const override { return true; }
    int remoteSwitchCookie() const override { return m_remoteSwitchCookie; }

private:
    int m_remoteSwitchCookie;
};

/// A device that forwards to several devices, all made with its own delegate.
class RemoteDeviceContainer : public RemoteDevice {
public:
    using Factory = std::function<std::unique_ptr<RemoteDevice>(RemoteDeviceDelegate* delegate)>;

    explicit RemoteDeviceContainer(RemoteDeviceDelegate* delegate = nullptr)
        : RemoteDevice(delegate) {}

    /// Makes a device with the container's delegate; answers false when none could be made.
    bool instantiateAndAddRemoteDevice(const Factory& factory);
    int count() const { return int(m_remoteDevices.size()); }
    RemoteDevice* device(int index) const { return m_remoteDevices.at(index).get(); }

    void setDelegate(RemoteDeviceDelegate* delegate) override;
    bool isRemoteAvailable() const override { return !m_remoteDevices.empty(); }
    void startListening() override;
    void stopListening() override;
    /// Forwards to every device.
    void setListeningToRemote(bool listening) override;
    bool isListeningToRemote() const override;
    bool isOpenInExclusiveMode() const override;
    void setOpenInExclusiveMode(bool exclusive) override;
    bool isAwaitingRemote() const override;

private:
    std::vector<std::unique_ptr<RemoteDevice>> m_remoteDevices;
};

} // namespace vantir
