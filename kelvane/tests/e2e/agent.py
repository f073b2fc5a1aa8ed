"""Kelvane as a person uses it, on a fake LED tree: the remembered level reaches the LED at
start, the stored hot keys step, repeat and toggle the light with a bubble each, idle dimming
turns it off and input brings it back, a click on the tray icon drops the slider, and moving
it sets the LED. Without any LED the agent says so and exits with status 1."""

import os
import plistlib
import re
import subprocess

import guitest
from guitest import GuiTestError, wait_until

LED = "tpacpi::kbd_backlight"
MAX = 255
CONTROL_OPTION = 0x1000 | 0x800
FILLED, EMPTY = "\u25fc", "\u25fb"


def make_tree(root, with_led=True):
    folder = os.path.join(root, "sys", "class", "leds")
    os.makedirs(folder, exist_ok=True)
    if with_led:
        os.makedirs(os.path.join(folder, LED), exist_ok=True)
        with open(os.path.join(folder, LED, "max_brightness"), "w") as stream:
            stream.write(f"{MAX}\n")
        with open(os.path.join(folder, LED, "brightness"), "w") as stream:
            stream.write("0\n")
    return os.path.join(folder, LED, "brightness")


def led_for_level(level):
    raw = level * 4095 // 100
    return (2 * raw * MAX + 4095) // (2 * 4095)


def read_led(path):
    with open(path) as stream:
        return int(stream.read().strip() or -1)


def wait_led(path, wanted, what, timeout=20):
    try:
        wait_until(lambda: read_led(path) == wanted, f"{what}: LED at {wanted}", timeout)
    except GuiTestError as error:
        raise GuiTestError(f"{error}; it is at {read_led(path)}") from None


def squares(level):
    blocks = level // 10
    return FILLED * blocks + EMPTY * (10 - blocks) if blocks else "Off"


def write_settings():
    combo = lambda key: {"keyCode": key, "modifiers": CONTROL_OPTION}
    settings = {
        "rememberLightLevel": True,
        "storedLightLevel": 60,
        "storedLockButtonState": True,
        "idleTimerSeconds": 5,
        "DidShowFirstStartNotification": True,
        "donationDidAlreadyContribute": True,
        "dimHotKey": combo(0x7D),        # down arrow
        "brightenHotKey": combo(0x7E),   # up arrow
        "toggleHotKey": combo(0x11),     # T
    }
    path = os.path.join(os.environ["XDG_CONFIG_HOME"], "Kelvane.plist")
    with open(path, "wb") as stream:
        plistlib.dump(settings, stream)


def tray_icon_window():
    """The icon's window, docked in the tray host."""
    def search():
        found = subprocess.run(["xdotool", "search", "--classname", "Kelvane"], capture_output=True,
                               text=True).stdout.split()
        for window in found:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                      capture_output=True, text=True).stdout
            values = dict(line.split("=") for line in geometry.split())
            if int(values.get("WIDTH", 0)) <= 32 and int(values.get("HEIGHT", 0)) <= 32:
                return values
        return None
    return wait_until(search, "the tray icon")


def start_agent(env):
    """Starts the agent, which shows no window until its icon is clicked."""
    environment = dict(os.environ)
    environment.update(env)
    return subprocess.Popen([guitest.program()], env=environment)


def attach(process):
    """The agent's accessibility tree, once one of its windows shows."""
    def lookup():
        if process.poll() is not None:
            raise GuiTestError(f"Kelvane exited with status {process.returncode}")
        for application in guitest.desktop():
            try:
                if application is not None and application.get_process_id() == process.pid:
                    application.set_cache_mask(guitest.Atspi.Cache.NONE)
                    return application if application.childCount > 0 else None
            except Exception:
                continue
        return None
    return guitest.Application(process, wait_until(lookup, "Kelvane's window"))


