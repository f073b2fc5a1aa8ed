#include "platform/x11/x11_front_application.h"

#include "platform/core/log.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace platform::x11 {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
        nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

X11FrontApplication::X11FrontApplication(Display* display) {
    if (!display) {
        platform::log(QStringLiteral("no X display: layers do not follow the front application"));
        return;
    }
    int screenNumber = 0;
    m_connection = xcb_connect(DisplayString(display), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        platform::log(QStringLiteral("cannot connect to the X display %1 to follow the front "
                                     "application")
                          .arg(QString::fromLocal8Bit(DisplayString(display))));
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_activeWindowAtom = internAtom(m_connection, "_NET_ACTIVE_WINDOW");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { processEvents(); });
    m_name = readFrontApplicationName();
}

X11FrontApplication::~X11FrontApplication() {
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

void X11FrontApplication::processEvents() {
    bool activeWindowChanged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window == m_root && notify->atom == m_activeWindowAtom)
                activeWindowChanged = true;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        platform::log(QStringLiteral("the connection to the X display broke; layers no longer "
                                     "follow the front application"));
        m_notifier.reset();
        return;
    }
    if (activeWindowChanged)
        update();
}

void X11FrontApplication::update() {
    const QString name = readFrontApplicationName();
    if (name == m_name)
        return;
    m_name = name;
    if (m_handler)
        m_handler(name);
}

QString X11FrontApplication::readFrontApplicationName() const {
    xcb_get_property_reply_t* active = xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, m_root, m_activeWindowAtom, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    if (!active)
        return {};
    xcb_window_t window = XCB_WINDOW_NONE;
    if (active->type == XCB_ATOM_WINDOW && active->format == 32 &&
        xcb_get_property_value_length(active) >= 4)
        std::memcpy(&window, xcb_get_property_value(active), sizeof window);
    std::free(active);
    if (window == XCB_WINDOW_NONE)
        return {};
    // WM_CLASS holds the instance and the class, each ended by a zero byte. A window that is
    // gone by now answers an error, which is dropped with the reply.
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* wmClass = xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        &error);
    std::free(error);
    if (!wmClass)
        return {};
    const char* bytes = static_cast<const char*>(xcb_get_property_value(wmClass));
    const int length = xcb_get_property_value_length(wmClass);
    QString name;
    const void* end = std::memchr(bytes, '\0', std::size_t(length));
    if (end) {
        const int classStart = int(static_cast<const char*>(end) - bytes) + 1;
        const void* classEnd =
            std::memchr(bytes + classStart, '\0', std::size_t(length - classStart));
        const int classLength = classEnd
                                    ? int(static_cast<const char*>(classEnd) - bytes) - classStart
                                    : length - classStart;
        name = QString::fromUtf8(bytes + classStart, classLength);
    }
    std::free(wmClass);
    return name;
}

} // namespace platform::x11
