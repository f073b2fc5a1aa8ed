"""Voltaro as a person uses it: on the simulated battery, add the day's capacity to the history,
open the history and find the entry in its table, then quit from the menu and find the entry
saved."""

import datetime
import os
import re
import sys

import guitest
from guitest import wait_until

CAPACITY = "88 % (4400 mAh)"  # the simulated battery: 4400 of 5000 mAh


def main():
    app = guitest.launch([guitest.program(), "--simulate"])
    try:
        window = app.window("Voltaro (simulated battery)")
        # The fields show once the first reading is in; only then is there a reading to keep.
        window.find("label", re.compile(r"^Battery health: 88 %$"))
        window.find("label", re.compile(r"^Design capacity: 5000 mAh$"))
        add = window.find("push button", "Add to History")
        wait_until(add.is_enabled, "Add to History enabled")
        add.press()

        window.find("push button", "History").press()
        history = app.window("Voltaro History")
        table = history.find("table", "History entries")
        assert table.column_headers() == ["Date", "Capacity"], table.column_headers()
        today = datetime.date.today().isoformat()
        wait_until(lambda: table.table() == [[today, CAPACITY]],
                   f"the entry {today} {CAPACITY} in the history table")
        history.find("push button", "Delete")

        # Quitting through the menu saves the history on the way out.
        window.find("menu item", "Quit").press()
        assert app.wait_exit() == 0
        store = os.path.join(os.environ["XDG_DATA_HOME"], "Voltaro", "Voltaro.xml")
        with open(store) as stream:
            saved = stream.read()
        assert f"<string>{today}</string>" in saved and f"<string>{CAPACITY}</string>" in saved, \
            saved
    finally:
        app.close()
    print("voltaro history entry end-to-end test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
