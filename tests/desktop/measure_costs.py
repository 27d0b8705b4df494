#!/usr/bin/python3
"""Measures the desktop program's start-up and idle costs on a private X server and session bus.

  /usr/bin/python3 tests/desktop/measure_costs.py build/release/src/desktop/kalvory [idle seconds]
      [--reminders N]

Prints: the time from starting the process to its tray icon registering with a tray host
(a StatusNotifierWatcher stand-in on the private bus), the resident memory once it has started,
and over the idle period with its main window hidden: the CPU it used and how often its main
thread woke up (its context switches). With --reminders N it opens a document of N reminders,
none of them due during the measurement (built with kalvory-cli beside the program).

  /usr/bin/python3 tests/desktop/measure_costs.py build/release/src/desktop/kalvory --shown
      [--reminders 0,10000] [--window 60] [--floor build/release/tests/desktop/idle_floor] [--open 100000]

Runs the program as a user does, its main window shown and the on-screen clock on, once for each
reminder count, beside a bare Qt window with a one-second timer (tests/desktop/idle_floor) as the
floor, all at once; prints the main thread's wake-ups (context switches) a second and the CPU
seconds a minute of each over the second idle window. With --open N it first times, alone, the start
of the program with a document of N reminders until its main window is mapped (needs xdotool).
"""
import json
import os
import subprocess
import sys
import tempfile
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.registered_at = None

    @dbus.service.method("org.kde.StatusNotifierWatcher", in_signature="s")
    def RegisterStatusNotifierItem(self, service):
        if self.registered_at is None:
            self.registered_at = time.monotonic()

    @dbus.service.method("org.kde.StatusNotifierWatcher", in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0,
                "RegisteredStatusNotifierItems": dbus.Array([], signature="s")}[name]

    # Qt reads the host property through the introspection data, so it must be listed there.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
</interface></node>"""

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0}


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main_thread_switches(pid):
    """The main thread's waits that ended (it slept and woke up), and the times it was put aside
    for another process while running (a busy machine, not the program, decides those)."""
    counts = {}
    with open(f"/proc/{pid}/task/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"):
                counts[key] = int(value)
    return counts["voluntary_ctxt_switches"], counts["nonvoluntary_ctxt_switches"]


def reminder_document(folder, count, program):
    """A document of `count` reminders spread over the coming years, none due now."""
    base = 46400.0  # 2027-01-13, after today: one-time reminders that wait
    reminders = [{"time": {"status": 0, "days": base + index * 0.37}, "timer_mode": 0, "daily": 0, "state": 1,
                  "text": f"Reminder {index}", "sound_file": "", "timer_minutes": 0, "program": "",
                  "exit_action": 0, "week_days": 127, "show_seconds": 60, "osd": 1, "notifier": "",
                  "wallpaper": "", "sticker": ""} for index in range(count)]
    source = f"{folder}/reminders.json"
    with open(source, "w") as out:
        json.dump({"reminders": reminders, "day_notes": []}, out)
    cli = os.path.join(os.path.dirname(program), "..", "cli", "kalvory-cli")
    document = f"{folder}/reminders.alr"
    subprocess.run([cli, "build", source, document], check=True)
    return document


def start_x_server(folder):
    """A private Xvfb; its display number, or None when it did not start."""
    # Xvfb chooses a free display and names it through a pipe once it accepts clients; it never
    # resets, which it would otherwise do whenever its last client leaves.
    display_read, display_write = os.pipe()
    with open(f"{folder}/xvfb.log", "w") as xvfb_log:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(display_write), "-noreset", "-screen", "0", "1280x800x24",
                                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=xvfb_log,
                                pass_fds=(display_write,))
    os.close(display_write)
    with os.fdopen(display_read) as pipe:
        display = pipe.readline().strip()
    if not display:
        with open(f"{folder}/xvfb.log") as log:
            print("Xvfb did not start:\n" + log.read())
        xvfb.terminate()
        return None, None
    return xvfb, display


def fresh_home(root, name, display, address, main_window_shown):
    """A home folder of its own with the program's settings, and the environment that uses it."""
    home = f"{root}/{name}"
    os.makedirs(f"{home}/run", mode=0o700)
    env = dict(os.environ, DISPLAY=f":{display}", DBUS_SESSION_BUS_ADDRESS=address, HOME=home,
               XDG_RUNTIME_DIR=f"{home}/run", XDG_CONFIG_HOME=f"{home}/config", XDG_DATA_HOME=f"{home}/data",
               KALVORY_HOME=f"{home}/kalvory", QT_QPA_PLATFORM="xcb", QT_LOGGING_RULES="kalvory.*=false")
    env.pop("WAYLAND_DISPLAY", None)
    os.makedirs(f"{home}/config/Kalvory")
    with open(f"{home}/config/Kalvory/Kalvory.conf", "w") as settings:
        settings.write(f"[AppSettings]\nMainFrameVisible={1 if main_window_shown else 0}\n")
    return home, env


