#!/usr/bin/env python3
"""Speed of the real program as it runs, from outside.

Starts darvik48 on its own virtual display (Xvfb) in demo mode, once per
scenario, puts it into Run through the remote-control mailbox and counts the
pictures by the sample export's data-ready word (the program sets it after
every capture, just before that capture is drawn). CPU and wakeups (context
switches of all the program's threads) come from /proc. Prints pictures per
second, CPU per picture, the time from the start to the main window on
screen, and the resident memory after start-up and after the run.

The Bode sweep is measured from its "Start" to its last capture: the steps
(the lines of its table, read back through "Copy Data"), the captures seen
(the data-ready word is polled, so captures that come faster than the poll
are seen as one), CPU per step and wakeups per step.

A scenario that counts no picture, no capture or no step fails the run.
Given two program files it runs both, scenario by scenario, in the same run,
so that a busy machine weighs on both alike.

  bench/program_speed.py build/src/darvik48 [other/build/src/darvik48]
      [--seconds 10] [--scenario NAME ...] [--repeat 1] [--settle 1]
"""
import argparse
import ctypes
import ctypes.util
import mmap
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

# Each scenario: the settings file it starts with, then what is done before
# the measurement: screen points clicked or keys pressed (where the windows
# open on a virtual display without a window manager), the Big Screen opened
# (Alt+B), and Run pressed through the remote-control mailbox.
SCENARIOS = {
    "run-1ms": {"set": "[Time]\n1ms=1\n"},
    "run-0.1us": {"set": "[Time]\n0.1us=1\n"},
    "spectrum": {"set": "[Time]\n1ms=1\n[Device]\nFFT=1\n"},
    # The "Persist" button under the picture.
    "graded-persistence": {"set": "[Time]\n1ms=1\n[Persistence]\nNormalPersistence=0\nPersistence_with_Intensity_Grading=1\n",
                           "actions": [("click", 636, 378)]},
    "big-screen": {"set": "[Time]\n1ms=1\n", "big_screen": True},
    # "Circuit Analyzer" and the hint's OK; then "Start" on the Bode window,
    # and the sweep is measured until it ends. In demo mode the generator is
    # not sent anything, so the sweep has no settle waits.
    "bode-sweep": {"set": "[Time]\n1ms=1\n", "run": False,
                   "actions": [("click", 978, 355), ("key", "Return")], "sweep": (44, 344)},
}
RUN_KEYS = ["pictures/s", "cpu ms/picture", "cpu %", "of it system %", "start-up ms", "rss MB start", "rss MB end"]
SWEEP_KEYS = ["steps", "captures seen", "sweep s", "cpu ms/step", "cpu %", "wakeups/step", "start-up ms"]
SWEEP_QUIET = 2.0  # seconds without a capture after which the sweep has ended
SWEEP_LONGEST = 300.0
DATA_READY = 8198
SETTLE = 1.0  # seconds for the start-up to settle; longer under a profiler
TICKS = os.sysconf("SC_CLK_TCK")


def free_display():
    for n in range(140, 400):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise SystemExit("no free display number")


def wait_for(predicate, seconds, step=0.002):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return False


def cpu_times(pid):
    """User and system CPU seconds of the process."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) / TICKS, int(fields[12]) / TICKS


def cpu_seconds(pid):
    return sum(cpu_times(pid))


def wakeups(pid):
    """Context switches of all the process's threads: each one a wakeup."""
    n = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                        n += int(line.split()[1])
        except OSError:
            pass  # a thread that ended meanwhile
    return n


class BenchFailure(Exception):
    pass


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


class Block:
    def __init__(self, path, size):
        fd = os.open(path, os.O_RDWR)
        self.map = mmap.mmap(fd, size)
        os.close(fd)

    def get(self, i):
        return struct.unpack_from("<i", self.map, 4 * i)[0]

    def set(self, i, v):
        struct.pack_into("<i", self.map, 4 * i, v)


