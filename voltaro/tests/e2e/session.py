"""Voltaro as a desktop session ends it and starts it: every quit signal saves the history
added since start, and a second start leaves the first copy alone while --print still runs."""

import os
import plistlib
import re
import signal
import subprocess
import sys

import guitest
from guitest import GuiTestError, wait_until


def history_store():
    return os.path.join(os.environ["XDG_DATA_HOME"], "Voltaro", "Voltaro.xml")


def saved_entries():
    try:
        with open(history_store(), "rb") as stream:
            return len(plistlib.load(stream).get("SavedData", []))
    except FileNotFoundError:
        return 0


def start_and_add_entry():
    app = guitest.launch([guitest.program(), "--simulate"])
    window = app.window("Voltaro (simulated battery)")
    window.find("label", re.compile(r"^Battery health: 88 %$"))
    add = window.find("push button", "Add to History")
    wait_until(add.is_enabled, "Add to History enabled")
    add.press()
    window.find("push button", "History").press()
    history = app.window("Voltaro History")
    table = history.find("table", "History entries")
    wait_until(lambda: len(table.table()) > 0, "the new entry in the history table")
    return app


def every_quit_signal_saves_the_history():
    entries = 0
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        app = start_and_add_entry()
        try:
            status = app.terminate(sig)
        finally:
            app.close()
        entries += 1
        if status != 0:
            raise GuiTestError(f"ended by {sig.name}, Voltaro exited with status {status}")
        if saved_entries() != entries:
            raise GuiTestError(f"after {sig.name}: {saved_entries()} entries saved, not {entries}")


def a_second_start_leaves_the_first_alone():
    before = saved_entries()
    first = start_and_add_entry()
    try:
        second = subprocess.run([guitest.program(), "--simulate"], timeout=20)
        if second.returncode != 0:
            raise GuiTestError(f"the second start exited with status {second.returncode}")
        if first.process.poll() is not None:
            raise GuiTestError("the second start ended the first copy")
        printed = subprocess.run([guitest.program(), "--print", "--simulate"], timeout=20,
                                 capture_output=True, text=True)
        if printed.returncode != 0 or "mAh" not in printed.stdout:
            raise GuiTestError(f"--print beside a running copy: status {printed.returncode}, "
                               f"output {printed.stdout!r}")
        if first.terminate(signal.SIGTERM) != 0:
            raise GuiTestError("the first copy did not end cleanly on SIGTERM")
    finally:
        first.close()
    if saved_entries() != before + 1:
        raise GuiTestError("the second start saved over the first copy's history")


def main():
    every_quit_signal_saves_the_history()
    a_second_start_leaves_the_first_alone()
    print("voltaro session end-to-end test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
