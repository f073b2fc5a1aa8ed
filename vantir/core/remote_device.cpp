#include "vantir/core/remote_device.h"

#include "platform/core/distributed_notification_center.h"
#include "platform/core/log.h"
#include "platform/core/value.h"

namespace vantir {

QString remoteButtonLabel(int identifier) {
    switch (identifier) {
    case kRemoteButtonPlus:
        return QStringLiteral("Volume up");
    case kRemoteButtonMinus:
        return QStringLiteral("Volume down");
    case kRemoteButtonMenu:
        return QStringLiteral("Menu");
    case kRemoteButtonPlay:
        return QStringLiteral("Play");
    case kRemoteButtonRight:
        return QStringLiteral("Right");
    case kRemoteButtonLeft:
        return QStringLiteral("Left");
    case kRemoteButtonMenuHold:
        return QStringLiteral("Menu (long)");
    case kRemoteButtonPlaySleep:
        return QStringLiteral("Play (sleep mode)");
    case kRemoteButtonRightHold:
        return QStringLiteral("Right holding");
    case kRemoteButtonLeftHold:
        return QStringLiteral("Left holding");
    case kRemoteControlSwitched:
        return QStringLiteral("Remote Control Switched");
    default:
        return {};
    }
}

bool remoteButtonReportsRelease(int identifier) {
    return identifier == kRemoteButtonPlus || identifier == kRemoteButtonMinus ||
           identifier == kRemoteButtonRightHold || identifier == kRemoteButtonLeftHold;
}

namespace {

void postSharing(const RemoteSharing& sharing, const QString& name, const QString& deviceName) {
    if (!sharing.center)
        return;
    // The request and this program's return of the receiver name no target application.
    const platform::Value info = platform::Value::newDictionary({
        {kRemoteDeviceNameKey, deviceName},
        {kApplicationIdentifierKey, sharing.applicationIdentifier},
    });
    sharing.center->post(name, {}, info);
}

} // namespace

void RemoteDevice::sendRequestForRemoteControlNotification(const RemoteSharing& sharing,
                                                           const QString& deviceName) {
    postSharing(sharing, kRequestForRemoteNotification, deviceName);
}

void RemoteDevice::sendFinishedUsingRemoteControlNotification(const RemoteSharing& sharing,
                                                              const QString& deviceName) {
    postSharing(sharing, kFinishedUsingRemoteNotification, deviceName);
}

HIDRemoteDevice::HIDRemoteDevice(RemoteDeviceDelegate* delegate,
                                 std::unique_ptr<ElementSource> source,
                                 std::vector<CookieEntry> cookieTable, QString deviceName,
                                 RemoteSharing sharing)
    : RemoteDevice(delegate), m_source(std::move(source)),
      m_cookieToButtonMapping(std::move(cookieTable)), m_deviceName(std::move(deviceName)),
      m_sharing(std::move(sharing)) {
    for (const CookieEntry& entry : m_cookieToButtonMapping)
        m_supportedButtonEvents |= entry.identifier;
}

HIDRemoteDevice::~HIDRemoteDevice() {
    if (m_sharing.center)
        m_sharing.center->removeObserver(this);
    if (m_open)
        m_source->close();
}

void HIDRemoteDevice::startListening() {
    if (m_open)
        return;
    if (m_sharing.center) {
        m_sharing.center->removeObserver(this, kFinishedUsingRemoteNotification);
        m_awaitingFinished = false;
    }
    if (!m_source->deviceExists())
        return;
    const std::vector<int> cookies = m_source->cookies();
    if (cookies.empty())
        return;
    // The queue takes the cookies in order up to the first 0.
    std::vector<int> queued;
    for (int cookie : cookies) {
        if (cookie == 0)
            break;
        queued.push_back(cookie);
    }
    const auto result = m_source->open(m_openInExclusiveMode, queued,
                                       [this](const std::vector<ElementEvent>& burst, bool failed) {
                                           queueCallback(burst, failed);
                                       });
    switch (result) {
    case ElementSource::OpenResult::Opened:
        m_open = true;
        announceListeningChanged();
        return;
    case ElementSource::OpenResult::ExclusiveAccess:
        if (m_sharing.center) {
            m_awaitingFinished = true;
            m_sharing.center->addObserver(this, kFinishedUsingRemoteNotification, {},
                                          [this](const platform::DistributedNotification&) {
                                              m_sharing.center->removeObserver(
                                                  this, kFinishedUsingRemoteNotification);
                                              m_awaitingFinished = false;
                                              startListening();
                                          });
        }
        sendRequestForRemoteControlNotification(m_sharing, m_deviceName);
        return;
    case ElementSource::OpenResult::NoDevice:
        return;
    case ElementSource::OpenResult::Failed:
        platform::log(QStringLiteral("Error when opening device"));
        return;
    }
}

void HIDRemoteDevice::stopListening() {
    if (!m_open)
        return;
    m_source->close();
    m_open = false;
    if (m_openInExclusiveMode)
        sendFinishedUsingRemoteControlNotification(m_sharing, m_deviceName);
    announceListeningChanged();
}

void HIDRemoteDevice::setRemoteID(int remoteID) {
    m_remoteID = remoteID;
    if (delegate())
        delegate()->setRemoteID(remoteID);
}

void HIDRemoteDevice::queueCallback(const std::vector<ElementEvent>& burst, bool failed) {
    if (failed) {
        handleEventWithCookieString({}, 0);
        return;
    }
    QString cookieString;
    long sumOfValues = 0;
    for (const ElementEvent& event : burst) {
        if (hasRemoteID() && event.cookie == remoteSwitchCookie()) {
            platform::log(QStringLiteral("setRemoteID: %1").arg(event.value));
            setRemoteID(int(event.value));
            handleEventWithCookieString(QStringLiteral("%1_").arg(remoteSwitchCookie()), 0);
        } else if (event.cookie == 5) {
            continue;
        } else {
            cookieString += QStringLiteral("%1_").arg(event.cookie);
            sumOfValues += event.value;
        }
    }
    handleEventWithCookieString(cookieString, sumOfValues);
}

void HIDRemoteDevice::sendButton(int identifier, bool pressed) {
    if (delegate())
        delegate()->sendRemoteButtonEvent(identifier, pressed, this);
}

void HIDRemoteDevice::handleEventWithCookieString(const QString& cookieString, long sumOfValues) {
    if (cookieString.isEmpty())
        return;
    for (const CookieEntry& entry : m_cookieToButtonMapping) {
        if (entry.cookies == cookieString) {
            sendButton(entry.identifier, sumOfValues > 0);
            return;
        }
    }
    // Several buttons in one burst: take known strings off the front, in table order.
    QStringView rest(cookieString);
    int lastIdentifier = 0;
    bool foundAny = false;
    while (!rest.isEmpty()) {
        const CookieEntry* match = nullptr;
        for (const CookieEntry& entry : m_cookieToButtonMapping) {
            if (rest.startsWith(entry.cookies)) {
                match = &entry;
                break;
            }
        }
        if (!match)
            break;
        rest = rest.mid(match->cookies.size());
        if (m_processesBacklog)
            sendButton(match->identifier, sumOfValues > 0);
        lastIdentifier = match->identifier;
        foundAny = true;
    }
    if (!m_processesBacklog && foundAny)
        sendButton(lastIdentifier, false);
    if (!rest.isEmpty())
        platform::log(QStringLiteral("Unknown button for cookiestring %1").arg(rest));
}

IRRemoteDevice::IRRemoteDevice(RemoteDeviceDelegate* delegate,
                               std::unique_ptr<ElementSource> source, CookieLayout layout,
                               QString kernelRelease, RemoteSharing sharing)
    : HIDRemoteDevice(delegate, std::move(source),
                      cookieTable(layout, remoteSwitchCookieForRelease(kernelRelease)),
                      remoteDeviceName(), std::move(sharing)),
      m_remoteSwitchCookie(remoteSwitchCookieForRelease(kernelRelease)) {}

int IRRemoteDevice::remoteSwitchCookieForRelease(const QString& kernelRelease) {
    if (kernelRelease.startsWith(QStringLiteral("9.")))
        return 39;
    if (kernelRelease.startsWith(QStringLiteral("8.1")))
        return 21;
    return 19;
}

std::vector<HIDRemoteDevice::CookieEntry> IRRemoteDevice::cookieTable(CookieLayout layout,
                                                                      int remoteSwitchCookie) {
    const bool newer = layout == CookieLayout::Newer;
    auto entry = [newer](const char* newerCookies, const char* olderCookies, int identifier) {
        return CookieEntry{QString::fromLatin1(newer ? newerCookies : olderCookies), identifier};
    };
    return {
        entry("31_29_28_19_18_", "14_12_11_6_", kRemoteButtonPlus),
        entry("31_30_28_19_18_", "14_13_11_6_", kRemoteButtonMinus),
        entry("31_20_19_18_31_20_19_18_", "14_7_6_14_7_6_", kRemoteButtonMenu),
        entry("31_21_19_18_31_21_19_18_", "14_8_6_14_8_6_", kRemoteButtonPlay),
        entry("31_22_19_18_31_22_19_18_", "14_9_6_14_9_6_", kRemoteButtonRight),
        entry("31_23_19_18_31_23_19_18_", "14_10_6_14_10_6_", kRemoteButtonLeft),
        entry("31_19_18_4_2_", "14_6_4_2_", kRemoteButtonRightHold),
        entry("31_19_18_3_2_", "14_6_3_2_", kRemoteButtonLeftHold),
        entry("31_19_18_31_19_18_", "14_6_14_6_", kRemoteButtonMenuHold),
        entry("35_31_19_18_35_31_19_18_", "18_14_6_18_14_6_", kRemoteButtonPlaySleep),
        CookieEntry{QStringLiteral("%1_").arg(remoteSwitchCookie), kRemoteControlSwitched},
    };
}

void RemoteDeviceContainer::setDelegate(RemoteDeviceDelegate* delegate) {
    RemoteDevice::setDelegate(delegate);
    for (const auto& device : m_remoteDevices)
        device->setDelegate(delegate);
}

bool RemoteDeviceContainer::instantiateAndAddRemoteDevice(const Factory& factory) {
    std::unique_ptr<RemoteDevice> device = factory(delegate());
    if (!device)
        return false;
    device->setListeningChangedHandler([this] { announceListeningChanged(); });
    m_remoteDevices.push_back(std::move(device));
    return true;
}

void RemoteDeviceContainer::startListening() {
    for (const auto& device : m_remoteDevices)
        device->startListening();
}

void RemoteDeviceContainer::stopListening() {
    for (const auto& device : m_remoteDevices)
        device->stopListening();
}

void RemoteDeviceContainer::setListeningToRemote(bool listening) {
    for (const auto& device : m_remoteDevices)
        device->setListeningToRemote(listening);
    if (listening && !isListeningToRemote())
        announceListeningChanged();
}

bool RemoteDeviceContainer::isListeningToRemote() const {
    for (const auto& device : m_remoteDevices)
        if (device->isListeningToRemote())
            return true;
    return false;
}

bool RemoteDeviceContainer::isOpenInExclusiveMode() const {
    for (const auto& device : m_remoteDevices)
        if (!device->isOpenInExclusiveMode())
            return false;
    return true;
}

void RemoteDeviceContainer::setOpenInExclusiveMode(bool exclusive) {
    for (const auto& device : m_remoteDevices)
        device->setOpenInExclusiveMode(exclusive);
}

bool RemoteDeviceContainer::isAwaitingRemote() const {
    for (const auto& device : m_remoteDevices)
        if (device->isAwaitingRemote())
            return true;
    return false;
}

} // namespace vantir
