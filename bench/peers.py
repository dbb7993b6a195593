#!/usr/bin/env python3
"""Side by side with other editors, as a user would see it: the real programs in a real X server.

Runs Mekalon, KWrite and FeatherPad one after the other (the order turns with every run) in one
Xvfb, each on the same 20 MB text (the 400,000 lines of bench/large_text.h, written as UTF-8, which
all three read), in windows of the same size, and sends each the same keys through xdotool:

  type-end     200 typed characters at the end of the text (window 640 x 380)
  ctrl-left    20 x Ctrl+Left at the end of a long line (the line typed into just before)
  page-down    100 x Page Down from the top
  type-full    200 typed characters at the end of the text, the window 1920 x 1080

For each row it reads the CPU time (user and system, all threads, from /proc/PID/task/*/schedstat)
of the editor and of the X server from just before the first key until both are idle again, and
prints the median of the runs for each editor and the ratio of Mekalon to the best of the others.
Keys go out with a fixed delay (default 30 ms), so each is handled and painted on its own, as a
typist's would be; loading the text, moving to its end and resizing are not counted.

Nothing is installed here: Xvfb and xdotool (packages xvfb, xdotool) and the peers (kwrite,
featherpad: `apt-get install --no-install-recommends kwrite featherpad`) must be installed by hand.
An editor that is not installed is left out.

  bench/peers.py [--runs 3] [--delay 30] [--mekalon build/app/mekalon] [--before OTHER/mekalon]
                 [--rows type-end,...] [--editors mekalon,kwrite,featherpad]
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TYPED = ("the quick brown fox jumps over a lazy dog and types on " * 5)[:200]


def large_text_utf8():
    """bench/large_text.h's text, its TIS-620 bytes turned into UTF-8."""
    pieces = [b"\xA1\xD4\xE8", b"\xA2", b"\xA4\xD8", b"\xA7", b"\xB9\xE9", b"\xC1", b"\xC3\xD1", b"\xCA",
              b"\xE0", b"\xD2", b"\xD3", b" ", b"the ", b"word", b", ", b"(x) ", b"123", b"\xB7\xD5\xE8"]
    out = bytearray()
    seed = 2024
    for _ in range(400000):
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        target = 20 + (seed >> 16) % 61
        start = len(out)
        while len(out) - start < target:
            seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
            out += pieces[(seed >> 16) % len(pieces)]
        out += b"\r\n"
    return bytes(out).decode("cp874").encode("utf-8")


def cpu_ns(pid):
    """CPU time of every thread of a process, in nanoseconds."""
    total = 0
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    total += int(f.read().split()[0])
            except (FileNotFoundError, ProcessLookupError):
                pass
    except FileNotFoundError:
        pass
    return total


def wait_idle(pids, quiet_ms=400, step=0.1, timeout=120):
    """Waits until the processes together use under 2 ms of CPU in `quiet_ms`."""
    end = time.time() + timeout
    window = []
    while time.time() < end:
        window.append(sum(cpu_ns(p) for p in pids))
        window = window[-(int(quiet_ms / 1000 / step) + 1):]
        if len(window) > quiet_ms / 1000 / step and window[-1] - window[0] < 2_000_000:
            return
        time.sleep(step)


class Display:
    def __init__(self):
        self.num = 150 + os.getpid() % 100
        self.name = f":{self.num}"
        self.proc = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": self.name},
                              capture_output=True, text=True).stdout.strip()

    def close(self):
        self.proc.terminate()
        self.proc.wait()


class Editor:
    def __init__(self, name, command, display, home):
        self.name = name
        self.display = display
        env = {**os.environ, "DISPLAY": display.name, "QT_QPA_PLATFORM": "xcb", "HOME": home,
               "XDG_CONFIG_HOME": f"{home}/config", "XDG_STATE_HOME": f"{home}/state",
               "XDG_CACHE_HOME": f"{home}/cache", "XDG_DATA_HOME": f"{home}/data",
               "XDG_RUNTIME_DIR": f"{home}/runtime",
               # No session bus: a peer that finds one (started by another peer before it) may
               # hand its file to an instance it believes is running and show no window.
               "DBUS_SESSION_BUS_ADDRESS": "disabled:"}
        for d in ("config", "state", "cache", "data", "runtime"):
            os.makedirs(f"{home}/{d}", exist_ok=True)
        os.chmod(f"{home}/runtime", 0o700)
        self.proc = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.window = ""
        # A peer reading the 42 MB text can take a minute or more on a loaded machine.
        for _ in range(3000):
            ids = display.xdotool("search", "--onlyvisible", "--pid", str(self.proc.pid)).split()
            if ids:
                self.window = ids[-1]
                break
            time.sleep(0.1)
        if not self.window:
            raise RuntimeError(f"{name} showed no window")
        self.idle()

    def idle(self):
        wait_idle([self.proc.pid, self.display.proc.pid])

    def size(self, w, h):
        self.display.xdotool("windowmove", self.window, "0", "0")
        self.display.xdotool("windowsize", self.window, str(w), str(h))
        self.focus()
        self.idle()

    def focus(self):
        self.display.xdotool("windowactivate", "--sync", self.window)
        self.display.xdotool("windowfocus", "--sync", self.window)

    def keys(self, *keys, delay):
        self.display.xdotool("key", "--clearmodifiers", "--delay", str(delay), *keys)

    def type(self, text, delay):
        self.display.xdotool("type", "--delay", str(delay), text)

    def measure(self, action):
        """CPU milliseconds of the editor and of the X server for `action`, until both are idle."""
        self.idle()
        e0, x0 = cpu_ns(self.proc.pid), cpu_ns(self.display.proc.pid)
        action()
        self.idle()
        return (cpu_ns(self.proc.pid) - e0) / 1e6, (cpu_ns(self.display.proc.pid) - x0) / 1e6

    def close(self):
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()


