"""Fluxen as a user meets it: move a slider of the panel, quit with the desktop's quit keys,
and find the new setting in the settings file."""

import os
import plistlib
import sys

import guitest
from guitest import wait_until


def main():
    settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Fluxen.plist")
    assert not os.path.exists(settings), "a fresh session starts without settings"

    app = guitest.launch([guitest.program(), "--simulate"])
    try:
        window = app.window("Fluxen")
        for name in ("Particle count", "Radius", "Drawn size", "Gravity", "Speed", "Stiffness",
                     "Trail"):
            window.find("slider", name)
        for name in ("Defaults", "Colour", "Homepage", "Donate"):
            window.find("push button", name)

        gravity = window.find("slider", "Gravity")
        # The slider holds tenths: 11.0 is the start value.
        assert gravity.value == 110.0, gravity.value
        gravity.set_value(250)
        wait_until(lambda: gravity.value == 250.0, "the gravity slider at 25.0")

        window.find(name="Liquid").focus()
        guitest.key("ctrl+q")
        status = app.wait_exit()
        assert status == 0, f"exit status {status}"
    finally:
        app.close()

    with open(settings, "rb") as stream:
        saved = plistlib.load(stream)
    assert saved["gravity"] == 25.0, saved
    assert saved["pnum"] == 600, saved
    print("Fluxen saved the moved slider at quit")
    return 0


if __name__ == "__main__":
    sys.exit(main())
