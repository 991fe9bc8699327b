"""Reads the running program's accessible tree over the AT-SPI bus, as a screen reader does.

Checks that the main window's six boxes are announced by their labels and tied to them, that
the map is named, that the map page's controls are read in French and a point picked on it is
announced with its panel, that a message box is presented as an alert with its text, and that a
conversion is heard: the result labels report their new names; and that the page's control
opens the window of a file of addresses, whose buttons and column choices are named.
Exit status: 0 passed, 1 failed, 77 when no accessibility bus can be reached (skipped).
"""

import argparse
import subprocess
import sys
import time

SKIP = 77
MAIN_TITLE = "Tarnel - v 1.0.0 - Utilitaire coordonnées GPS "
CONVERSION_TITLE = "Utilitaire de conversion de coordonnées GPS"
# 48.8566667 converted to degrees, minutes and seconds, as the result labels announce it.
HEARD_RESULTS = ["Degrés : 48", "Minutes : 51", "Secondes : 23"]
# What the map page offers before any point is picked, by name.
PAGE_CONTROLS = ["Zoom avant", "Zoom arrière", "Choisir le fond de carte", "Mes lieux",
                 "Géocoder un fichier d'adresses"]
FILE_WINDOW_TITLE = "Géocoder un fichier d'adresses"
# The file window's column choices, each announced by its part and tied to its caption.
FILE_COLUMNS = ["Numéro", "Rue", "Complément", "Code postal", "Commune", "Pays",
                "Adresse complète"]
# What its panel offers once a point is picked.
PANEL_CONTROLS = ["Fermer le panneau", "Reprendre ce point", "Ajouter à mes lieux"]
# Each box: the name it is announced by, and the caption of the label it is tied to.
BOXES = {
    "Rue": "Rue :",
    "Commune": "Commune :",
    "Code Postal": "Code Postal :",
    "Pays": "Pays :",
    "Latitude": "Latitude :",
    "Longitude": "Longitude :",
}


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIP)


try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, Gio, GLib
except (ImportError, ValueError) as error:
    skip(f"the AT-SPI library for Python is missing ({error}); install gir1.2-atspi-2.0 and python3-gi")


def accessibility_bus_reachable():
    try:
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                          None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 10000, None)
        return True
    except GLib.Error as error:
        print(f"accessibility bus: {error.message}")
        return False


def walk(node):
    yield node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield from walk(child)


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def describe(node, depth=0):
    """One line per object as a screen reader has it: role, name, description."""
    line = f"{'  ' * depth}{node.get_role_name()}: {node.get_name()!r}"
    if node.get_description():
        line += f" — {node.get_description()!r}"
    if not showing(node):
        line += " (not shown)"
    print(line)
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None and child.get_role_name() != "document web":
            describe(child, depth + 1)


def find_window(application, predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for index in range(application.get_child_count()):
            window = application.get_child_at_index(index)
            if window is not None and showing(window) and predicate(window):
                return window
        time.sleep(0.3)
    return None


def find_application(name, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(index)
            if application is not None and application.get_name() == name:
                return application
        time.sleep(0.5)
    return None


def labelled_by(node):
    captions = []
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            captions += [relation.get_target(i).get_name() for i in range(relation.get_n_targets())]
    return captions


def named(window, role, name):
    found = [n for n in walk(window) if n.get_role_name() == role and n.get_name() == name]
    return found[0] if len(found) == 1 else None


def press(node):
    """Focuses `node` through its component and presses it with the keyboard: a button that
    opens a modal window would hold an action call until the window closes."""
    node.grab_focus()
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "space"], check=True, timeout=30)


def page_nodes(main_window):
    """The nodes of the map page's document, as the screen reader is given them; none while the
    page changes under the walk (an object gone midway), so that the caller asks again."""
    try:
        documents = [n for n in walk(main_window) if n.get_role_name() == "document web"]
        return [(node, node.get_role_name(), node.get_name())
                for document in documents for node in walk(document)]
    except GLib.Error:
        return []


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = condition()
        if found:
            return found
        time.sleep(0.3)
    return None


def click(node):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    x, y = extents.x + extents.width // 3, extents.y + extents.height * 2 // 3
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True, timeout=30)


def check_map_page(main_window, timeout, dump):
    """Reads the map page as a screen reader finds it: its controls by their French names, then
    a point picked with the mouse and one with Enter under the cross, each announced in the live
    region, and the panel with its copy buttons. Gives the failures found."""
    def names():
        return {name for _, _, name in page_nodes(main_window)}

    if not wait_for(lambda: set(PAGE_CONTROLS) <= names(), timeout):
        return [f"the map page's controls are not on the bus: {PAGE_CONTROLS} among "
                f"{sorted(n for n in names() if n)[:40]}"]
    maps = wait_for(lambda: [n for n, _, name in page_nodes(main_window) if name == "Carte"], 10)
    if not maps:
        return ["the map page has no element named 'Carte'"]
    failures = []

    def announced():
        # The live region's text reaches the bus as the name of its text leaf.
        return [name for _, _, name in page_nodes(main_window) if name.startswith("Point choisi :")]

    click(maps[0])
    first = wait_for(announced, 20)
    if not first:
        failures.append("a point clicked on the map was not announced")
    panel = wait_for(lambda: set(PANEL_CONTROLS) <= names() and
                     any(name.startswith("Copier ") for name in names()), 20)
    if not panel:
        failures.append(f"the point's panel is not on the bus: {PANEL_CONTROLS} and 'Copier …' "
                        f"among {sorted(n for n in names() if n)[:60]}")
    # The map keeps the keyboard after the click: Enter picks the point under the cross.
    subprocess.run(["xdotool", "key", "Return"], check=True, timeout=30)
    if first and not wait_for(lambda: announced() and announced() != first, 20):
        failures.append("a point picked with Enter was not announced")
    if dump:
        for _, role, name in page_nodes(main_window):
            if name:
                print(f"  page {role}: {name!r}")
    subprocess.run(["xdotool", "key", "Escape"], check=True, timeout=30)
    return failures


