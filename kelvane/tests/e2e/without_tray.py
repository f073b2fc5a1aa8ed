"""Kelvane on a desktop without any tray: the control window opens as an ordinary window, its
slider sets the LED, and a second start leaves the first copy running and exits with 0."""

import os
import subprocess

import guitest
from guitest import GuiTestError

from agent import led_for_level, make_tree, wait_led


def main():
    env = {"HW_ROOT": os.path.join(guitest.home(), "hw")}
    brightness = make_tree(env["HW_ROOT"])
    app = guitest.launch([guitest.program()], env=env)
    try:
        window = app.window("Kelvane")
        slider = window.find("slider", "Light level")
        slider.set_value(80)
        wait_led(brightness, led_for_level(80), "the slider of the ordinary window")

        environment = dict(os.environ, **env)
        second = subprocess.run([guitest.program()], env=environment, timeout=20)
        if second.returncode != 0:
            raise GuiTestError(f"a second start exited with {second.returncode}, not 0")
        if app.process.poll() is not None:
            raise GuiTestError("the second start ended the first copy")
        if app.terminate() != 0:
            raise GuiTestError("SIGTERM did not end Kelvane with status 0")
    finally:
        app.close()
    print("kelvane without a tray: ok")


if __name__ == "__main__":
    main()