def wait_for(loop, condition, seconds):
    started = time.monotonic()

    def check():
        if condition() or time.monotonic() - started > seconds:
            loop.quit()
            return False
        return True

    GLib.timeout_add(5, check)
    loop.run()


def run_seconds(pid):
    """The time all threads of the process have run, from the scheduler's nanosecond counts (the
    user + system times of /proc/PID/stat count whole clock ticks of 10 ms, too coarse for a
    program that runs a few milliseconds a minute)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except FileNotFoundError:
            pass  # a thread that ended; its time is lost to both samples alike
    return total / 1e9


class Sample:
    """The CPU time and the main thread's context switches of a process at one moment."""

    def __init__(self, pid):
        self.cpu = run_seconds(pid)
        self.woke, self.preempted = main_thread_switches(pid)


def hidden_window_costs(program, idle, reminders):
    """Start-up, memory, idle and exit of the program with its main window hidden."""
    root = tempfile.mkdtemp(prefix="kalvory-costs-")
    xvfb, display = start_x_server(root)
    if xvfb is None:
        return 1
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                           text=True)
    address = bus.stdout.readline().strip()
    home, env = fresh_home(root, "home", display, address, main_window_shown=False)

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    session = dbus.bus.BusConnection(address)
    name = dbus.service.BusName("org.kde.StatusNotifierWatcher", session)
    watcher = Watcher(session)
    loop = GLib.MainLoop()
    started = time.monotonic()
    document = [reminder_document(home, reminders, program)] if reminders else []
    process = subprocess.Popen([program] + document, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(loop, lambda: watcher.registered_at is not None, 20)
    try:
        if watcher.registered_at is None:
            print("tray icon never registered")
            return 1
        print(f"start to tray icon: {(watcher.registered_at - started) * 1000:.0f} ms")
        time.sleep(2)
        print(f"resident memory after start: {rss_kib(process.pid) / 1024:.1f} MiB")
        before = Sample(process.pid)
        time.sleep(idle)
        after = Sample(process.pid)
        used = after.cpu - before.cpu
        woke, preempted = after.woke - before.woke, after.preempted - before.preempted
        print(f"reminders in the document: {reminders}")
        print(f"CPU over {idle:.0f} idle s (window hidden): {used:.2f} s = {100 * used / idle:.3f} % of one core"
              f" = {used * 60 / idle:.3f} s a minute")
        print(f"main thread wake-ups: {woke} = {woke / idle:.2f} a second"
              f" (and {preempted} times put aside by other processes)")
    finally:
        asked = time.monotonic()
        process.terminate()
        process.wait(30)
        print(f"end on SIGTERM (settings saved, program closed): {(time.monotonic() - asked) * 1000:.0f} ms")
        del name
        session.close()
        bus.terminate()
        xvfb.terminate()
    return 0


def time_to_main_window(loop, env, process, started, limit=20):
    """Seconds from `started` until the program's main window is mapped, or None. The bus's
    main loop runs meanwhile, so that the tray host stand-in answers the program."""
    shown = []

    def mapped():
        if process.poll() is not None:
            return True
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--all", "--pid", str(process.pid), "--name",
                                "Kalvory$"], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True).stdout
        if found.strip():
            shown.append(time.monotonic() - started)
        return bool(shown)

    wait_for(loop, mapped, limit)
    return shown[0] if shown else None


