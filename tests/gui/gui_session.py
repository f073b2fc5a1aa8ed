#!/usr/bin/python3
"""Runs one end-to-end test inside a private desktop session.

Starts an X server without a screen, a private session bus, the accessibility bus and, when
asked, a tray host and a notification server that records every bubble; then runs the test
command with the session's addresses in its environment and stops everything again. The
exit status is the test's.

    gui_session.py [--tray] [--notifications] -- COMMAND [ARGS...]

The test sees DISPLAY, DBUS_SESSION_BUS_ADDRESS, a fresh HOME with its own XDG folders
(GUI_TEST_HOME), and GUI_TEST_NOTIFICATIONS, the file of recorded bubbles (one JSON object a
line), when the notification server runs.
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
START_TIMEOUT = 30.0


class SessionError(Exception):
    pass


def wait_for(condition, what, timeout=START_TIMEOUT, interval=0.02):
    """Polls condition until it holds; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise SessionError(f"timed out waiting for {what}")
        time.sleep(interval)


def read_line(stream, what):
    """Reads the one line a starting server prints once it is ready."""
    line = stream.readline()
    if not line:
        raise SessionError(f"{what} did not start")
    return line.strip()


class Session:
    def __init__(self):
        self.processes = []
        self.home = tempfile.mkdtemp(prefix="gui-test-")
        self.env = dict(os.environ)

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        # -displayfd picks a free display and writes its number once the server accepts clients.
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                    "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                   stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as stream:
            number = read_line(stream, "Xvfb")
        self.env["DISPLAY"] = ":" + number

    def start_session_bus(self):
        process = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"],
                             stdout=subprocess.PIPE, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(process.stdout, "the session bus")

    def name_has_owner(self, name):
        result = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name],
            env=self.env, capture_output=True, text=True)
        return result.returncode == 0 and "boolean true" in result.stdout

    def start_accessibility_bus(self):
        self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                   stderr=subprocess.DEVNULL)
        wait_for(lambda: self.name_has_owner("org.a11y.Bus"), "the accessibility bus")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_ACCESSIBILITY"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"

    def start_tray(self):
        self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                    "--height", "24", "--SetDockType", "true", "--expand", "true"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: tray_selection_owned(self.env["DISPLAY"]), "the tray host")

    def start_notification_server(self):
        record = os.path.join(self.home, "notifications.jsonl")
        open(record, "w").close()
        process = self.spawn([sys.executable, os.path.join(HERE, "notification_server.py"),
                              record], stdout=subprocess.PIPE, text=True)
        read_line(process.stdout, "the notification server")
        self.env["GUI_TEST_NOTIFICATIONS"] = record

    def prepare_home(self):
        for variable, folder in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME",
                                 ".local/share"), ("XDG_CACHE_HOME", ".cache"),
                                 ("XDG_RUNTIME_DIR", "runtime")):
            path = os.path.join(self.home, folder)
            os.makedirs(path, mode=0o700, exist_ok=True)
            self.env[variable] = path
        self.env["HOME"] = self.home
        self.env["GUI_TEST_HOME"] = self.home
        self.env["PYTHONPATH"] = os.pathsep.join(
            p for p in (HERE, self.env.get("PYTHONPATH")) if p)
        self.env["QT_QPA_PLATFORM"] = "xcb"

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        if os.environ.get("GUI_TEST_KEEP_HOME"):
            print(f"gui_session: kept {self.home}", file=sys.stderr)
        else:
            shutil.rmtree(self.home, ignore_errors=True)


def tray_selection_owned(display):
    """True once some client owns the XEmbed system tray selection of screen 0."""
    library = ctypes.util.find_library("X11")
    if not library:
        raise SessionError("libX11 is missing")
    x11 = ctypes.cdll.LoadLibrary(library)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        return False
    try:
        atom = x11.XInternAtom(connection, b"_NET_SYSTEM_TRAY_S0", 0)
        return x11.XGetSelectionOwner(connection, atom) != 0
    finally:
        x11.XCloseDisplay(connection)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tray", action="store_true", help="start a tray host")
    parser.add_argument("--notifications", action="store_true",
                        help="start a notification server that records every bubble")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    arguments = parser.parse_args()
    command = arguments.command[1:] if arguments.command[:1] == ["--"] else arguments.command
    if not command:
        parser.error("no test command given")

    session = Session()
    # ctest ends a test that runs too long with SIGTERM; stop the servers on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    try:
        session.prepare_home()
        session.start_display()
        session.start_session_bus()
        session.start_accessibility_bus()
        if arguments.tray:
            session.start_tray()
        if arguments.notifications:
            session.start_notification_server()
        return subprocess.run(command, env=session.env).returncode
    except SessionError as error:
        print(f"gui_session: {error}", file=sys.stderr)
        return 1
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
