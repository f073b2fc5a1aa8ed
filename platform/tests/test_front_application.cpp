// The front application on a real X server (the test runs under Xvfb): two small clients with
// windows of different classes, and the test playing the window manager that names the active
// window in _NET_ACTIVE_WINDOW.

#include "platform/testing/wait.h"
#include "platform/x11/x11_front_application.h"

#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with GoogleTest's names, so Xlib comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using platform::doubles::waitUntil;

namespace {

// One X client with one window of the given WM_CLASS.
struct Client {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    explicit Client(const char* className) {
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XClassHint hint;
        char instance[] = "instance";
        hint.res_name = instance;
        hint.res_class = const_cast<char*>(className);
        XSetClassHint(display, window, &hint);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~Client() { XCloseDisplay(display); }
};

struct WindowManager {
    Display* display = XOpenDisplay(nullptr);
    ~WindowManager() { XCloseDisplay(display); }
    void activate(Window window) {
        const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
        const unsigned long value = window;
        XChangeProperty(display, DefaultRootWindow(display), active, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display, False);
    }
};

} // namespace

TEST(X11FrontApplication, FollowsTheActiveWindowsClass) {
    WindowManager manager;
    ASSERT_NE(manager.display, nullptr) << "needs an X server";
    Client terminal("XTerm");
    Client browser("firefox");
    manager.activate(terminal.window);

    platform::x11::X11FrontApplication front(manager.display);
    EXPECT_EQ(front.frontApplicationName(), QStringLiteral("XTerm"));
    QStringList changes;
    front.setChangeHandler([&](const QString& name) { changes.append(name); });

    manager.activate(browser.window);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 1; }));
    EXPECT_EQ(changes.last(), QStringLiteral("firefox"));
    EXPECT_EQ(front.frontApplicationName(), QStringLiteral("firefox"));

    // The same window named again is no change.
    manager.activate(browser.window);
    manager.activate(terminal.window);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 2; }));
    EXPECT_EQ(changes.last(), QStringLiteral("XTerm"));

    // No active window, and a window that is gone, have no name; neither breaks the watch.
    manager.activate(None);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 3; }));
    EXPECT_EQ(changes.last(), QString());
    manager.activate(browser.window);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 4; }));
    const Window gone = browser.window;
    XDestroyWindow(browser.display, gone);
    XSync(browser.display, False);
    manager.activate(terminal.window);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 5; }));
    manager.activate(gone);
    ASSERT_TRUE(waitUntil([&] { return changes.size() == 6; }));
    EXPECT_EQ(changes,
              (QStringList{QStringLiteral("firefox"), QStringLiteral("XTerm"), QString(),
                           QStringLiteral("firefox"), QStringLiteral("XTerm"), QString()}));
}

TEST(X11FrontApplication, WithoutADisplayTheNameStaysEmpty) {
    platform::x11::X11FrontApplication front(nullptr);
    EXPECT_EQ(front.frontApplicationName(), QString());
}
