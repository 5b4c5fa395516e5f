"""The Tk example under Xvfb, driven with xdotool as a user would: the plant
shows, a double click selects (red), a drag turns it, Escape closes."""

import os
import shutil
import subprocess
import sys
import time

import pytest

from conftest import EXAMPLES, SOURCE

SCRIPT = os.path.join(SOURCE, "examples", "python", "tk_viewer.py")
W, H = 800, 600  # the example's frame, at the screen's top left (no window manager)


@pytest.fixture
def display():
    for tool in ("Xvfb", "xdotool", "import"):
        assert shutil.which(tool), tool + " is missing: run scripts/install-deps"
    number = next(n for n in range(140, 200) if not os.path.exists("/tmp/.X%d-lock" % n))
    server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=":%d" % number)
    until(lambda: subprocess.run(["xdotool", "getmouselocation"], env=env,
                                 capture_output=True).returncode == 0, "Xvfb")
    yield env
    server.terminate()
    server.wait()


def until(condition, what, limit=60.0):
    """Waits for something that must happen (not a measure of speed)."""
    end = time.monotonic() + limit
    while not condition():
        assert time.monotonic() < end, "never happened: " + what
        time.sleep(0.1)


def screen(env):
    """The frame's pixels as (r, g, b) rows."""
    raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=env,
                         capture_output=True, check=True).stdout
    return [[tuple(raw[(y * 1024 + x) * 3:(y * 1024 + x) * 3 + 3]) for x in range(W)]
            for y in range(0, H)]


def count(pixels, test):
    return sum(1 for row in pixels for p in row if test(p))


def test_turn_select_and_close(display, tmp_path):
    log = open(tmp_path / "out.txt", "w+")
    app = subprocess.Popen([sys.executable, SCRIPT, os.path.join(EXAMPLES, "pump-station.json")],
                           env=display, stdout=log, stderr=subprocess.STDOUT)
    text = lambda: open(tmp_path / "out.txt").read()
    try:
        until(lambda: "ViewChanged" in text() or app.poll() is not None, "the first fit")
        assert app.poll() is None, text()   # AutoFit on AddKeltoFile
        green = lambda p: p[1] > 200 and p[0] < 80 and p[2] < 80  # pipe
        red = lambda p: p[0] > 200 and p[1] < 60 and p[2] < 60    # selected
        until(lambda: count(screen(display), green) > 500, "the plant drawn")
        before = screen(display)
        x, y = min(((abs(x - W // 2) + abs(y - H // 2), x, y) for y, row in enumerate(before)
                    for x, p in enumerate(row) if green(p)))[1:]
        red_before = count(before, red)  # the axes indicator's E
        xdotool = lambda *args: subprocess.run(["xdotool", *args], env=display, check=True)
        xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")
        until(lambda: "SelectionChanged 8-P-101-A1/" in text() or
              "SelectionChanged 6-P-102-A1/" in text(), "a selection")
        until(lambda: count(screen(display), red) > red_before + 50, "the selection drawn red")

        changes = text().count("ViewChanged")
        xdotool("mousemove", "400", "300", "mousedown", "1", "mousemove", "430", "310",
                "mousemove", "520", "340", "mouseup", "1")
        until(lambda: text().count("ViewChanged") > changes, "the drag turning the view")
        until(lambda: screen(display) != before, "the turned view drawn")

        xdotool("mousemove", "400", "300", "key", "Escape")
        assert app.wait(timeout=60) == 0, text()
    finally:
        if app.poll() is None:
            app.kill()
        log.close()
