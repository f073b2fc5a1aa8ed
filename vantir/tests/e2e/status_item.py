"""Vantir's status item as a user reaches it: the icon in the panel's tray, its menu that turns
the remote off, and Quit. The remote is a FIFO of input event records; with "DebugMode" the
program logs each event it acts on, so the log shows whether the remote still listens.

Qt leaves popup menus out of the accessibility tree, so the menu is worked with the mouse at
its items' places, and its effects are read from the log."""

import os
import plistlib
import struct
import subprocess
import sys

import guitest
from guitest import GuiTestError, wait_until

KEY_PLAYPAUSE = 164
KEY_MENU = 139
EV_KEY = 1


def write_settings():
    with open(os.path.join(os.environ["XDG_CONFIG_HOME"], "Vantir.plist"), "wb") as stream:
        plistlib.dump({"LookForUpdate": False, "ShowOSDAtStartup": False, "DebugMode": True},
                      stream)


def tray_icon():
    """The X window of Vantir's tray icon, once the tray host has embedded it."""
    def lookup():
        found = subprocess.run(["xdotool", "search", "--class", "Vantir"],
                               capture_output=True, text=True).stdout.split()
        return found[-1] if found else None
    return wait_until(lookup, "the tray icon")


class Program:
    def __init__(self):
        self.fifo_path = os.path.join(guitest.home(), "remote")
        os.mkfifo(self.fifo_path)
        self.log_path = os.path.join(guitest.home(), "vantir.log")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen(
            [guitest.program(), "--remote-device", self.fifo_path], stderr=self.log)
        self.fifo = open(self.fifo_path, "wb")

    def logged(self):
        with open(self.log_path) as stream:
            return stream.read()

    def key(self, code, value):
        self.fifo.write(struct.pack("llHHi", 0, 0, EV_KEY, code, value) +
                        struct.pack("llHHi", 0, 0, 0, 0, 0))
        self.fifo.flush()

    def click_play(self):
        self.key(KEY_PLAYPAUSE, 1)
        self.key(KEY_PLAYPAUSE, 0)

    def close(self):
        self.fifo.close()
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
        sys.stderr.write(self.logged())


def open_menu(icon):
    """Opens the status item's menu with a right click; answers its window's position and size."""
    guitest.xdotool("mousemove", "--window", icon, "5", "5", "click", "3")

    def menu_window():
        shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "Vantir"],
                               capture_output=True, text=True).stdout.split()
        return next((window for window in shown if window != icon), None)
    window = wait_until(menu_window, "the status item's menu")
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True).stdout
    values = dict(line.split("=") for line in geometry.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def choose(icon, item):
    """Clicks the first ("first") or the last ("last") item of the status item's menu."""
    x, y, width, height = open_menu(icon)
    row = y + 10 if item == "first" else y + height - 12
    guitest.xdotool("mousemove", str(x + width // 2), str(row), "click", "1")


def main():
    write_settings()
    program = Program()
    try:
        icon = tray_icon()
        program.click_play()
        wait_until(lambda: "ARB_PLAY single (arbe: 257)" in program.logged(),
                   "the click of Play acted on while the remote listens")

        open_menu(icon)
        subprocess.run(["import", "-window", "root",
                        os.environ.get("VANTIR_SCREENSHOT", "/tmp/vantir-status-item.png")],
                       check=False)
        # A click beside the menu closes it.
        guitest.xdotool("mousemove", "600", "400", "click", "1")

        choose(icon, "first")  # "Listen to the Remote", checked: off
        # Heard but not acted on: the remote no longer listens. A Menu hold activates it again
        # (its release then comes to a listening program), and the next click of Play is acted
        # on.
        program.click_play()
        program.key(KEY_MENU, 1)
        wait_until(lambda: "Apple Remote pressed Menu (long)" in program.logged(),
                   "Menu held past the hold threshold")
        program.key(KEY_MENU, 0)
        program.click_play()
        wait_until(lambda: program.logged().count("ARB_PLAY single") == 2,
                   "the click of Play after the Menu hold acted on")
        events = [line for line in program.logged().splitlines() if "(arbe:" in line]
        if events != ["Vantir: ARB_PLAY single (arbe: 257)", "Vantir:  up (arbe: 512)",
                      "Vantir: ARB_PLAY single (arbe: 257)"]:
            raise GuiTestError(f"events acted on: {events}")

        choose(icon, "last")  # "Quit Vantir"
        status = program.process.wait(timeout=guitest.DEFAULT_TIMEOUT)
        if status != 0:
            raise GuiTestError(f"Vantir ended with status {status}")
    finally:
        program.close()


if __name__ == "__main__":
    main()
