"""Drives the real program on an X display through its accessibility tree.

Usage: desktop_session.py MODE PROGRAM PROGRAM_FOLDER

Run it inside a D-Bus session and on an X display of its own (the test starts
it under dbus-run-session and xvfb-run). It starts the accessibility bus,
starts PROGRAM on PROGRAM_FOLDER and reads the program's windows over AT-SPI;
keys and clicks go to the display through xdotool, as a user's would.

MODE "names": every focusable control of the main window and of its dialogs
(the about box, the report dialog, both report previews, the list control's
print and export dialogs, a message box) must have an accessible name. The
controls inside the web page are the page's, not the program's, and list
rows and cells are named by their text, so both are left out.

MODE "keys": with the focus in a text field, Ctrl+U runs the catalogue update
(whose failure the program reports in a message box) and Ctrl+H opens the
home page, and neither changes the field: on this display the fields have the
desktop's editing keys (Ctrl+U erases a line, Ctrl+H is Backspace).

Exit status: 0 passed; 1 failed (the reasons on stdout); 77 the accessibility
bus could not be started, so nothing could be checked.
"""
import os
import subprocess
import sys
import time

SKIP = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def fail(message):
    print("FAIL: " + message)
    # A picture of the display as it stood, for whoever reads the failure.
    shot = os.environ.get("DESKTOP_SESSION_SHOT")
    if shot:
        subprocess.run(["import", "-window", "root", shot], stderr=subprocess.DEVNULL)
        print("the display: " + shot)
    sys.exit(1)


def start_accessibility_bus():
    """Starts the accessibility bus of this D-Bus session; None when it cannot."""
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        return None, "there is no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)"
    if not os.path.exists(BUS_LAUNCHER):
        return None, BUS_LAUNCHER + " is missing (package at-spi2-core)"
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 20
    while time.time() < deadline:
        answer = subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
             "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if answer.returncode == 0 and "unix:" in answer.stdout:
            return launcher, None
        if launcher.poll() is not None:
            return None, "the accessibility bus launcher ended at once"
        time.sleep(0.3)
    launcher.kill()
    return None, "the accessibility bus did not answer within 20 seconds"


launcher, why = start_accessibility_bus()
if launcher is None:
    print("SKIP: the accessibility bus could not start: " + why)
    sys.exit(SKIP)

import pyatspi  # noqa: E402  (needs the bus above)

MODE, PROGRAM, FOLDER = sys.argv[1], sys.argv[2], sys.argv[3]
ENV = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
           QTWEBENGINE_DISABLE_SANDBOX="1")
ENV.pop("QT_QPA_PLATFORMTHEME", None)


