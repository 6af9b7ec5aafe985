#!/usr/bin/env python3
"""Runs the program and its bare-window floor under the build tree's Wine session and prints each figure
next to its floor as a ratio: start to first visible frame, resident memory, idle CPU in the tray and on
the virtual-speaker page. Called by scripts/bench.sh, which builds what it needs and starts the session.

The first visible frame of both is seen from outside, at one point: the X server mapping a window of the
size of a main window on the session's display. Both push their picture before they show the window, so
the map is when it becomes visible; a stamp each process writes itself would come at different points of
their own message handling."""
import ctypes
import ctypes.util
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("OC_BUILD_DIR", os.path.join(ROOT, "build", "win"))
WINE = os.environ["OC_WINE"]
PREFIX = os.environ["WINEPREFIX"]
PROGRAM = os.path.join(BUILD, "Overcoat", "Overcoat.exe")
BARE = os.path.join(BUILD, "bench", "oc_bench_bare.exe")
PICTURE = os.path.join(BUILD, "Overcoat", "Skin", "Overcoat", "Main", "window_background.png")
DATA_FOLDER = os.path.join(PREFIX, "drive_c", "ProgramData", "Korva Software")
RUNS = int(os.environ.get("OC_BENCH_RUNS", "9"))
IDLE_SECONDS = float(os.environ.get("OC_BENCH_IDLE_SECONDS", "30"))
IDLE_LIMIT = 0.05  # CPU seconds per minute hidden to the tray


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def print_ratio(name, value, unit, floor_name, floor):
    ratio = f"{value / floor:7.2f}" if floor > 0 else "      -"
    print(f"{name:<52} {value:10.3f} {unit:<6} {floor_name:<34} {floor:10.3f} {unit:<6} ratio {ratio}", flush=True)


def cpu_seconds(pid):
    """Time on the CPU of every thread of one process, to the nanosecond."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass  # a thread that just ended
    return total / 1e9


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("pad", ctypes.c_long * 24)]


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class MapWatcher:
    """Reports the X windows mapped on the session's display, with the host's clock at the moment the map
    notice arrives. Listens to the root window's substructure: every top-level map is seen, none polled."""
    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
        # A window gone before its size is asked is no error worth ending the bench for.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)
        self.x.XSetErrorHandler(self.on_error)
        self.display = self.x.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not self.display:
            raise RuntimeError("cannot open the display " + os.environ["DISPLAY"])
        self.x.XSelectInput(self.display, self.x.XDefaultRootWindow(self.display), self.SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.display)
        self.fd = self.x.XConnectionNumber(self.display)

    def size(self, window):
        root, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not self.x.XGetGeometry(self.display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                   ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                   ctypes.byref(depth)):
            return 0, 0
        return width.value, height.value

    def drain(self):
        """Forgets the notices so far: a new run waits for its own window."""
        event = XEvent()
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, ctypes.byref(event))

    def wait_for_main_window(self, alive, timeout=60):
        """The host time in ns of the first map of a window at least 400 x 300, or None."""
        end = time.monotonic() + timeout
        event = XEvent()
        while time.monotonic() < end:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, ctypes.byref(event))
                stamp = time.time_ns()
                if event.type != self.MAP_NOTIFY:
                    continue
                mapped = ctypes.cast(ctypes.byref(event), ctypes.POINTER(XMapEvent)).contents
                width, height = self.size(mapped.window)
                if width >= 400 and height >= 300:
                    return stamp
            if not alive():
                return None
            select.select([self.fd], [], [], 0.05)
        return None


