"""Proves the GUI harness on its own probe window: finding widgets by role and name, pressing,
setting values, reading labels and tables, typing, keys through XTest, the tray host and the
recorded notifications."""

import os
import re
import sys

import guitest
from guitest import wait_until


def main():
    app = guitest.launch([guitest.program()])
    try:
        window = app.window("Probe")

        count = window.find("push button", "Count")
        presses = window.find("label", re.compile(r"^Presses: "))
        assert presses.text == "Presses: 0", presses.text
        for n in (1, 2):
            count.press()
            wait_until(lambda: presses.text == f"Presses: {n}", f"press {n} counted")

        level = window.find("slider", "Level")
        assert level.value_range == (0.0, 100.0), level.value_range
        level.set_value(42)
        window.find("label", "Level: 42")

        steps = window.find("spin button", "Steps")
        steps.set_value(7)
        wait_until(lambda: steps.value == 7.0, "the spin box at 7")

        entries = window.find("table", "Entries")
        assert entries.column_headers() == ["Date", "Charge"], entries.column_headers()
        assert entries.table() == [["2026-12-01", "81 %"], ["2026-12-02", "79 %"]], \
            entries.table()

        window.find("label", "Tray: yes")

        note = window.find("text", "Note")
        note.click()
        wait_until(lambda: note.accessible.getState().contains(guitest.pyatspi.STATE_FOCUSED),
                   "the note field focused")
        guitest.type_text("hello")
        wait_until(lambda: note.text == "hello", "the typed note")
        window.find("push button", "Notify").press()
        bubble = guitest.wait_for_notification(lambda n: n["summary"] == "hello")
        assert bubble["app_name"] == "gui-harness-probe", bubble

        # A key combination through XTest ends the program through its normal quit path.
        count.focus()
        guitest.key("ctrl+q")
        assert app.wait_exit() == 0
        saved = os.path.join(os.environ["XDG_CONFIG_HOME"], "gui-harness-probe.txt")
        with open(saved) as stream:
            assert stream.read().strip() == "42"
    finally:
        app.close()
    print("gui harness self-test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
