"""QuellarController as a person uses it on a simulated processor, with every system file under
a QUELLAR_ROOT tree and recording systemctl and modprobe: the first start installs after the
questions, the window shows the processor, and a table composed in the window and saved
without a test lands in the switcher file and the unit, with the job enabled."""

import os
import plistlib
import stat
import subprocess
import sys
import tempfile

import guitest
from guitest import wait_until

TOOL = """#!/bin/sh
echo "$(basename "$0") $*" >> "{log}"
exit 0
"""


def make_tree(folder):
    root = os.path.join(folder, "root")
    tools = os.path.join(folder, "tools")
    os.makedirs(root)
    os.makedirs(tools)
    log = os.path.join(folder, "tools.log")
    for name in ("systemctl", "modprobe", "reboot"):
        path = os.path.join(tools, name)
        with open(path, "w") as stream:
            stream.write(TOOL.format(log=log))
        os.chmod(path, stat.S_IRWXU)
    processor = os.path.join(folder, "cpu")
    subprocess.run([os.environ["QUELLAR_SIM"], "init", processor], check=True)
    env = {
        "QUELLAR_ROOT": root,
        "QUELLAR_PRIVILEGED": "direct",
        "QUELLAR_DRIVER": "sim:" + processor,
        "PATH": tools + os.pathsep + os.environ["PATH"],
    }
    return root, log, processor, env


def combo_box(window, description):
    """A combo box answers its present item as its name; its description says what it is."""
    return wait_until(lambda: next((box for box in window.find_all("combo box")
                                    if box.description == description), None),
                      f"the {description} pop-up")


def choose(app, box, item):
    """Opens a pop-up with the pointer and clicks one of its items, as a person does."""
    box.click()
    entry = wait_until(lambda: next((entry for entry in app.find_all("list item", item)
                                     if entry.is_showing()), None), f"the item {item} shown")
    entry.click()
    wait_until(lambda: box.name == item, f"{item} chosen")


def main():
    with tempfile.TemporaryDirectory() as folder:
        root, log, processor, env = make_tree(folder)
        app = guitest.launch([guitest.program()], env=env)
        try:
            app.find("push button", "Yes").press()
            app.find("push button", "Agree").press()
            window = app.window("Quellar Controller")
            # The live labels carry their values as their names.
            window.find("label", "2400 MHz")
            window.find("label", "1.2125 V")
            window.find("label", "50\u00b0C")
            assert os.path.exists(os.path.join(root, "usr/local/sbin/QuellarSwitcher"))

            adapter = window.find("table", "Adapter settings")
            wait_until(lambda: len(adapter.table()) == 4, "the factory states in the adapter table")
            assert adapter.column_headers() == ["Frequency", "Voltage"], adapter.column_headers()
            assert adapter.table()[0] == ["1200 MHz", "0.8625 V"], adapter.table()

            # Adapter: only the fastest setting.
            window.find("push button", "Clear").press()
            wait_until(lambda: adapter.table() == [], "an empty adapter table")
            frequencies = combo_box(window, "Frequency")
            choose(app, frequencies, "2400 MHz")
            window.find("push button", "Add").press()
            wait_until(lambda: adapter.table() == [["2400 MHz", "1.2125 V"]], "the new adapter row")

            # Battery: only the slowest.
            window.find("page tab", "Battery").press()
            battery = window.find("table", "Battery settings")
            wait_until(battery.is_showing, "the battery table")
            window.find("push button", "Clear").press()
            wait_until(lambda: battery.table() == [], "an empty battery table")
            choose(app, frequencies, "1200 MHz")
            window.find("push button", "Add").press()
            wait_until(lambda: battery.table() == [["1200 MHz", "0.8625 V"]], "the new battery row")

            # Save without the test.
            window.find("push button", "Save").press()
            app.find("push button", "No").press()

            launch = os.path.join(root, "etc/quellar/org.notebooksuite.quellar.switcher.plist")
            expected = ["/usr/local/sbin/QuellarSwitcher", "-a", "3112:", "-b", "1548:",
                        "-l", "25:75", "-i", "20", "", ""]

            def saved():
                try:
                    with open(launch, "rb") as stream:
                        return plistlib.load(stream).get("ProgramArguments") == expected
                except (OSError, plistlib.InvalidFileException):
                    return False
            wait_until(saved, "the eleven arguments in the switcher file")
            unit = os.path.join(root, "etc/systemd/system/quellar-switcher.service")
            wait_until(lambda: os.path.exists(unit), "the unit")
            with open(unit) as stream:
                text = stream.read()
            assert ('ExecStart=/usr/local/sbin/QuellarSwitcher -a 3112: -b 1548: -l 25:75 -i 20 "" ""\n'
                    in text), text

            def enabled():
                with open(log) as stream:
                    calls = stream.read().splitlines()
                return calls and calls[-1] == "systemctl enable --now quellar-switcher.service"
            wait_until(enabled, "the job enabled again")
            wait_until(lambda: window.find("push button", "Set") and True, "the Set button")
            assert not window.find("push button", "Set").is_enabled(), "Set while the switcher runs"

            # A test of the settings runs on its own, with progress, until it is cancelled;
            # a cancelled test saves nothing.
            with open(launch, "rb") as stream:
                before = stream.read()
            window.find("push button", "Save").press()
            app.find("push button", "Yes").press()
            cancel = window.find("push button", "Cancel")
            window.find("label", "Testing adapter setting No. 1")
            assert window.find("progress bar", "Test progress").is_showing()
            load = window.find("slider", "CPU load")
            wait_until(lambda: load.value == load.value_range[1], "full load during the test")
            cancel.press()
            window.find("push button", "Save")
            wait_until(lambda: not window.find("progress bar", "Test progress").is_showing(),
                       "the progress bar hidden")
            wait_until(lambda: load.value == 0, "no load after the test")
            with open(launch, "rb") as stream:
                assert stream.read() == before, "a cancelled test saved"

            window.menu_item("Quellar", "Quit").press()
            assert app.wait_exit() == 0
        finally:
            app.close()
    print("QuellarController compose and save end-to-end test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
