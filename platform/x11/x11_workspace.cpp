#include "platform/x11/x11_workspace.h"

#include "platform/core/desktop_entry.h"
#include "platform/core/file_io.h"
#include "platform/core/log.h"

#include <QProcess>
#include <QStandardPaths>

#include <X11/Xlib.h>
#include <cstdlib>
#include <xcb/xcb.h>

namespace platform::x11 {

namespace {

template <typename Reply> struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

} // namespace

struct X11Workspace::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t clientList = 0;
    xcb_atom_t activeWindow = 0;

    ~Connection() {
        if (xcb)
            xcb_disconnect(xcb);
    }

    xcb_atom_t atom(const char* name) const {
        const Freed<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
            xcb, xcb_intern_atom(xcb, 0, std::uint16_t(std::strlen(name)), name), nullptr)};
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
};

X11Workspace::X11Workspace(Display* display, QStringList entryFolders)
    : m_entryFolders(std::move(entryFolders)) {
    if (!display)
        return;
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->xcb = xcb_connect(DisplayString(display), &screenNumber);
    if (xcb_connection_has_error(connection->xcb)) {
        log(QStringLiteral("cannot connect to the X display to list its applications"));
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    connection->root = screens.data->root;
    connection->clientList = connection->atom("_NET_CLIENT_LIST");
    connection->activeWindow = connection->atom("_NET_ACTIVE_WINDOW");
    m_connection = std::move(connection);
}

X11Workspace::~X11Workspace() = default;

std::vector<X11Workspace::Client> X11Workspace::clients() const {
    std::vector<Client> result;
    if (!m_connection)
        return result;
    xcb_connection_t* xcb = m_connection->xcb;
    const Freed<xcb_get_property_reply_t> list{xcb_get_property_reply(
        xcb,
        xcb_get_property(xcb, 0, m_connection->root, m_connection->clientList, XCB_ATOM_WINDOW, 0,
                         1 << 16),
        nullptr)};
    if (!list || list->format != 32)
        return result;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.reply));
    const int count = xcb_get_property_value_length(list.reply) / 4;
    // Ask for every class at once; a window that is gone by now answers with an error.
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        cookies.push_back(
            xcb_get_property(xcb, 0, windows[i], XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256));
    for (int i = 0; i < count; ++i) {
        xcb_generic_error_t* error = nullptr;
        const Freed<xcb_get_property_reply_t> wmClass{
            xcb_get_property_reply(xcb, cookies[std::size_t(i)], &error)};
        std::free(error);
        if (!wmClass || wmClass->format != 8)
            continue;
        // WM_CLASS holds the instance and the class, each ended by a NUL.
        const QByteArray value(static_cast<const char*>(xcb_get_property_value(wmClass.reply)),
                               xcb_get_property_value_length(wmClass.reply));
        const QList<QByteArray> parts = value.split('\0');
        if (parts.size() < 2 || parts[1].isEmpty())
            continue;
        result.push_back({windows[i], QString::fromUtf8(parts[1])});
    }
    return result;
}

QStringList X11Workspace::launchedApplications() const {
    QStringList names;
    for (const Client& client : clients()) {
        if (!names.contains(client.className))
            names << client.className;
    }
    return names;
}

bool X11Workspace::launchApplication(const QString& name) {
    for (const Client& client : clients()) {
        if (client.className.compare(name, Qt::CaseInsensitive) == 0)
            return activate(client.window);
    }
    return start(name);
}

bool X11Workspace::activate(std::uint32_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_connection->activeWindow;
    // Source 2: a request on the user's behalf, which window managers do not refuse as focus
    // stealing.
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection->xcb, 0, m_connection->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    return xcb_flush(m_connection->xcb) > 0;
}

bool X11Workspace::start(const QString& name) {
    const QString path = findDesktopEntry(name, m_entryFolders);
    if (path.isEmpty()) {
        log(QStringLiteral("no desktop entry starts the application '%1'").arg(name));
        return false;
    }
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty())
        return QProcess::startDetached(gio, {QStringLiteral("launch"), path});
    const auto bytes = readFile(path);
    const auto entry = bytes ? parseDesktopEntry(*bytes) : std::nullopt;
    const QStringList arguments = entry ? execArguments(entry->exec) : QStringList();
    if (arguments.isEmpty()) {
        log(QStringLiteral("the desktop entry %1 has no command to start").arg(path));
        return false;
    }
    return QProcess::startDetached(arguments.first(), arguments.mid(1));
}

} // namespace platform::x11
