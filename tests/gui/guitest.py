"""What an end-to-end test of a windowed program uses: start the program, find its widgets in
the accessibility tree by role and accessible name, press, set values, read texts and tables,
and post keys and clicks through XTest. Every wait is bounded; nothing sleeps a fixed time.

Runs inside gui_session.py, which provides the display and the buses.
"""

import json
import os
import re
import signal
import subprocess
import time

import pyatspi
from gi.repository import Atspi

DEFAULT_TIMEOUT = 20.0


class GuiTestError(AssertionError):
    pass


def wait_until(condition, what, timeout=DEFAULT_TIMEOUT, interval=0.05):
    """Returns condition()'s first true result; fails naming `what` after timeout seconds."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # The tree changes under us while a window is built.
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise GuiTestError(f"timed out after {timeout:g} s waiting for {what}{detail}")
        time.sleep(interval)


def _role_name(accessible):
    return accessible.getRoleName()


def _name_matches(wanted, name):
    if isinstance(wanted, str):
        return name == wanted
    if isinstance(wanted, re.Pattern):
        return wanted.search(name) is not None
    return bool(wanted(name))


class Widget:
    """One node of a program's accessibility tree."""

    def __init__(self, accessible):
        self.accessible = accessible

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"

    @property
    def name(self):
        return self.accessible.name or ""

    @property
    def role(self):
        return _role_name(self.accessible)

    @property
    def description(self):
        return self.accessible.description or ""

    def children(self):
        return [Widget(child) for child in self.accessible if child is not None]

    def descendants(self):
        """Every node below this one, depth first."""
        found = []
        stack = [self.accessible]
        while stack:
            node = stack.pop()
            if node is not self.accessible:
                found.append(node)
            try:
                kids = [node.getChildAtIndex(i) for i in range(node.childCount)]
            except Exception:
                continue
            stack.extend(child for child in reversed(kids) if child is not None)
        return [Widget(node) for node in found]

    def find_all(self, role=None, name=None, showing=None):
        """Every descendant with this role ("push button", "slider", "label" …) and name.

        The name is a string to match exactly, a compiled regular expression to search for
        (a label that shows a value carries that value as its name), or a predicate."""
        matches = []
        for widget in self.descendants():
            try:
                if role is not None and widget.role != role:
                    continue
                if name is not None and not _name_matches(name, widget.name):
                    continue
                if showing is not None and widget.is_showing() != showing:
                    continue
            except Exception:
                continue
            matches.append(widget)
        return matches

    def find(self, role=None, name=None, timeout=DEFAULT_TIMEOUT):
        """The one descendant with this role and name, waiting until it appears."""
        def lookup():
            matches = self.find_all(role, name)
            if len(matches) > 1:
                raise GuiTestError(f"{len(matches)} widgets match role={role!r} name={name!r}")
            return matches[0] if matches else None
        return wait_until(lookup, f"a widget with role={role!r} name={name!r}", timeout)

    def is_showing(self):
        return self.accessible.getState().contains(pyatspi.STATE_SHOWING)

    def is_enabled(self):
        return self.accessible.getState().contains(pyatspi.STATE_ENABLED)

    def is_checked(self):
        return self.accessible.getState().contains(pyatspi.STATE_CHECKED)

    def actions(self):
        action = self.accessible.queryAction()
        return [action.getName(i) for i in range(action.nActions)]

    def do_action(self, *names):
        """Performs the first of the named actions the widget offers."""
        action = self.accessible.queryAction()
        offered = [action.getName(i) for i in range(action.nActions)]
        for wanted in names:
            if wanted in offered:
                action.doAction(offered.index(wanted))
                return
        raise GuiTestError(f"{self!r} offers none of {names}; it offers {offered}")

    def press(self):
        """Presses a button. Qt shows a press for a moment and drops a second press within that
        moment, so wait for the effect of one press before the next."""
        self.do_action("Press", "press", "click", "Toggle", "toggle")

    @property
    def value(self):
        return self.accessible.queryValue().currentValue

    @property
    def value_range(self):
        value = self.accessible.queryValue()
        return value.minimumValue, value.maximumValue

    def set_value(self, number):
        """Sets a slider's or spin box's value as the user would, through the Value interface."""
        self.accessible.queryValue().currentValue = float(number)

    @property
    def text(self):
        """The text of a text field, or of a label (Qt gives a label's text as its name)."""
        try:
            text = self.accessible.queryText()
        except NotImplementedError:
            return self.name
        return text.getText(0, text.characterCount)

    def set_text(self, string):
        self.accessible.queryEditableText().setTextContents(string)

    def table(self):
        """A table's cells as rows of strings, header row excluded."""
        table = self.accessible.queryTable()
        rows = []
        for row in range(table.nRows):
            cells = []
            for column in range(table.nColumns):
                cell = table.getAccessibleAt(row, column)
                cells.append(Widget(cell).text if cell is not None else "")
            rows.append(cells)
        return rows

    def column_headers(self):
        table = self.accessible.queryTable()
        headers = []
        for column in range(table.nColumns):
            header = table.getColumnHeader(column)
            headers.append(Widget(header).name if header is not None else
                           table.getColumnDescription(column))
        return headers

    def extents(self):
        """(x, y, width, height) on the screen."""
        box = self.accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def click(self, button=1):
        """Moves the pointer to the widget's centre and clicks there through XTest."""
        x, y, width, height = self.extents()
        xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2))
        xdotool("click", str(button))

    def focus(self):
        self.accessible.queryComponent().grabFocus()


