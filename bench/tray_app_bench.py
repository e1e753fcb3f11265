#!/usr/bin/env python3
"""Times the tray application inside a desktop session (run through bench/tray-app.sh):
cold start to idle, idle resident memory, and Alt+D to the lookup panel being mapped.

    bench/tray_app_bench.py BINARY TARGET [PRESSES]

BINARY is build/rarozezev, TARGET the capture_target helper (a window holding a selection).
Cold start ends when the running instance answers on the session bus, which it does only once
its event loop runs with the delegate started. A press ends when a window titled "查词" other
than the previous panel is mapped.
"""
import os
import statistics
import subprocess
import sys
import time

BUS_NAME = "com.rarozezev.Rarozezev"


def run(*arguments, **options):
    return subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, **options)


def instance_answers():
    return run("dbus-send", "--session", "--print-reply", "--dest=" + BUS_NAME, "/com/rarozezev/Rarozezev",
               "com.rarozezev.Rarozezev.LookupPanelStatus").returncode == 0


def name_owned():
    reply = run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                "org.freedesktop.DBus.NameHasOwner", "string:" + BUS_NAME)
    return "boolean true" in reply.stdout


def wait_for(condition, timeout):
    deadline = time.perf_counter() + timeout
    while time.perf_counter() < deadline:
        if condition():
            return True
        time.sleep(0.002)
    return False


def visible_panels():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^查词$")
    return set(found.stdout.split())


def stop(process):
    process.terminate()
    process.wait(10)
    wait_for(lambda: not name_owned(), 10)


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def milliseconds(seconds):
    return "%.1f ms" % (seconds * 1000)


def main():
    binary, target = sys.argv[1], sys.argv[2]
    presses = int(sys.argv[3]) if len(sys.argv) > 3 else 20

    starts = []
    for _ in range(5):
        began = time.perf_counter()
        app = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(instance_answers, 20):
            sys.exit("the tray application never answered on the bus")
        starts.append(time.perf_counter() - began)
        stop(app)
    print("cold start to idle: median %s (min %s, max %s, %d runs)"
          % (milliseconds(statistics.median(starts)), milliseconds(min(starts)), milliseconds(max(starts)), len(starts)))

    app = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(instance_answers, 20)
    time.sleep(2)
    print("idle resident memory: %.1f MiB" % (rss_kib(app.pid) / 1024))

    holder = subprocess.Popen([target], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    if holder.stdout.readline().strip() != "ready":
        sys.exit("the target window never got the focus")
    window = run("xdotool", "search", "--name", "^capture target$").stdout.split()[0]

    times = []
    previous = set()
    for _ in range(presses):
        run("xdotool", "windowactivate", "--sync", window)
        run("xdotool", "key", "End", "shift+Home")
        # The unpinned panel goes 80 ms after the focus left it.
        wait_for(lambda: not visible_panels(), 5)
        began = time.perf_counter()
        run("xdotool", "key", "alt+d")
        if not wait_for(lambda: bool(visible_panels() - previous), 5):
            sys.exit("no lookup panel appeared")
        times.append(time.perf_counter() - began)
        previous = visible_panels()
    times.sort()
    print("Alt+D to panel mapped: p50 %s, p90 %s (min %s, max %s, %d presses)"
          % (milliseconds(statistics.median(times)), milliseconds(times[int(len(times) * 0.9) - 1]),
             milliseconds(times[0]), milliseconds(times[-1]), len(times)))
    print("resident memory after the presses: %.1f MiB" % (rss_kib(app.pid) / 1024))

    holder.stdin.write("quit\n")
    holder.stdin.close()
    holder.wait(10)
    stop(app)


if __name__ == "__main__":
    main()