def run_rows(ed, rows, delay):
    results = {}
    ed.size(640, 380)
    ed.keys("ctrl+End", delay=delay)
    ed.idle()
    if "type-end" in rows:
        results["type-end"] = ed.measure(lambda: ed.type(TYPED, delay))
    else:
        ed.type(TYPED, delay)
    if "ctrl-left" in rows:
        results["ctrl-left"] = ed.measure(lambda: ed.keys(*["ctrl+Left"] * 20, delay=delay))
    if "page-down" in rows:
        ed.keys("ctrl+Home", delay=delay)
        results["page-down"] = ed.measure(lambda: ed.keys(*["Next"] * 100, delay=delay))
    if "type-full" in rows:
        ed.size(1920, 1080)
        ed.keys("ctrl+End", delay=delay)
        results["type-full"] = ed.measure(lambda: ed.type(TYPED, delay))
    return results


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--delay", type=int, default=30, help="milliseconds between keys")
    ap.add_argument("--mekalon", default=os.path.join(here, "..", "build", "app", "mekalon"))
    ap.add_argument("--before", help="another build of Mekalon to measure beside the first (as 'before')")
    ap.add_argument("--rows", default="type-end,ctrl-left,page-down,type-full")
    ap.add_argument("--editors", default="mekalon,kwrite,featherpad")
    args = ap.parse_args()
    rows = args.rows.split(",")
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is not installed (apt-get install xvfb xdotool)")

    work = tempfile.mkdtemp(prefix="peers-")
    text = os.path.join(work, "large.txt")
    with open(text, "wb") as f:
        f.write(large_text_utf8())
    commands = {"mekalon": [os.path.abspath(args.mekalon)], "kwrite": ["kwrite"], "featherpad": ["featherpad"]}
    editors = [e for e in args.editors.split(",") if e == "mekalon" or shutil.which(commands[e][0])]
    if args.before:
        commands["before"] = [os.path.abspath(args.before)]
        editors.insert(1, "before")
    print(f"text: {os.path.getsize(text) / 1e6:.1f} MB UTF-8; editors: {', '.join(editors)}; "
          f"{args.runs} runs, keys {args.delay} ms apart", flush=True)

    samples = {(e, r): [] for e in editors for r in rows}
    display = Display()
    try:
        for run in range(args.runs):
            order = editors[run % len(editors):] + editors[:run % len(editors)]
            for name in order:
                home = os.path.join(work, f"home-{name}-{run}")
                ed = Editor(name, commands[name] + [text], display, home)
                try:
                    res = run_rows(ed, rows, args.delay)
                finally:
                    ed.close()
                for r, (cpu, x) in res.items():
                    samples[(name, r)].append((cpu, x))
                print(f"run {run + 1} {name}: " +
                      ", ".join(f"{r} {c:.0f}+{x:.0f} ms" for r, (c, x) in res.items()), flush=True)
    finally:
        display.close()
        shutil.rmtree(work, ignore_errors=True)

    print("\nmedian CPU ms: editor + X server = total; Mekalon against the best peer: total (editor alone)")
    for r in rows:
        line = []
        totals, own = {}, {}
        for e in editors:
            s = samples[(e, r)]
            if not s:
                continue
            own[e] = statistics.median(c for c, _ in s)
            x = statistics.median(x for _, x in s)
            totals[e] = statistics.median(c + x for c, x in s)
            line.append(f"{e} {own[e]:.0f} + {x:.0f} = {totals[e]:.0f}")
        peers = [e for e in totals if e not in ("mekalon", "before")]
        ratio = ""
        if peers and "mekalon" in totals:
            ratio = (f"  ratio {totals['mekalon'] / min(totals[e] for e in peers):.2f}"
                     f" ({own['mekalon'] / min(own[e] for e in peers):.2f})")
        print(f"{r:10} " + ";  ".join(line) + ratio)

if __name__ == "__main__":
    main()
