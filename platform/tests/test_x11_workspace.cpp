// The workspace against the test's Xvfb: windows of two small clients stand for applications,
// and the test plays the window manager by keeping `_NET_CLIENT_LIST` and watching for
// activation requests.

#include "platform/core/file_io.h"
#include "platform/testing/wait.h"
#include "platform/testing/x11_input_recorder.h"
#include "platform/x11/x11_workspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace platform {
namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

class FakeWindowManager {
public:
    FakeWindowManager() : xcb(xcb_connect(nullptr, nullptr)) {
        root = xcb_setup_roots_iterator(xcb_get_setup(xcb)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(xcb, root, XCB_CW_EVENT_MASK, &mask);
        clientList = atom("_NET_CLIENT_LIST");
        activeWindow = atom("_NET_ACTIVE_WINDOW");
    }
    ~FakeWindowManager() {
        xcb_delete_property(xcb, root, clientList);
        xcb_disconnect(xcb);
    }

    xcb_window_t addWindow(const char* instance, const char* className) {
        const xcb_window_t window = xcb_generate_id(xcb);
        xcb_create_window(xcb, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        QByteArray wmClass = QByteArray(instance) + '\0' + QByteArray(className) + '\0';
        xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                            8, std::uint32_t(wmClass.size()), wmClass.data());
        windows.push_back(window);
        xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, root, clientList, XCB_ATOM_WINDOW, 32,
                            std::uint32_t(windows.size()), windows.data());
        xcb_aux_sync();
        return window;
    }

    /// The windows whose activation was asked for since the last call.
    std::vector<xcb_window_t> activationRequests() {
        xcb_aux_sync();
        std::vector<xcb_window_t> asked;
        while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == activeWindow)
                    asked.push_back(message->window);
            }
            std::free(event);
        }
        return asked;
    }

    xcb_connection_t* xcb;
    xcb_window_t root = 0;
    std::vector<xcb_window_t> windows;

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            xcb, xcb_intern_atom(xcb, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : 0;
        std::free(reply);
        return result;
    }
    void xcb_aux_sync() {
        std::free(xcb_get_input_focus_reply(xcb, xcb_get_input_focus(xcb), nullptr));
    }

    xcb_atom_t clientList = 0;
    xcb_atom_t activeWindow = 0;
};

class X11WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(connection.get(), nullptr) << "no X display"; }

    QString entryFolder() const { return folder.path(); }

    doubles::DisplayConnection connection;
    FakeWindowManager windowManager;
    QTemporaryDir folder;
};

TEST_F(X11WorkspaceTest, ListsEachApplicationOnceByItsWindowClass) {
    x11::X11Workspace workspace(connection.get(), {entryFolder()});
    EXPECT_TRUE(workspace.launchedApplications().isEmpty());
    windowManager.addWindow("editor", "Editor");
    windowManager.addWindow("player", "Player");
    windowManager.addWindow("editor", "Editor");
    EXPECT_EQ(workspace.launchedApplications(), (QStringList{str("Editor"), str("Player")}));
}

TEST_F(X11WorkspaceTest, ActivatesARunningApplicationThroughTheWindowManager) {
    x11::X11Workspace workspace(connection.get(), {entryFolder()});
    windowManager.addWindow("editor", "Editor");
    const xcb_window_t player = windowManager.addWindow("player", "Player");
    windowManager.activationRequests();
    EXPECT_TRUE(workspace.launchApplication(str("player")));
    EXPECT_EQ(windowManager.activationRequests(), std::vector<xcb_window_t>{player});
}

TEST_F(X11WorkspaceTest, StartsAnApplicationWithoutWindowsFromItsEntry) {
    const QString marker = folder.path() + str("/started");
    ASSERT_TRUE(writeFileAtomically(
        folder.path() + str("/probe.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Probe\n"
                       "Exec=sh -c \"echo started > %1\"\nStartupWMClass=ProbeApp\n")
            .arg(marker)
            .toUtf8()));
    x11::X11Workspace workspace(connection.get(), {entryFolder()});
    EXPECT_TRUE(workspace.launchApplication(str("probeapp")));
    EXPECT_TRUE(doubles::waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_TRUE(windowManager.activationRequests().empty());
}

TEST_F(X11WorkspaceTest, AnApplicationWithoutWindowOrEntryCannotBeLaunched) {
    x11::X11Workspace workspace(connection.get(), {entryFolder()});
    EXPECT_FALSE(workspace.launchApplication(str("NotInstalled")));
    EXPECT_FALSE(workspace.launchApplication(str("")));
}

} // namespace
} // namespace platform