def with_led(home):
    env = {"HW_ROOT": os.path.join(home, "hw")}
    brightness = make_tree(env["HW_ROOT"])
    write_settings()
    process = start_agent(env)
    app = None
    try:
        wait_led(brightness, led_for_level(60), "the remembered level at start")

        guitest.key("ctrl+alt+Up")
        wait_led(brightness, led_for_level(70), "brighten")
        guitest.wait_for_notification(lambda n: n["body"].endswith(squares(70)))

        guitest.key("ctrl+alt+t")
        wait_led(brightness, 0, "toggle off")
        guitest.wait_for_notification(lambda n: n["body"].endswith("Off"))
        guitest.key("ctrl+alt+t")
        wait_led(brightness, led_for_level(70), "toggle on")

        # Held for a while, the brighten key repeats every tenth of a second, up to full.
        guitest.xdotool("keydown", "ctrl+alt+Up")
        wait_until(lambda: read_led(brightness) >= led_for_level(90), "repeated brightening")
        guitest.xdotool("keyup", "Up", "alt", "ctrl")
        level = led_for_level(100)
        wait_led(brightness, level, "full light after the repeats")
        steps = [n for n in guitest.notifications() if n["app_name"] == "Kelvane"]
        if len({n["id"] for n in steps}) != 1:
            raise GuiTestError(f"level bubbles stacked instead of replacing one: {steps}")
        guitest.xdotool("keydown", "ctrl+alt+Down")
        guitest.xdotool("keyup", "Down", "alt", "ctrl")
        level = led_for_level(90)
        wait_led(brightness, level, "one step down for a short press")

        # Left alone past the delay the light goes off; a move of the pointer brings it back.
        wait_led(brightness, 0, "idle dimming", timeout=30)
        guitest.xdotool("mousemove", "300", "300")
        guitest.xdotool("mousemove", "310", "310")
        wait_led(brightness, level, "input after idle dimming")

        icon = tray_icon_window()
        guitest.xdotool("mousemove", str(int(icon["X"]) + 8), str(int(icon["Y"]) + 8), "click", "1")
        app = attach(process)
        slider = app.find("slider", "Light level")
        wait_until(slider.is_showing, "the dropped control window")
        slider.set_value(30)
        wait_led(brightness, led_for_level(30), "the slider")

        # A new toggle shortcut recorded in the preferences works at once.
        app.find("push button", "Action").click()
        guitest.key("Down", "Return")
        preferences = app.window("Kelvane Preferences")
        preferences.find(None, "Advanced").press()
        recorder = preferences.find("push button", "Toggle shortcut")
        wait_until(recorder.is_showing, "the Advanced pane")
        # The snap-back button ends recording and keeps the old shortcut.
        old_shortcut = recorder.description
        recorder.press()
        wait_until(lambda: recorder.description == "Type shortcut", "the recorder recording")
        snapback = preferences.find("push button", "Toggle shortcut: Use old shortcut")
        x, y, width, height = snapback.extents()
        guitest.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2))
        wait_until(lambda: recorder.description == "Use old shortcut", "the snap-back hint")
        guitest.xdotool("click", "1")
        wait_until(lambda: recorder.description == old_shortcut, "the old shortcut kept")
        # Off the snap-back button, or the recorder shows its hint instead of "Type shortcut".
        guitest.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height * 4))
        recorder.press()
        wait_until(lambda: recorder.description == "Type shortcut", "the recorder recording")
        guitest.key("ctrl+shift+l")
        wait_until(lambda: recorder.description == "\u2303\u21e7L", "the recorded shortcut")
        guitest.key("Escape")
        guitest.key("ctrl+shift+l")
        wait_led(brightness, 0, "the recorded toggle shortcut")
        guitest.key("ctrl+shift+l")
        wait_led(brightness, led_for_level(30), "the recorded toggle shortcut, again")

        # Quit from the action menu saves the level. The preferences took the focus, so the
        # control window went up: the icon drops it again.
        guitest.xdotool("mousemove", str(int(icon["X"]) + 8), str(int(icon["Y"]) + 8), "click", "1")
        wait_until(slider.is_showing, "the control window dropped again")
        app.find("push button", "Action").click()
        # The popup menu is not in the accessibility tree: its last item is chosen by keys.
        guitest.key("Up", "Return")
        if app.wait_exit() != 0:
            raise GuiTestError("Quit did not end Kelvane with status 0")
        with open(os.path.join(os.environ["XDG_CONFIG_HOME"], "Kelvane.plist"), "rb") as stream:
            stored = plistlib.load(stream)
        if stored["storedLightLevel"] != 30:
            raise GuiTestError(f"storedLightLevel is {stored['storedLightLevel']}, not 30")
        if stored["toggleHotKey"] != {"keyCode": 0x25, "modifiers": 0x1000 | 0x200}:
            raise GuiTestError(f"toggleHotKey is stored as {stored['toggleHotKey']}")
    finally:
        if app:
            app.close()
        elif process.poll() is None:
            process.kill()
            process.wait()


def without_led(home):
    env = {"HW_ROOT": os.path.join(home, "empty")}
    make_tree(env["HW_ROOT"], with_led=False)
    app = guitest.launch([guitest.program()], env=env)
    try:
        app.find("label", re.compile("No keyboard backlight"))
        app.find("push button", "Quit").press()
        status = app.wait_exit()
        if status != 1:
            raise GuiTestError(f"without a backlight Kelvane exited with {status}, not 1")
    finally:
        app.close()


def main():
    home = guitest.home()
    without_led(home)
    with_led(home)
    print("kelvane e2e: ok")


if __name__ == "__main__":
    main()
