#!/usr/bin/env python3
"""End-to-end scenarios: the reference host program runs the built plug-in in a real window on an X
display under Wine, and the scenarios drive it with real input (xdotool moves the pointer, clicks
and types), then read events.txt and the settings file.
    scenarios.py BIN_DIR WINE_LOADER SKIN_DIR
DISPLAY and WINEPREFIX come from the environment (scripts/test sets them)."""
import calendar
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

BIN, WINE, SKIN = sys.argv[1:4] if len(sys.argv) >= 4 else (None, None, None)
X, Y, S = 400, 300, 23          # where the settings put the window, and the cell size
GRID_LEFT = 4                   # (168 - 7 * 23) / 2, halves to even


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def cell_of(day, today):
    """Column and row (from 1) of a day of today's month: Monday first, row 1 the week of the 1st."""
    first = calendar.weekday(today.year, today.month, 1)  # Monday = 0
    index = first + day - 1
    return index % 7 + 1, index // 7 + 1


class Calendar:
    """One run of the host with the plug-in in a scratch folder."""

    def __init__(self, events=b""):
        self.dir = tempfile.mkdtemp(prefix="orvendale-e2e-")
        self.plugin_dir = os.path.join(self.dir, "Orvendale")
        os.mkdir(self.plugin_dir)
        shutil.copy(os.path.join(BIN, "Orvendale.plg"), self.plugin_dir)
        for name in ("main.png", "curdate.png", "event.png"):
            shutil.copy(os.path.join(SKIN, name), self.plugin_dir)
        self.events_path = os.path.join(self.plugin_dir, "events.txt")
        with open(self.events_path, "wb") as f:
            f.write(events)
        self.settings = os.path.join(self.dir, "settings.ini")
        skin = winpath(self.plugin_dir) + "\\"
        with open(self.settings, "w", newline="\r\n") as f:
            f.write("[Calendar]\nFont=Comic Sans MS,11,100,204\nColor=800000\nWeekEnd color=b7\n"
                    "Message font=Comic Sans MS,9,000,204\nMessage color=800000\n"
                    "Input font=Comic Sans MS,8,000,0\nHint font=Comic Sans MS,8,000,0\n"
                    f"XPos={X}\nYPos={Y}\nCell size={S}\nDrop shadow=0\nZOrder=1\n"
                    f"Main Skin={skin}main.png\nCurrent Date={skin}curdate.png\nEvent={skin}event.png\n")
        self.log = open(os.path.join(self.dir, "host.log"), "w+")
        self.process = subprocess.Popen(
            [WINE, os.path.join(BIN, "orvendale-host.exe"), winpath(os.path.join(self.plugin_dir, "Orvendale.plg")),
             "--settings", winpath(self.settings), "--seconds", "60", "--timing"],
            stdout=self.log, stderr=subprocess.STDOUT)
        self.x, self.y = X, Y  # where the window is now
        self.wait_for_face()

    def wait_for_face(self):
        """Until the host reports the first complete face: a new Wine prefix makes the first start
        slow (fonts are cached then), and input sent before the window is there is lost."""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            with open(self.log.name) as log:
                if "first complete face" in log.read():
                    time.sleep(0.3)
                    return
            if self.process.poll() is not None:
                break
            time.sleep(0.1)
        with open(self.log.name) as log:
            raise AssertionError("the calendar did not come up:\n" + log.read())

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def click(self, x, y, button=1):
        xdo("mousemove", x, y)
        time.sleep(0.1)
        xdo("click", button)
        time.sleep(0.4)

    def click_day(self, day, today):
        column, row = cell_of(day, today)
        self.click(self.x + GRID_LEFT + (column - 1) * S + S // 2, self.y + row * S + S // 2)

    def type(self, text):
        xdo("type", "--delay", "30", text)
        time.sleep(0.3)

    def key(self, *keys):
        xdo("key", *keys)
        time.sleep(0.5)

    def visible_windows(self):
        """Ids of the mapped X windows of this display."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ""], capture_output=True, text=True)
        return set(out.stdout.split())

    def events(self):
        with open(self.events_path, "rb") as f:
            return f.read()

    def setting(self, key):
        with open(self.settings, encoding="latin-1") as f:
            for line in f:
                name, _, value = line.strip().partition("=")
                if name.lower() == key.lower():
                    return value
        return None


class Scenarios(unittest.TestCase):
    def setUp(self):
        self.today = datetime.date.today()
        self.day = 14 if self.today.day != 14 else 15
        self.key = f"{self.day}.{self.today.month}.{self.today.year}".encode()

    def run_calendar(self, events=b""):
        app = Calendar(events)
        self.addCleanup(app.close)
        return app

    def test_write_change_and_delete_a_reminder(self):
        app = self.run_calendar(b"1.1.2000 kept\r\n")
        app.click_day(self.day, self.today)
        app.type("Dentist at 10")
        app.key("Return")
        self.assertEqual(app.events(), b"1.1.2000 kept\r\n" + self.key + b" Dentist at 10\r\n")

        time.sleep(1.2)  # the marker and the flag follow at the next refresh
        app.click_day(self.day, self.today)
        app.key("ctrl+End")
        app.type(" sharp")
        app.key("Return")
        self.assertEqual(app.events(), b"1.1.2000 kept\r\n" + self.key + b" Dentist at 10 sharp\r\n")

        time.sleep(1.2)
        app.click_day(self.day, self.today)
        app.key("ctrl+Home")
        app.key("Return")  # Enter at the very start deletes
        self.assertEqual(app.events(), b"1.1.2000 kept\r\n")

    def test_enter_in_the_empty_box_deletes(self):
        app = self.run_calendar(self.key + b" old\r\n")
        app.click_day(self.day, self.today)
        app.key("ctrl+a", "BackSpace")
        app.key("Return")
        self.assertEqual(app.events(), b"")

    def test_leaving_the_box_stores_nothing(self):
        app = self.run_calendar(b"")
        before = app.visible_windows()
        app.click_day(self.day, self.today)
        box = app.visible_windows() - before
        self.assertEqual(len(box), 1, "the input box opened")
        app.type("not stored")
        app.click(X + 80, Y + 8)  # the month band: outside the grid, focus leaves the box
        time.sleep(0.5)
        self.assertFalse(box & app.visible_windows(), "the input box is hidden")
        app.key("Return")
        self.assertEqual(app.events(), b"")

    def test_menu_asks_the_host_for_the_settings_dialog(self):
        app = self.run_calendar(b"")
        app.click(X + 80, Y + 8, button=3)  # the menu opens at the pointer
        app.click(X + 80 + 20, Y + 8 + 10)  # its only item, "Setup calendar"
        time.sleep(1.0)
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Calendar settings"],
                               capture_output=True, text=True)
        self.assertTrue(found.stdout.strip(), "the host opened the plug-in's settings dialog")
        app.key("Escape")  # Cancel: nothing changes
        self.assertEqual(app.setting("XPos"), str(X))

    def test_moving_the_window_stores_its_position(self):
        app = self.run_calendar(b"")
        xdo("mousemove", X + 80, Y + 8)
        xdo("mousedown", 1)
        for step in range(1, 6):
            xdo("mousemove", X + 80 + 10 * step, Y + 8 + 8 * step)
            time.sleep(0.05)
        xdo("mouseup", 1)
        time.sleep(0.8)
        self.assertEqual((app.setting("XPos"), app.setting("YPos")), (str(X + 50), str(Y + 40)))
        # Clicks follow the window to its new place at once.
        app.x, app.y = X + 50, Y + 40
        app.click_day(self.day, self.today)
        app.type("moved")
        app.key("Return")
        self.assertEqual(app.events(), self.key + b" moved\r\n")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
