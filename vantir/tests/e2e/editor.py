"""Vantir's display and editor as a user reaches them: the display shows the active layer's
buttons by name; in the editor a new keystroke action is made, named, dropped on a button of the
editor's display and saved, and the archive file then binds that button to it; undo takes the
drop back. A script bound to a button the same way runs when that button of the display is
clicked."""

import os
import plistlib
import subprocess

import pyatspi

import guitest
from guitest import GuiTestError, wait_until


def write_settings():
    with open(os.path.join(os.environ["XDG_CONFIG_HOME"], "Vantir.plist"), "wb") as stream:
        plistlib.dump({"LookForUpdate": False, "ShowOSDAtStartup": True,
                       "ActivateIROnStartup": False}, stream)


def archive_path():
    return os.path.join(os.environ["XDG_DATA_HOME"], "Vantir", "archive.xml")


def read_archive():
    with open(archive_path(), "rb") as stream:
        return plistlib.load(stream)


def layer_named(archive, name):
    for layer in archive["Remotes"][0]["childs"]:
        if layer["name"] == name:
            return layer
    raise GuiTestError(f"no layer {name!r} in the archive")


def action_named(archive, name):
    for application in archive["Library"]:
        for group in application["childs"]:
            for action in group["childs"]:
                if action["name"] == name:
                    return action
    return None


def tray_icon():
    def lookup():
        found = subprocess.run(["xdotool", "search", "--class", "Vantir"],
                               capture_output=True, text=True).stdout.split()
        return found[-1] if found else None
    return wait_until(lookup, "the tray icon")


def visible_windows():
    return set(subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "Vantir"],
                              capture_output=True, text=True).stdout.split())


def open_editor(icon):
    """Chooses "Edit Actions and Layers…" in the status item's menu, by its mnemonic."""
    before = visible_windows()
    guitest.xdotool("mousemove", "--window", icon, "5", "5", "click", "3")
    wait_until(lambda: visible_windows() - before, "the status item's menu")
    guitest.key("e")


def type_into(field, text):
    """Clicks into a text field, waits until it has the focus, and types `text` over its
    contents, ending with Return."""
    field.click()
    wait_until(lambda: field.accessible.getState().contains(pyatspi.STATE_FOCUSED),
               "the focus in the text field")
    guitest.key("ctrl+a")
    guitest.type_text(text)
    guitest.key("Return")


def drag(source, target):
    x, y, width, height = source.extents()
    tx, ty, twidth, theight = target.extents()
    guitest.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2))
    guitest.xdotool("mousedown", "1")
    # Qt starts a drag once the pointer has moved far enough, then follows it.
    for step in range(1, 11):
        guitest.xdotool("mousemove", "--sync",
                        str(x + width // 2 + (tx + twidth // 2 - x - width // 2) * step // 10),
                        str(y + height // 2 + (ty + theight // 2 - y - height // 2) * step // 10))
    guitest.xdotool("mouseup", "1")


def main():
    write_settings()
    application = guitest.launch([guitest.program()])
    try:
        display = application.window("Vantir Display")
        for title in ("Presentation", "Space", "Next", "Previous", "Escape"):
            display.find(name=title)

        open_editor(tray_icon())
        editor = application.window("Vantir Editor")
        editor.find(role="list", name="Applications").find(name="Desktop").click()
        editor.find(role="list", name="Groups").find(name="Keys").click()
        editor.find(role="push button", name="Add Keystroke").press()
        actions = editor.find(role="list", name="Actions")
        actions.find(name="New Keystroke")
        name = editor.find(role="text", name="Action Name")
        type_into(name, "E2E Key")
        new_action = actions.find(name="E2E Key")

        # The editor's display shows the first layer; its Play button is "Space".
        tiles = [tile for tile in editor.find_all(name="Space") if tile.role != "list item"]
        if len(tiles) != 1:
            raise GuiTestError(f"{len(tiles)} tiles named 'Space' in the editor's display")
        drag(new_action, tiles[0])
        wait_until(lambda: editor.find_all(name="E2E Key", role=tiles[0].role),
                   "the button renamed after the dropped action")
        subprocess.run(["import", "-window", "root",
                        os.environ.get("VANTIR_SCREENSHOT", "/tmp/vantir-editor.png")],
                       check=False)

        editor.find(role="push button", name="Save").press()
        wait_until(lambda: os.path.exists(archive_path()) and
                   action_named(read_archive(), "E2E Key"), "the archive saved with the action")
        archive = read_archive()
        added = action_named(archive, "E2E Key")
        play = [trigger for trigger in layer_named(archive, "Presentation")["childs"]
                if trigger.get("osdb") == 1]
        if len(play) != 1 or [entry["uuid"] for entry in play[0]["childs"]] != [added["uuid"]]:
            raise GuiTestError(f"the Play button of the saved archive is {play}")
        if play[0]["name"] != "E2E Key" or added["class"] != "VNTAKeystroke":
            raise GuiTestError(f"saved: button {play[0]['name']!r}, action {added}")

        # Undo takes the drop back on the display; saving again writes the old binding.
        editor.find(role="push button", name="Undo").press()
        wait_until(lambda: not editor.find_all(name="E2E Key", role=tiles[0].role),
                   "the drop undone")
        editor.find(role="push button", name="Save").press()
        wait_until(lambda: layer_named(read_archive(), "Presentation")["childs"][1]["name"]
                   == "Space", "the archive saved after the undo")

        # A script bound to Next in the editor; a click on Next in the display performs it.
        marker = os.path.join(guitest.home(), "clicked")
        editor.find(role="push button", name="Add Script").press()
        type_into(name, "Touch")
        editor.find(name="Script").set_text(f"touch '{marker}'")
        editor.find(role="push button", name="Keep Script").press()
        next_tile = [tile for tile in editor.find_all(name="Next") if tile.role != "list item"]
        drag(actions.find(name="Touch"), next_tile[0])
        wait_until(lambda: editor.find_all(name="Touch", role=tiles[0].role),
                   "Next renamed after the script")
        editor.find(role="push button", name="Save").press()
        wait_until(lambda: action_named(read_archive(), "Touch"), "the script saved")
        # Saved, the editor closes without asking; the display is then in reach.
        name.click()
        guitest.key("ctrl+w")
        wait_until(lambda: not editor.is_showing(), "the editor closed")
        display.find(name="Touch").click()
        wait_until(lambda: os.path.exists(marker), "the script run by a click on the display")

        status = application.terminate()
        if status != 0:
            raise GuiTestError(f"Vantir ended with status {status}")
    finally:
        application.close()


if __name__ == "__main__":
    main()