class Application(Widget):
    """A program under test, started by `launch`."""

    def __init__(self, process, accessible):
        super().__init__(accessible)
        self.process = process

    def window(self, name=None, timeout=DEFAULT_TIMEOUT):
        """A top-level window of the program (main window, dialog, alert), by title."""
        def lookup():
            for child in self.children():
                if name is None or child.name == name:
                    return child
            return None
        return wait_until(lookup, f"a window named {name!r}", timeout)

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise GuiTestError(f"the program did not exit within {timeout:g} s") from None

    def terminate(self, sig=signal.SIGTERM, timeout=DEFAULT_TIMEOUT):
        """Sends a signal and waits for the program to end; returns its exit status."""
        self.process.send_signal(sig)
        return self.wait_exit(timeout)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def desktop():
    return pyatspi.Registry.getDesktop(0)


def _application_of(pid):
    for application in desktop():
        try:
            if application is not None and application.get_process_id() == pid:
                return application
        except Exception:
            continue
    return None


def launch(argv, env=None, timeout=DEFAULT_TIMEOUT, **popen_arguments):
    """Starts a program and waits until it shows up in the accessibility tree with a window."""
    environment = dict(os.environ)
    environment.update(env or {})
    process = subprocess.Popen(argv, env=environment, **popen_arguments)

    def ready():
        if process.poll() is not None:
            raise GuiTestError(f"{argv[0]} exited with status {process.returncode}")
        application = _application_of(process.pid)
        if application is None:
            return None
        # A test reads names, states and children as they are now, never as first seen.
        application.set_cache_mask(Atspi.Cache.NONE)
        return application if application.childCount > 0 else None

    try:
        accessible = wait_until(ready, f"{os.path.basename(argv[0])} in the accessibility tree",
                                timeout)
    except GuiTestError as error:
        if process.poll() is None:
            process.kill()
            process.wait()
        # An exit is not worth waiting out; report it at once.
        raise error
    return Application(process, accessible)


def program():
    """The program the test was registered for (suite_add_gui_e2e_test PROGRAM)."""
    return os.environ["GUI_TEST_PROGRAM"]


def home():
    """The private home folder of this run (its XDG folders live below it)."""
    return os.environ["GUI_TEST_HOME"]


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def key(*combinations):
    """Posts key presses to the focused window, e.g. key("ctrl+q")."""
    xdotool("key", "--clearmodifiers", *combinations)


def type_text(string):
    xdotool("type", "--clearmodifiers", string)


def notifications():
    """Every bubble the session's notification server was asked to show, in order."""
    path = os.environ.get("GUI_TEST_NOTIFICATIONS")
    if not path:
        raise GuiTestError("the session runs no notification server (register with NOTIFICATIONS)")
    with open(path) as stream:
        return [json.loads(line) for line in stream if line.strip()]


def wait_for_notification(predicate=lambda entry: True, timeout=DEFAULT_TIMEOUT):
    """The first recorded bubble that satisfies predicate, waiting until it arrives."""
    return wait_until(lambda: next((n for n in notifications() if predicate(n)), None),
                      "a notification", timeout)