def shown_window_costs(program, floor, window, counts, opening):
    """The program with its main window shown and the on-screen clock on, once for each reminder
    count, and the bare Qt window beside them: all at the same time on one X server and one
    session bus, each with a fresh home, measured over the same second idle window (the first
    one lets start-up settle), so that whatever else the machine does weighs on all alike."""
    root = tempfile.mkdtemp(prefix="kalvory-costs-")
    xvfb, display = start_x_server(root)
    if xvfb is None:
        return 1
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                           text=True)
    address = bus.stdout.readline().strip()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    session = dbus.bus.BusConnection(address)
    name = dbus.service.BusName("org.kde.StatusNotifierWatcher", session)
    Watcher(session)
    loop = GLib.MainLoop()

    runs = []  # (label, process)
    try:
        if opening:
            home, env = fresh_home(root, f"home-open-{opening}", display, address, main_window_shown=True)
            document = reminder_document(home, opening, program)
            started = time.monotonic()
            process = subprocess.Popen([program, document], env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            shown = time_to_main_window(loop, env, process, started)
            process.terminate()
            process.wait(30)
            if shown is None:
                print(f"{opening:,} reminders: the main window never showed")
                return 1
            print(f"start to main window with {opening:,} reminders: {shown * 1000:.0f} ms")
        for count in counts:
            home, env = fresh_home(root, f"home-{count}", display, address, main_window_shown=True)
            document = [reminder_document(home, count, program)] if count else []
            runs.append((f"{count:,} reminders",
                         subprocess.Popen([program] + document, env=env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)))
        home, env = fresh_home(root, "home-floor", display, address, main_window_shown=True)
        runs.append(("bare Qt window, 1 s timer",
                     subprocess.Popen([floor], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)))
        wait_for(loop, lambda: False, window)
        for label, process in runs:
            if process.poll() is not None:
                print(f"{label}: ended during the first window (exit status {process.returncode})")
                return 1
        before = [Sample(process.pid) for _, process in runs]
        load = os.getloadavg()[0]
        wait_for(loop, lambda: False, window)
        after = [Sample(process.pid) for _, process in runs]
        print(f"second idle window of {window:.0f} s; load average {load:.2f} at its start,"
              f" {os.getloadavg()[0]:.2f} at its end, {os.cpu_count()} cores")
        print("| | main-thread wake-ups a second | of which it slept | CPU s a minute |")
        print("|---|---|---|---|")
        for (label, _), first, last in zip(runs, before, after):
            woke = (last.woke - first.woke) + (last.preempted - first.preempted)
            print(f"| {label} | {woke / window:.2f} | {(last.woke - first.woke) / window:.2f} |"
                  f" {(last.cpu - first.cpu) * 60 / window:.3f} |")
    finally:
        for _, process in runs:
            process.terminate()
        for _, process in runs:
            process.wait(30)
        del name
        session.close()
        bus.terminate()
        xvfb.terminate()
    return 0


def main():
    arguments = sys.argv[1:]

    def option(flag, default):
        if flag not in arguments:
            return default
        at = arguments.index(flag)
        value = arguments[at + 1]
        del arguments[at:at + 2]
        return value

    reminders = option("--reminders", "0")
    window = float(option("--window", "60"))
    opening = option("--open", "0")
    shown = "--shown" in arguments
    if shown:
        arguments.remove("--shown")
    program = os.path.abspath(arguments[0])
    floor = option("--floor", os.path.join(os.path.dirname(program), "..", "..", "tests", "desktop", "idle_floor"))
    if shown:
        return shown_window_costs(program, os.path.abspath(floor), window, [int(n) for n in reminders.split(",")],
                                  int(opening))
    idle = float(arguments[1]) if len(arguments) > 1 else 60.0
    return hidden_window_costs(program, idle, int(reminders))


if __name__ == "__main__":
    sys.exit(main())