def xlib():
    """libX11 with the types of the calls made here."""
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    p, win, atom = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong
    calls = {
        "XOpenDisplay": (p, [ctypes.c_char_p]),
        "XDefaultRootWindow": (win, [p]),
        "XSelectInput": (None, [p, win, ctypes.c_long]),
        "XPending": (ctypes.c_int, [p]),
        "XNextEvent": (None, [p, p]),
        "XFetchName": (ctypes.c_int, [p, win, ctypes.POINTER(ctypes.c_char_p)]),
        "XConnectionNumber": (ctypes.c_int, [p]),
        "XSync": (None, [p, ctypes.c_int]),
        "XFlush": (None, [p]),
        "XCloseDisplay": (None, [p]),
        "XCreateSimpleWindow": (win, [p, win] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2),
        "XInternAtom": (atom, [p, ctypes.c_char_p, ctypes.c_int]),
        "XConvertSelection": (None, [p, atom, atom, atom, win, ctypes.c_ulong]),
        "XGetWindowProperty": (ctypes.c_int, [p, win, atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, atom,
                                              ctypes.POINTER(atom), ctypes.POINTER(ctypes.c_int),
                                              ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                              ctypes.POINTER(p)]),
        "XFree": (None, [p]),
    }
    for name, (result, args) in calls.items():
        f = getattr(x, name)
        if result is not None:
            f.restype = result
        f.argtypes = args
    return x


class MapWatch:
    """Notes when a top-level window of that name is mapped, from the X
    server's own notice on a connection of its own: asking the server over
    and over (as xdotool does) would slow the very start-up it times."""
    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display, name):
        self.x = xlib()
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise BenchFailure("cannot open display " + display)
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy), self.SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.dpy, 0)
        self.name = name.encode()
        self.when = None
        self.done = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        fd = self.x.XConnectionNumber(self.dpy)
        event = (ctypes.c_long * 24)()
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and self.when is None:
            if self.x.XPending(self.dpy) == 0:
                select.select([fd], [], [], 0.05)
                continue
            self.x.XNextEvent(self.dpy, ctypes.byref(event))
            if ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0] != self.MAP_NOTIFY:
                continue
            t = time.monotonic()
            window = event[5]
            title = ctypes.c_char_p()
            if self.x.XFetchName(self.dpy, window, ctypes.byref(title)) and title.value == self.name:
                self.when = t
        self.done.set()

    def wait(self, seconds):
        self.done.wait(seconds)
        return self.when

    def close(self):
        self.done.wait(1)
        self.x.XCloseDisplay(self.dpy)


class Clipboard:
    """Reads the X clipboard's text as a paste would, on a connection of its
    own: asks its owner for UTF8_STRING into a property of a window of ours."""
    SELECTION_NOTIFY = 31

    def __init__(self, display):
        x = self.x = xlib()
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise BenchFailure("cannot open display " + display)
        self.window = x.XCreateSimpleWindow(self.dpy, x.XDefaultRootWindow(self.dpy), 0, 0, 1, 1, 0, 0, 0)

    def text(self, seconds=5):
        x = self.x
        atom = lambda name: x.XInternAtom(self.dpy, name, 0)
        prop = atom(b"DARVIK48_SPEED_PASTE")
        x.XConvertSelection(self.dpy, atom(b"CLIPBOARD"), atom(b"UTF8_STRING"), prop, self.window, 0)
        x.XFlush(self.dpy)
        fd = x.XConnectionNumber(self.dpy)
        event = (ctypes.c_long * 24)()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if x.XPending(self.dpy) == 0:
                select.select([fd], [], [], 0.05)
                continue
            x.XNextEvent(self.dpy, ctypes.byref(event))
            if ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0] != self.SELECTION_NOTIFY:
                continue
            if event[7] == 0:  # the owner could not give text
                return ""
            kind, fmt = ctypes.c_ulong(), ctypes.c_int()
            count, left, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
            x.XGetWindowProperty(self.dpy, self.window, prop, 0, 1 << 20, 1, 0, ctypes.byref(kind),
                                 ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(left), ctypes.byref(data))
            if not data.value:
                return ""
            text = ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
            x.XFree(data)
            return text
        return ""

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def measure_run(pid, seconds, export):
    export.set(DATA_READY, 0)
    pictures = 0
    sys0 = cpu_times(pid)[1]
    cpu0, t0 = cpu_seconds(pid), time.monotonic()
    end = t0 + seconds
    while time.monotonic() < end:
        if export.get(DATA_READY):
            export.set(DATA_READY, 0)
            pictures += 1
        time.sleep(0.0005)
    cpu1, t1 = cpu_seconds(pid), time.monotonic()
    sys1 = cpu_times(pid)[1]
    if not pictures:
        raise BenchFailure(f"no picture in {seconds:g} s of Run")
    wall = t1 - t0
    return {
        "pictures/s": pictures / wall,
        "cpu ms/picture": (cpu1 - cpu0) * 1000 / pictures,
        "cpu %": (cpu1 - cpu0) * 100 / wall,
        "of it system %": (sys1 - sys0) * 100 / wall,
    }