class Run:
    """One start of a program, its first visible frame seen by the watcher."""

    def __init__(self, scratch, args, watcher):
        self.watcher = watcher
        env = dict(os.environ)
        env["OC_SIM_STATE"] = windows_path(os.path.join(scratch, "device.state"))
        self.log = os.path.join(scratch, "run.log")
        watcher.drain()
        with open(self.log, "w") as log:
            self.started = time.time_ns()
            self.process = subprocess.Popen([WINE] + args, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def first_frame_seconds(self, timeout=60):
        """Seconds from the launch to the first frame; None (with the reason on stderr) when none came."""
        stamp = self.watcher.wait_for_main_window(lambda: self.process.poll() is None, timeout)
        if stamp is None:
            with open(self.log, errors="replace") as log:
                tail = log.read()[-2000:]
            state = "running" if self.process.poll() is None else f"ended with {self.process.returncode}"
            print(f"no first frame from {self.process.args[1]} ({state}): {tail}", file=sys.stderr)
            return None
        return (stamp - self.started) / 1e9

    def stop(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()
        time.sleep(0.3)  # the wineserver lets go of the process


def write_settings(extra):
    os.makedirs(DATA_FOLDER, exist_ok=True)
    lines = ["[Setting]", "MultiLanguage=en-US", "UITransparent=0", "SystemTray=1", "WelcomeMsg=0"] + extra
    with open(os.path.join(DATA_FOLDER, "setting.ini"), "w", newline="\r\n") as ini:
        ini.write("\n".join(lines) + "\n")


def program_args(*switches):
    return [PROGRAM] + list(switches)


def bare_args():
    return [BARE, windows_path(PICTURE)]


def startup_and_memory(scratch, watcher):
    write_settings([])
    times = {"program": [], "bare": []}
    memory = {"program": [], "bare": []}
    # One start of each first: the prefix's libraries come into the page cache.
    for args in (program_args(), bare_args()):
        run = Run(scratch, args, watcher)
        run.first_frame_seconds()
        run.stop()
    for _ in range(RUNS):
        for name, args in (("program", program_args()), ("bare", bare_args())):
            run = Run(scratch, args, watcher)
            seconds = run.first_frame_seconds()
            if seconds is not None:  # a failed start is reported and left out of both figures
                times[name].append(seconds)
                time.sleep(1.0)
                memory[name].append(resident_mb(run.process.pid))
            run.stop()
    if not times["program"] or not times["bare"]:
        sys.exit("no start showed a frame")
    program, bare = statistics.median(times["program"]), statistics.median(times["bare"])
    print_ratio(f"start to first visible frame (median of {RUNS}, alternated)", program, "s", "bare layered window", bare)
    print_ratio("resident memory 1 s after the first frame", statistics.median(memory["program"]), "MB",
                "bare layered window", statistics.median(memory["bare"]))


def idle_cpu(scratch, args, shown, watcher):
    """CPU seconds per minute of the process while it rests. The session's wineserver is left out: Wine's
    own services keep it busy whether or not the program runs."""
    run = Run(scratch, args, watcher)
    if shown:
        run.first_frame_seconds()
        time.sleep(3.0)
    else:
        time.sleep(8.0)  # started hidden: no frame tells when start-up is over
    before = cpu_seconds(run.process.pid)
    time.sleep(IDLE_SECONDS)
    used = cpu_seconds(run.process.pid) - before
    run.stop()
    return used * 60 / IDLE_SECONDS


def idle(scratch, watcher):
    write_settings([])
    bare = idle_cpu(scratch, bare_args(), True, watcher)
    tray = idle_cpu(scratch, program_args("/h"), False, watcher)
    write_settings(["LastAPOName=SpeakerVirtual"])
    page = idle_cpu(scratch, program_args(), True, watcher)
    print_ratio("CPU idle hidden in the tray", tray, "s/min", "bare layered window", bare)
    print_ratio("CPU idle hidden in the tray", tray, "s/min", "limit", IDLE_LIMIT)
    print_ratio("CPU idle on the virtual-speaker page", page, "s/min", "bare layered window", bare)


def main():
    for path in (PROGRAM, BARE, PICTURE):
        if not os.path.exists(path):
            sys.exit(f"missing {path}: build the program and bench/ first")
    settings = os.path.join(DATA_FOLDER, "setting.ini")
    saved = settings + ".bench-saved"
    had_settings = os.path.exists(settings)
    if had_settings:
        shutil.copy2(settings, saved)
    scratch = tempfile.mkdtemp(prefix="oc-bench-")
    try:
        watcher = MapWatcher()
        startup_and_memory(scratch, watcher)
        idle(scratch, watcher)
    finally:
        if had_settings:
            os.replace(saved, settings)
        elif os.path.exists(settings):
            os.remove(settings)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