def check_conversion_heard(application, main_window, dump):
    """Converts a decimal value in the conversion window and listens, as a screen reader does,
    for the result labels to report their new names. Gives the failures found."""
    heard = []

    def on_name_change(event):
        heard.append(event.source.get_name())

    listener = Atspi.EventListener.new(on_name_change)
    listener.register("object:property-change:accessible-name")
    try:
        opener = named(main_window, "push button", "Conversion coordonnées GPS")
        if opener is None:
            return ["no single button 'Conversion coordonnées GPS'"]
        press(opener)
        window = find_window(application, lambda w: w.get_name() == CONVERSION_TITLE, 20)
        if window is None:
            return ["the conversion window never showed"]
        box = named(window, "text", "Décimal")
        convert = named(window, "push button", "Convertir en degrés, minutes, secondes")
        if box is None or convert is None:
            return ["the conversion window has no box 'Décimal' or no button to convert it"]
        box.grab_focus()
        time.sleep(0.3)
        subprocess.run(["xdotool", "type", "--delay", "50", "48.8566667"], check=True, timeout=30)
        press(convert)
        context = GLib.MainContext.default()
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not all(r in heard for r in HEARD_RESULTS):
            context.iteration(False)
            time.sleep(0.05)
        if dump:
            describe(window)
        subprocess.run(["xdotool", "key", "alt+f"], check=True, timeout=30)
        missing = [r for r in HEARD_RESULTS if r not in heard]
        return [f"the conversion was not heard: no name change to {missing}"] if missing else []
    finally:
        listener.deregister("object:property-change:accessible-name")


def check_file_window(application, main_window, dump):
    """Opens the window of a file of addresses from the map page's control and reads its buttons
    and column choices. Gives the failures found."""
    controls = [node for node, role, name in page_nodes(main_window)
                if role == "push button" and name == FILE_WINDOW_TITLE]
    if not controls:
        return [f"no button {FILE_WINDOW_TITLE!r} on the map page"]
    click(controls[0])
    window = find_window(application, lambda w: w.get_name() == FILE_WINDOW_TITLE, 20)
    if window is None:
        return ["the window of a file of addresses never showed"]
    if dump:
        describe(window)
    failures = [f"no single button {name!r} in the file window"
                for name in ("Choisir un fichier", "Lancer")
                if named(window, "push button", name) is None]
    for part in FILE_COLUMNS:
        combo = named(window, "combo box", part)
        if combo is None:
            failures.append(f"no single column choice {part!r}")
        elif f"{part} :" not in labelled_by(combo):
            failures.append(f"column choice {part!r} is not labelled by {part + ' :'!r}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("--dump", action="store_true", help="print the trees read")
    arguments = parser.parse_args()

    if not accessibility_bus_reachable():
        skip("no accessibility bus (org.a11y.Bus) on the session bus; install at-spi2-core")
    application = find_application("Tarnel", arguments.timeout)
    if application is None:
        print("FAIL: the program never appeared on the accessibility bus")
        return 1
    main_window = find_window(application, lambda w: w.get_name() == MAIN_TITLE, arguments.timeout)
    if main_window is None:
        print("FAIL: the main window never showed")
        return 1
    if arguments.dump:
        describe(main_window)

    failures = []
    nodes = list(walk(main_window))
    boxes = {n.get_name(): n for n in nodes if n.get_role_name() == "text"}
    if set(boxes) != set(BOXES):
        failures.append(f"boxes announced as {sorted(boxes)}, expected {sorted(BOXES)}")
    for name, caption in BOXES.items():
        if name in boxes and caption not in labelled_by(boxes[name]):
            failures.append(f"box {name!r} is not labelled by {caption!r}")
    if not any(n.get_name() == "Carte" for n in nodes):
        failures.append("no object named 'Carte' for the map")
    failures += check_map_page(main_window, arguments.timeout, arguments.dump)

    search = named(main_window, "push button", "Rechercher par coordonnées")
    if search is None:
        failures.append("no single button 'Rechercher par coordonnées'")
    else:
        # Both coordinate boxes are empty: the search answers with its message box.
        press(search)
        alert = find_window(application, lambda w: w.get_role_name() == "alert", 20)
        if alert is None:
            failures.append("the message box was not presented as an alert")
        else:
            if arguments.dump:
                describe(alert)
            texts = [n.get_name() for n in walk(alert)]
            if alert.get_name() != "Erreur" or "Une valeur est attendue !" not in texts:
                failures.append(f"the alert reads {alert.get_name()!r} {texts}")
            subprocess.run(["xdotool", "key", "Return"], check=True, timeout=30)
    # The main window takes the keyboard again once the message box has gone.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and find_window(
            application, lambda w: w.get_role_name() == "alert", 0.1):
        time.sleep(0.2)
    failures += check_conversion_heard(application, main_window, arguments.dump)
    # Last: the window it opens keeps the keyboard.
    failures += check_file_window(application, main_window, arguments.dump)

    for failure in failures:
        print(f"FAIL: {failure}")
    if not failures:
        print("PASS: the six boxes are announced by their labels; the map is named; the map "
              "page's controls, panel and announcements are read; the message box is an alert; "
              "a conversion is heard; the file window's buttons and column choices are named")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