def measure_sweep(pid, display, start_button, export):
    """From the press of "Start" to the sweep's last capture, which is the one
    followed by SWEEP_QUIET seconds without another; then the steps from the
    sweep's table."""
    env = dict(os.environ, DISPLAY=display)
    export.set(DATA_READY, 0)
    captures = 0
    cpu0, woken0, t0 = cpu_seconds(pid), wakeups(pid), time.monotonic()
    # Not waited for: the sweep's first captures come while xdotool closes.
    press = subprocess.Popen(["xdotool", "mousemove", str(start_button[0]), str(start_button[1]), "click", "1",
                              "mousemove", "1270", "1010"], env=env)
    last = t0
    cpu1, woken1 = cpu0, woken0
    while True:
        now = time.monotonic()
        if export.get(DATA_READY):
            export.set(DATA_READY, 0)
            captures += 1
            last = now
            cpu1, woken1 = cpu_seconds(pid), wakeups(pid)
        elif now - last > SWEEP_QUIET and (captures or now - t0 > 10):
            break
        elif now - t0 > SWEEP_LONGEST:
            raise BenchFailure(f"the sweep had not ended after {SWEEP_LONGEST:g} s")
        time.sleep(0.0005)
    press.wait()
    if not captures:
        raise BenchFailure("the sweep took no capture: did \"Start\" get pressed?")
    # "Copy Data" (Edit, D) over the Bode window: without a window manager
    # the keys go to the window under the mouse.
    clipboard = Clipboard(display)
    try:
        subprocess.run(["xdotool", "mousemove", str(start_button[0]), str(start_button[1]), "key", "alt+e",
                        "sleep", "0.3", "key", "d", "mousemove", "1270", "1010"], env=env, check=False)
        time.sleep(0.3)
        table = clipboard.text()
    finally:
        clipboard.close()
    lines = [line for line in table.splitlines() if line.strip()]
    if not lines or "dBV" not in lines[0]:
        raise BenchFailure(f"the sweep's table was not copied (the clipboard held {table[:60]!r})")
    steps = len(lines) - 1
    if not steps:
        raise BenchFailure("the sweep's table has no step")
    wall = last - t0
    return {
        "steps": steps,
        "captures seen": captures,
        "sweep s": wall,
        "cpu ms/step": (cpu1 - cpu0) * 1000 / steps,
        "cpu %": (cpu1 - cpu0) * 100 / wall if wall > 0 else float("nan"),
        "wakeups/step": (woken1 - woken0) / steps,
    }


def window_shown(display, name):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                       env=dict(os.environ, DISPLAY=display), capture_output=True, text=True)
    return r.stdout.split()


