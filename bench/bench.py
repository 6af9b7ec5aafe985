#!/usr/bin/env python3
"""Runs the program and its bare-window floor under the build tree's Wine session and prints each figure
next to its floor as a ratio: start to first visible frame, resident memory, idle CPU in the tray and on
the virtual-speaker page. Called by scripts/bench.sh, which builds everything and starts the session."""
import os
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
    print(f"{name:<44} {value:10.3f} {unit:<6} {floor_name:<28} {floor:10.3f} {unit:<6} ratio {ratio}")


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


class Run:
    """One start of a program; its first visible frame is stamped into a file through OC_BENCH_FIRST_FRAME."""

    def __init__(self, scratch, args):
        self.stamp = os.path.join(scratch, "first-frame")
        if os.path.exists(self.stamp):
            os.remove(self.stamp)
        env = dict(os.environ)
        env["OC_BENCH_FIRST_FRAME"] = windows_path(self.stamp)
        env["OC_SIM_STATE"] = windows_path(os.path.join(scratch, "device.state"))
        self.started = time.time_ns()
        self.process = subprocess.Popen([WINE] + args, env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def first_frame_seconds(self, timeout=60):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                with open(self.stamp) as stamp:
                    text = stamp.read().strip()
                if text:
                    return (int(text) - self.started) / 1e9
            except OSError:
                pass
            if self.process.poll() is not None:
                break
            time.sleep(0.002)
        raise RuntimeError(f"no first frame from {self.process.args[1]}")

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


def startup_and_memory(scratch):
    write_settings([])
    times = {"program": [], "bare": []}
    memory = {"program": [], "bare": []}
    # One start of each first: the prefix's libraries come into the page cache.
    for args in (program_args(), bare_args()):
        run = Run(scratch, args)
        run.first_frame_seconds()
        run.stop()
    for _ in range(RUNS):
        for name, args in (("program", program_args()), ("bare", bare_args())):
            run = Run(scratch, args)
            times[name].append(run.first_frame_seconds())
            time.sleep(1.0)
            memory[name].append(resident_mb(run.process.pid))
            run.stop()
    program, bare = statistics.median(times["program"]), statistics.median(times["bare"])
    print_ratio(f"start to first visible frame (median of {RUNS})", program, "s", "bare layered window", bare)
    print_ratio("resident memory 1 s after the first frame", statistics.median(memory["program"]), "MB",
                "bare layered window", statistics.median(memory["bare"]))


def idle_cpu(scratch, args, shown):
    """CPU seconds per minute of the process while it rests. The session's wineserver is left out: Wine's
    own services keep it busy whether or not the program runs."""
    run = Run(scratch, args)
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


def idle(scratch):
    write_settings([])
    bare = idle_cpu(scratch, bare_args(), True)
    tray = idle_cpu(scratch, program_args("/h"), False)
    write_settings(["LastAPOName=SpeakerVirtual"])
    page = idle_cpu(scratch, program_args(), True)
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
        startup_and_memory(scratch)
        idle(scratch)
    finally:
        if had_settings:
            os.replace(saved, settings)
        elif os.path.exists(settings):
            os.remove(settings)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
