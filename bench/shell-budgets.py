#!/usr/bin/env python3
"""Measures Quillox beside a bare QMainWindow with a status bar, on a real X
server (run it on a private Xvfb with run-on-xvfb.sh): the time from the start of the process until
its first window is mapped, the resident memory once the main window shows,
and the CPU time spent idle over a period with the clock running; Quillox also
with a sprite file on its command line.

usage: tests/desktop/run-on-xvfb.sh bench/shell-budgets.py BUILD_DIR [IDLE_SECONDS] [RUNS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TICKS = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def wait_for_window(name, other_than=None, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               capture_output=True, text=True)
        windows = [w for w in found.stdout.split() if w != other_than]
        if windows:
            return windows[0]
        # Polling much faster makes Xvfb refuse new connections now and then.
        time.sleep(0.01)
    raise RuntimeError("no window named %s appeared" % name)


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def resident_mib(pid):
    with open("/proc/%d/statm" % pid) as statm:
        return int(statm.read().split()[1]) * PAGE / (1024 * 1024)


def measure(command, first_window, after_first=None, main_window=None, idle=30.0):
    started = time.monotonic()
    # A home of its own, so that no exit log of the user's is touched.
    home = tempfile.mkdtemp(prefix="quillox-budgets-")
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=home))
    try:
        window = wait_for_window(first_window)
        to_window = time.monotonic() - started
        if after_first:
            open_main_window(window, after_first, main_window)
        time.sleep(1.0)
        rss = resident_mib(process.pid)
        before = cpu_seconds(process.pid)
        time.sleep(idle)
        cpu = cpu_seconds(process.pid) - before
        return to_window, rss, cpu
    finally:
        process.kill()
        process.wait()
        shutil.rmtree(home, ignore_errors=True)


def open_main_window(splash, press, main_window, attempts=10):
    # A click that comes before the splash is ready to take it is lost, so
    # press again until the main window shows. It shares the splash's title.
    for _ in range(attempts):
        press(splash)
        try:
            return wait_for_window(main_window, other_than=splash, timeout=1.0)
        except RuntimeError:
            pass
    raise RuntimeError("the main window did not show after %d presses" % attempts)


def press_ok(window):
    # A real click (XTEST): Xvfb has no window manager to give the splash the focus.
    ok_centre = ("302", "175")
    subprocess.run(["xdotool", "mousemove", "--window", window, *ok_centre, "click", "1"],
                   check=True)


def main():
    build = sys.argv[1]
    idle = float(sys.argv[2]) if len(sys.argv) > 2 else 30.0
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    results = {"bare QMainWindow": [], "Quillox": [], "Quillox FILE": []}
    sprite = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples",
                          "sword.spr")
    for _ in range(runs):
        results["bare QMainWindow"].append(
            measure([os.path.join(build, "bench", "quillox_bare_window")], "^Bare$", idle=idle))
        results["Quillox"].append(
            measure([os.path.join(build, "app", "quillox")], "^Quillox$", press_ok,
                    "^Quillox$", idle=idle))
        results["Quillox FILE"].append(
            measure([os.path.join(build, "app", "quillox"), sprite], "^Quillox$", press_ok,
                    "^Quillox$", idle=idle))
    print("%-18s %14s %12s %16s" % ("", "start (ms)", "RSS (MiB)", "idle CPU (s/%ds)" % idle))
    medians = {}
    for name, rows in results.items():
        start = statistics.median(r[0] for r in rows) * 1000
        rss = statistics.median(r[1] for r in rows)
        cpu = statistics.median(r[2] for r in rows)
        medians[name] = (start, rss, cpu)
        print("%-18s %14.1f %12.1f %16.3f" % (name, start, rss, cpu))
    bare, ours = medians["bare QMainWindow"], medians["Quillox"]
    print("ratios: start %.2f, RSS %.2f, idle CPU %.2f" %
          (ours[0] / bare[0], ours[1] / bare[1], ours[2] / max(bare[2], 1.0 / TICKS)))
    print("start with a file against without: %.2f" % (medians["Quillox FILE"][0] / ours[0]))


if __name__ == "__main__":
    main()