def run_once(program, scenario, seconds, shot=None):
    plan = SCENARIOS[scenario]
    settings = plan["set"]
    n = free_display()
    display = f":{n}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    home = tempfile.mkdtemp(prefix="darvik48-speed-")
    suffix = f"speedbench{os.getpid()}x{n}"
    program_proc = None
    try:
        if not wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{n}"), 10):
            raise BenchFailure("Xvfb did not start")
        ini_dir = os.path.join(home, ".local/share/Brastel/Darvik48")
        os.makedirs(ini_dir)
        with open(os.path.join(ini_dir, "Darvik48.ini"), "w") as f:
            f.write("[Hardware]\nDemoMode=1\n")
        set_file = os.path.join(home, "scenario.set")
        with open(set_file, "w") as f:
            f.write(settings)
        env = dict(os.environ, DISPLAY=display, HOME=home, DARVIK48_SHM_SUFFIX=suffix)
        for k in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(k, None)
        watch = MapWatch(display, "Darvik48")
        started = time.monotonic()
        program_proc = subprocess.Popen([program, set_file], env=env, cwd=home, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        pid = program_proc.pid
        shown = watch.wait(20)
        watch.close()
        startup_ms = (shown - started) * 1000 if shown else float("nan")
        export_path = f"/dev/shm/ShareDSOData{suffix}"
        mailbox_path = f"/dev/shm/Darv48Data{suffix}"
        if not wait_for(lambda: os.path.exists(export_path) and os.path.exists(mailbox_path), 30):
            raise BenchFailure(f"{program} made no shared-memory blocks")
        export = Block(export_path, 40000)
        mailbox = Block(mailbox_path, 400)
        time.sleep(SETTLE)  # the deferred start-up settles into demo mode
        # The demo-mode notice is closed; then the open dialog takes the
        # settings file named on the command line.
        for _ in range(2):
            subprocess.run(["xdotool", "key", "Return"], env=dict(os.environ, DISPLAY=display), check=False)
            time.sleep(0.7 * SETTLE)
        rss_start = rss_mb(pid)
        for action in plan.get("actions", []):
            if action[0] == "click":
                cmd = ["mousemove", str(action[1]), str(action[2]), "click", "1", "mousemove", "1270", "1010"]
            else:
                cmd = ["key", action[1]]
            subprocess.run(["xdotool"] + cmd, env=dict(os.environ, DISPLAY=display), check=False)
            time.sleep(0.7 * SETTLE)
        if plan.get("big_screen"):
            # Typed as a user types it, over an empty part of the main window
            # (without a window manager the keys go to the window under the
            # mouse): a key sent to a window with XSendEvent reaches the
            # program's shortcut twice, and the Big Screen opened would close.
            subprocess.run(["xdotool", "mousemove", "1100", "500", "key", "alt+b", "mousemove", "1270", "1010"],
                           env=dict(os.environ, DISPLAY=display), check=False)
            time.sleep(0.5)
        if plan.get("run", True):
            wait_for(lambda: mailbox.get(0) == 0, 10)
            mailbox.set(1, 1)
            mailbox.set(0, 4)  # Run
            wait_for(lambda: mailbox.get(0) == 0, 10)
            time.sleep(SETTLE)  # past the first ticks
        if "sweep" in plan:
            result = measure_sweep(pid, display, plan["sweep"], export)
        else:
            result = measure_run(pid, seconds, export)
        rss_end = rss_mb(pid)
        if shot:
            subprocess.run(["import", "-window", "root", shot], env=dict(os.environ, DISPLAY=display), check=False)
        result.update({"start-up ms": startup_ms, "rss MB start": rss_start, "rss MB end": rss_end})
        return result
    finally:
        if program_proc:
            program_proc.terminate()
            try:
                program_proc.wait(10)
            except subprocess.TimeoutExpired:
                program_proc.kill()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)
        for base in ("ShareDSOData", "Darv48Data", "Selg48Data"):
            try:
                os.unlink(f"/dev/shm/{base}{suffix}")
            except OSError:
                pass


def main():
    global SETTLE
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("programs", nargs="+", help="one or two darvik48 program files")
    ap.add_argument("--seconds", type=float, default=10.0, help="length of each measured Run (the Bode sweep runs to its end)")
    ap.add_argument("--scenario", action="append", choices=sorted(SCENARIOS), help="default: all")
    ap.add_argument("--shots", help="folder for a screenshot at the end of each run")
    ap.add_argument("--settle", type=float, default=SETTLE,
                    help="seconds given to each step of the set-up (more on a busy machine)")
    ap.add_argument("--repeat", type=int, default=1, help="runs per scenario and program (medians shown)")
    args = ap.parse_args()
    SETTLE = args.settle
    if len(args.programs) > 2:
        ap.error("one or two program files")
    programs = [os.path.abspath(p) for p in args.programs]
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)
    for p in programs:
        if not os.access(p, os.X_OK):
            ap.error(f"{p}: not a program file")
    header = None
    for scenario in args.scenario or list(SCENARIOS):
        keys = SWEEP_KEYS if "sweep" in SCENARIOS[scenario] else RUN_KEYS
        if keys is not header:
            header = keys
            print(f"{'scenario':20} {'program':3} " + " ".join(f"{k:>15}" for k in keys))
        results = {p: [] for p in programs}
        for _ in range(args.repeat):
            for p in programs:  # alternate, so that both see the same machine
                shot = os.path.join(args.shots, f"{scenario}-{chr(65 + programs.index(p))}.png") if args.shots else None
                try:
                    results[p].append(run_once(p, scenario, args.seconds, shot))
                except BenchFailure as e:
                    print(f"program_speed: {scenario}, {p}: {e}", file=sys.stderr)
                    return 1
        for i, p in enumerate(programs):
            med = {k: sorted(r[k] for r in results[p])[len(results[p]) // 2] for k in keys}
            print(f"{scenario:20} {chr(65 + i):3} " + " ".join(f"{med[k]:15.2f}" for k in keys), flush=True)
    for i, p in enumerate(programs):
        print(f"{chr(65 + i)} = {p}")


if __name__ == "__main__":
    sys.exit(main())