def wait_for(what, probe, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            found = probe()
        except Exception:  # an object that went away while it was read
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def children(acc):
    try:
        return [c for c in acc if c is not None]
    except Exception:
        return []


def find(acc, test):
    try:
        if test(acc):
            return acc
    except Exception:
        return None
    for c in children(acc):
        hit = find(c, test)
        if hit is not None:
            return hit
    return None


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def program_app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.name == "Farrowdale":
            return a
    return None


def window(app, title):
    for w in children(app):
        if w.name == title and showing(w):
            return w
    return None


def gone(app, title):
    return lambda: window(app, title) is None


def click(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", "1"], check=True)


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(keys), check=True)


def menu(app, main, top, item):
    click(wait_for("menu " + top, lambda: find(
        main, lambda a: a.getRoleName() == "menu item" and a.name == top)))
    click(wait_for("menu item " + item, lambda: find(
        main, lambda a: a.getRoleName() == "menu item" and a.name == item and showing(a))))


def button(win, name):
    return wait_for("button " + name, lambda: find(
        win, lambda a: a.getRoleName() in ("push button", "toggle button") and a.name == name
        and showing(a)))


# Rows and cells of lists are named by their text (an empty cell is empty);
# the web page's own elements are the page's.
DATA_ROLES = {"table cell", "list item", "tree item", "table column header", "table row header"}
PAGE_ROLES = {"document web", "document frame"}


def nameless(acc, path=""):
    found = []
    try:
        role = acc.getRoleName()
        here = path + "/" + role + ("[" + acc.name + "]" if acc.name else "")
        if role in PAGE_ROLES:
            return found
        if (acc.getState().contains(pyatspi.STATE_FOCUSABLE) and role not in DATA_ROLES
                and not acc.name.strip()):
            found.append(here)
    except Exception:
        return found
    for c in children(acc):
        found += nameless(c, here)
    return found


program = subprocess.Popen([PROGRAM, "--program-folder", FOLDER], env=ENV,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    app = wait_for("the program on the accessibility bus", program_app, 90)
    main = wait_for("the main window", lambda: window(app, "Farrowdale"), 60)
    time.sleep(1)

    if MODE == "names":
        problems = []

        def check(win, title):
            time.sleep(0.5)
            problems.extend(title + ": " + p for p in nameless(win))

        check(main, "main window")

        menu(app, main, "Help", "About")
        about = wait_for("the about box", lambda: window(app, "About Farrowdale"))
        check(about, "about box")
        key("Escape")
        wait_for("the about box to close", gone(app, "About Farrowdale"))

        menu(app, main, "Tools", "Create Reports")
        dialog = wait_for("the report dialog", lambda: window(app, "Create a Report"))
        check(dialog, "report dialog")
        click(button(dialog, "View Report"))
        preview = wait_for("the report preview", lambda: window(app, "Report Preview"))
        check(preview, "change-request preview")
        for control in ("Print list", "Export list"):
            click(button(preview, control))
            if control.startswith("Print"):
                options = wait_for("the print options",
                                   lambda: window(app, "Options for printing the list"))
                check(options, "print options")
                key("Escape")
                wait_for("the print options to close",
                         gone(app, "Options for printing the list"))
            else:
                # The export menu's entries by their mnemonics.
                for mnemonic, title in (("t", "Export list to textfile"),
                                        ("x", "Export list to Microsoft Excel")):
                    if mnemonic != "t":
                        click(button(preview, control))
                    time.sleep(0.5)
                    key(mnemonic)
                    export = wait_for("the export dialog", lambda: window(app, title))
                    check(export, title)
                    key("Escape")
                    wait_for("the export dialog to close", gone(app, title))
        key("Escape")
        wait_for("the preview to close", gone(app, "Report Preview"))
        report = find(dialog, lambda a: a.getRoleName() == "combo box")
        click(report)
        click(wait_for("the submission report entry", lambda: find(
            app, lambda a: a.getRoleName() == "list item"
            and a.name == "Search Engine Submissions" and showing(a))))
        click(button(dialog, "View Report"))
        submissions = wait_for("the submission preview",
                               lambda: window(app, "Web Site Submission Report"))
        check(submissions, "submission preview")
        key("Escape")
        wait_for("the submission preview to close", gone(app, "Web Site Submission Report"))
        key("Escape")
        wait_for("the report dialog to close", gone(app, "Create a Report"))

        # A message box: the catalogue update cannot reach the closed port.
        menu(app, main, "Support", "Update Search Engine List")
        box = wait_for("the update's message", lambda: find(
            app, lambda a: a.getRoleName() in ("alert", "dialog") and showing(a)
            and a.name == "Farrowdale"))
        check(box, "message box")
        key("Return")

        if problems:
            fail("focusable controls without an accessible name:\n  " + "\n  ".join(problems))
        print("PASS: every focusable control has an accessible name")

    elif MODE == "keys":
        address = wait_for("the address bar", lambda: find(
            main, lambda a: a.getRoleName() == "text" and a.name == "Address"))
        text = address.queryText()
        typed = "http://typed.example/page.html"

        def field():
            return text.getText(0, -1)

        click(address)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "20", typed], check=True)
        wait_for("the typed address", lambda: field() == typed)
        key("End")
        key("ctrl+u")
        box = wait_for("the update's message after Ctrl+U", lambda: find(
            app, lambda a: a.getRoleName() in ("alert", "dialog") and showing(a)
            and a.name == "Farrowdale"))
        if field() != typed:
            fail("Ctrl+U changed the address field to %r" % field())
        key("Return")
        wait_for("the message to close", lambda: find(
            app, lambda a: a.getRoleName() in ("alert", "dialog") and showing(a)
            and a.name == "Farrowdale") is None)
        # Away from the start page first, so the home page's load shows.
        other = "data:text/html,elsewhere"
        click(address)
        key("ctrl+a")
        subprocess.run(["xdotool", "type", "--delay", "20", other], check=True)
        key("Return")
        wait_for("the other page", lambda: field().startswith("data:"))
        click(address)
        key("End")
        key("ctrl+h")
        home = wait_for("the home page after Ctrl+H", lambda: field().endswith("/blank.html"))
        if not home:
            fail("Ctrl+H did not open the home page; the field holds %r" % field())
        print("PASS: Ctrl+U and Ctrl+H ran their menu items from a text field")
    else:
        fail("unknown mode " + MODE)
finally:
    program.terminate()
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
    launcher.terminate()
