#include "vantir/core/remote_handler.h"

#include "platform/core/clock.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "vantir/core/timed_alerts.h"

namespace vantir {

namespace {

const QString kLastAppleRemoteID = QStringLiteral("LastAppleRemoteID");

} // namespace

int buttonIdentifierToARB(int identifier) {
    switch (identifier) {
    case kRemoteButtonPlus:
        return ARB_PLUS;
    case kRemoteButtonMinus:
        return ARB_MINU;
    case kRemoteButtonMenu:
        return ARB_MENU;
    case kRemoteButtonPlay:
        return ARB_PLAY;
    case kRemoteButtonRight:
        return ARB_NEXT;
    case kRemoteButtonLeft:
        return ARB_PREV;
    case kRemoteButtonMenuHold:
        return ARB_MENU | kARBHold;
    case kRemoteButtonPlaySleep:
        return ARB_PLAY | kARBHold;
    case kRemoteButtonRightHold:
        return ARB_NEXT | kARBHold;
    case kRemoteButtonLeftHold:
        return ARB_PREV | kARBHold;
    default:
        return 0;
    }
}

double clickWindow(const platform::Defaults& defaults) {
    const double speed = defaults.floatForKey(QStringLiteral("DoubleClickSpeed"));
    const double window = speed > 0 ? 10.0 / speed : 0.4;
    return window == 0 ? 0.4 : window;
}

double repeatInterval(const platform::Defaults& defaults) {
    const double speed = defaults.floatForKey(QStringLiteral("HoldRepeatSpeed"));
    const double interval = speed > 0 ? 1.0 / speed : 0.02;
    return interval == 0 ? 0.05 : interval;
}

IRAppleRemoteHandler::IRAppleRemoteHandler(platform::Clock& clock, platform::Defaults& defaults,
                                           TimedAlerts* alerts,
                                           std::unique_ptr<RemoteDeviceContainer> container)
    : m_clock(clock), m_defaults(defaults), m_alerts(alerts), m_appleRemote(std::move(container)) {
    if (defaults.objectForKey(kLastAppleRemoteID).type() != platform::Value::Type::None)
        m_remoteID = int(defaults.integerForKey(kLastAppleRemoteID));
    if (m_appleRemote)
        m_appleRemote->setDelegate(this);
}

IRAppleRemoteHandler::~IRAppleRemoteHandler() {
    // Devices may report a last release while they close; nobody listens any more.
    if (m_appleRemote)
        m_appleRemote->setDelegate(nullptr);
}

void IRAppleRemoteHandler::alert(const QString& text) {
    platform::log(text);
    if (!m_alerts)
        return;
    m_alerts->runTimedAlert(
        {QStringLiteral("Vantir Alert"), text, QStringLiteral("OK"), {}, {}, 10});
}

void IRAppleRemoteHandler::startAppleRemote() {
    if (!m_appleRemote || m_appleRemote->count() != 1) {
        alert(QStringLiteral("Could not find an Apple IR port."));
        return;
    }
    m_appleRemote->stopListening();
    m_appleRemote->setOpenInExclusiveMode(true);
    m_appleRemote->startListening();
    if (m_appleRemote->isListeningToRemote())
        return;
    // A device that finds no receiver at all says so, rather than blaming another program.
    if (m_appleRemote->device(0)->isRemoteAvailable())
        alert(QStringLiteral("The Apple Remote could not be acquired. Maybe another application "
                             "has already got hold of it."));
    else
        alert(QStringLiteral("Could not find an Apple IR port."));
    // A device that waits for the receiver to be handed back (or plugged in) takes it by
    // itself then, so it is kept and the remote stays active; any other failure is final for
    // this run.
    if (m_appleRemote->isAwaitingRemote())
        return;
    m_appleRemote->stopListening();
    m_appleRemote.reset();
    if (m_delegate)
        m_delegate->setIsListening(false);
}

void IRAppleRemoteHandler::stopAppleRemote() {
    if (!m_appleRemote)
        return;
    m_appleRemote->stopListening();
    m_appleRemote->setOpenInExclusiveMode(false);
    m_appleRemote->startListening();
}

void IRAppleRemoteHandler::closeAppleRemote() {
    if (m_appleRemote)
        m_appleRemote->stopListening();
}

void IRAppleRemoteHandler::setRemoteID(int remoteID) {
    m_remoteID = remoteID;
    m_defaults.setInteger(remoteID, kLastAppleRemoteID);
    if (m_delegate)
        m_delegate->appleRemoteIDChanged();
}

void IRAppleRemoteHandler::sendRemoteButtonEvent(int identifier, bool pressedDown, RemoteDevice*) {
    const QString label = remoteButtonLabel(identifier);
    if (label.isEmpty()) {
        platform::log(QStringLiteral("IRAppleRemoteHandler::appleRemoteButton:pressedDown, "
                                     "Unmapped event for button %1")
                          .arg(identifier));
    } else {
        const QString state = !remoteButtonReportsRelease(identifier) ? QString()
                              : pressedDown                           ? QStringLiteral(" (down)")
                                                                      : QStringLiteral(" (up)");
        platform::log(
            QStringLiteral("Apple Remote pressed %1%2 (%3)").arg(label, state).arg(identifier));
    }
    if (m_simpleClickMode)
        handleSimpleARB(identifier, pressedDown);
    else
        handleTimedARB(identifier, pressedDown);
}

int* IRAppleRemoteHandler::counterFor(int identifier) {
    switch (identifier) {
    case kRemoteButtonPlay:
        return &m_playDownCounter;
    case kRemoteButtonRight:
        return &m_rightDownCounter;
    case kRemoteButtonLeft:
        return &m_leftDownCounter;
    case kRemoteButtonPlus:
        return &m_plusDownCounter;
    case kRemoteButtonMinus:
        return &m_minusDownCounter;
    case kRemoteButtonMenu:
        return &m_menuDownCounter;
    default:
        return nullptr;
    }
}

void IRAppleRemoteHandler::handleTimedARB(int identifier, bool pressedDown) {
    switch (identifier) {
    case kRemoteControlSwitched:
        return;
    case kRemoteButtonRightHold:
    case kRemoteButtonLeftHold:
        handleARBEvent(pressedDown ? buttonIdentifierToARB(identifier) : kARBUp);
        return;
    case kRemoteButtonMenuHold:
    case kRemoteButtonPlaySleep:
        handleARBEvent(buttonIdentifierToARB(identifier));
        handleARBEvent(kARBUp);
        return;
    case kRemoteButtonPlus:
    case kRemoteButtonMinus:
        if (pressedDown) {
            m_down = true;
            ++*counterFor(identifier);
        } else {
            if (m_holding)
                handleARBEvent(kARBUp);
            m_down = false;
            m_holding = false;
        }
        break;
    default:
        if (int* counter = counterFor(identifier))
            ++*counter;
        break;
    }
    if (pressedDown && !(m_buttonTimer && m_buttonTimer->isValid())) {
        m_buttonTimer =
            m_clock.scheduleTimer(clickWindow(m_defaults), platform::Repeats::No,
                                  [this, identifier] { handleDoubleTimer(identifier); });
    }
}

void IRAppleRemoteHandler::handleDoubleTimer(int identifier) {
    int* counter = counterFor(identifier);
    const int count = counter ? *counter : 0;
    if (identifier == kRemoteButtonPlus || identifier == kRemoteButtonMinus) {
        if (m_down)
            m_holding = true;
        if (count == 2)
            m_holding = false;
    }
    const int code = buttonIdentifierToARB(identifier);
    m_buttonTimer.reset();
    if (counter)
        *counter = 0;
    if (m_holding)
        handleARBEvent(code | kARBHold);
    else if (count == 1)
        handleARBEvent(code | kARBSingle);
    else if (count == 2)
        handleARBEvent(code | kARBDouble);
}

void IRAppleRemoteHandler::handleSimpleARB(int identifier, bool pressedDown) {
    switch (identifier) {
    case kRemoteButtonRightHold:
    case kRemoteButtonLeftHold:
        if (pressedDown)
            holdOnARB(identifier == kRemoteButtonRightHold ? ARB_NEXT : ARB_PREV);
        else
            looseHoldOn();
        return;
    case kRemoteButtonMenuHold:
    case kRemoteButtonPlaySleep:
        handleARBEvent(buttonIdentifierToARB(identifier));
        handleARBEvent(kARBUp);
        return;
    default:
        handleARBEvent(buttonIdentifierToARB(identifier));
        return;
    }
}

void IRAppleRemoteHandler::handleARBEvent(int arbe) {
    if (arbe & kARBUp) {
        looseHoldOn();
        if (m_delegate)
            m_delegate->handleARBEvent(kARBUp, m_isRepeating);
        return;
    }
    if ((arbe & kARBHold) && !m_isRepeating && !m_isLoosingOnHold)
        holdOnARB(arbe);
    if (m_delegate)
        m_delegate->handleARBEvent(arbe, m_isRepeating);
}

void IRAppleRemoteHandler::holdOnARB(int arbe) {
    m_isRepeating = true;
    m_repeatTimer = m_clock.scheduleTimer(repeatInterval(m_defaults), platform::Repeats::Yes,
                                          [this, arbe] { handleARBEvent(arbe); });
}

void IRAppleRemoteHandler::looseHoldOn() {
    m_isRepeating = false;
    m_isHolding = false;
    m_repeatTimer.reset();
}

} // namespace vantir
