"""Walks the whole accessible tree of the running program once, as a screen reader does on
start: what the engine then holds of the map page is what an assisted user costs."""

import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def walk(node):
    count = 1
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            count += walk(child)
    return count


deadline = time.monotonic() + 30
while time.monotonic() < deadline:
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    apps = [a for a in apps if a is not None and a.get_name() == "Tarnel"]
    if apps:
        try:
            print(walk(apps[0]))
            sys.exit(0)
        except GLib.Error:
            pass
    time.sleep(0.5)
sys.exit(1)
