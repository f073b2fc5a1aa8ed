#include "platform/testing/x11_input_recorder.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace platform::doubles {

DisplayConnection::DisplayConnection() : m_display(XOpenDisplay(nullptr)) {}

DisplayConnection::~DisplayConnection() {
    if (m_display)
        XCloseDisplay(m_display);
}

X11InputRecorder::X11InputRecorder() {
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return;
    int event = 0, error = 0;
    if (!XQueryExtension(m_display, "XInputExtension", &m_opcode, &event, &error))
        return;
    int major = 2, minor = 0;
    if (XIQueryVersion(m_display, &major, &minor) != Success)
        return;

    unsigned char rawBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(rawBits, XI_RawKeyPress);
    XISetMask(rawBits, XI_RawKeyRelease);
    XISetMask(rawBits, XI_RawButtonPress);
    XISetMask(rawBits, XI_RawButtonRelease);
    unsigned char motionBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(motionBits, XI_Motion);
    XIEventMask masks[2] = {
        {XIAllDevices, int(sizeof rawBits), rawBits},
        {XIAllMasterDevices, int(sizeof motionBits), motionBits},
    };
    XISelectEvents(m_display, DefaultRootWindow(m_display), masks, 2);
    XSync(m_display, False);
    m_recording = true;
}

X11InputRecorder::~X11InputRecorder() {
    if (m_display)
        XCloseDisplay(m_display);
}

QStringList X11InputRecorder::takeEvents(Display* poster) {
    QStringList events;
    if (!m_display)
        return events;
    if (poster)
        XSync(poster, False);
    XSync(m_display, False);
    while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_opcode ||
            !XGetEventData(m_display, cookie))
            continue;
        switch (cookie->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease: {
            const auto* raw = static_cast<XIRawEvent*>(cookie->data);
            // The master keyboard repeats what its slaves send; count the slave's event only.
            if (raw->sourceid == raw->deviceid)
                events << keyWord(raw->detail, cookie->evtype == XI_RawKeyPress);
            break;
        }
        case XI_RawButtonPress:
        case XI_RawButtonRelease: {
            const auto* raw = static_cast<XIRawEvent*>(cookie->data);
            if (raw->sourceid == raw->deviceid)
                events << buttonWord(raw->detail, cookie->evtype == XI_RawButtonPress);
            break;
        }
        case XI_Motion: {
            const auto* motion = static_cast<XIDeviceEvent*>(cookie->data);
            QString word =
                QStringLiteral("m%1,%2").arg(int(motion->root_x)).arg(int(motion->root_y));
            for (int button = 1; button <= 3; ++button) {
                if (button < motion->buttons.mask_len * 8 &&
                    XIMaskIsSet(motion->buttons.mask, button))
                    word += QStringLiteral("+b%1").arg(button);
            }
            events << word;
            break;
        }
        default:
            break;
        }
        XFreeEventData(m_display, cookie);
    }
    return events;
}

QStringList X11InputRecorder::keysAndButtons(const QStringList& events) {
    QStringList result;
    for (const QString& word : events) {
        if (!word.startsWith(QLatin1Char('m')))
            result << word;
    }
    return result;
}

} // namespace platform::doubles
