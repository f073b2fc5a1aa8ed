#!/usr/bin/python3
"""A notification server for tests: owns org.freedesktop.Notifications on the session bus and
appends every Notify call to a file, one JSON object a line. Prints "ready" once it owns the
name."""

import itertools
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


def plain(value):
    """Turns D-Bus values into what JSON can hold."""
    if isinstance(value, (dbus.Array, list)):
        return [plain(item) for item in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, (int, dbus.Byte)):
        return int(value)
    if isinstance(value, float):
        return float(value)
    return str(value)


class Recorder(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, PATH)
        self.record = record
        self.ids = itertools.count(1)

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        identifier = int(replaces_id) or next(self.ids)
        entry = {"id": identifier, "app_name": str(app_name), "replaces_id": int(replaces_id),
                 "app_icon": str(app_icon), "summary": str(summary), "body": str(body),
                 "actions": plain(actions), "hints": plain(hints), "timeout": int(timeout)}
        with open(self.record, "a") as stream:
            stream.write(json.dumps(entry) + "\n")
        return identifier

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, identifier):
        self.NotificationClosed(identifier, 3)

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ["test-notifications", "notebook-suite", "1.0", "1.2"]

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, identifier, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    recorder = Recorder(bus, sys.argv[1])
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, recorder


if __name__ == "__main__":
    main()
