#!/usr/bin/env python3
"""Piped-text benchmark: time and peak memory of launcher.exe reading 64 MiB
from a pipe and handing it to the editor double, against a bare reader of
128-byte blocks on the same input in the same run.

Prints, for one long line and for millions of short lines: the launcher's
time, the bare reader's time and their ratio, and the launcher's peak
resident memory less that of a run with empty input, over the input size.
Each figure is the best of several alternating runs: under emulation a
single start varies by seconds.
Usage: tests/bench/piped_text_bench.py [MiB] [runs]   (default 64, 3)
"""

import os
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import winerig  # noqa: E402

BARE_READER = winerig.REPO / "build" / "win32" / "bare_reader.exe"


def peak_kib(pid):
    try:
        for line in open("/proc/%d/status" % pid):
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    except OSError:
        pass
    return None


def timed_run(wine, exe, data, env):
    """Runs exe with data on a pipe; returns (seconds, peak KiB, exit code)."""
    with open(wine.log_path, "ab") as log:
        t0 = time.monotonic()
        p = subprocess.Popen([winerig.WINE32, str(exe)], stdin=subprocess.PIPE, stdout=log, stderr=log,
                             env=env, start_new_session=True)
        peak = [0]

        def watch():
            while p.poll() is None:
                v = peak_kib(p.pid)
                if v:
                    peak[0] = max(peak[0], v)
                time.sleep(0.01)

        watcher = threading.Thread(target=watch)
        watcher.start()
        try:
            p.stdin.write(data)
        except BrokenPipeError:
            pass
        p.stdin.close()
        code = p.wait(timeout=1800)
        elapsed = time.monotonic() - t0
        watcher.join()
    return elapsed, peak[0], code


def main():
    mib = int(sys.argv[1]) if len(sys.argv) > 1 else 64
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    size = mib << 20
    inputs = {
        "one long line": b"x" * size,
        "short lines (8 bytes)": b"123456\r\n" * (size // 8),
    }
    wine = winerig.WineSession(winerig.REPO / "build" / "wine-bench")
    wine.start()
    case = winerig.Case("bench")
    launcher = case.install_launcher()
    case.install_double()
    record = case.path("record.txt")
    env = wine.env({"QXD_BLOCK": "hash", "QXD_LINGER_MS": 20000, "QXD_MAX_MS": 600000,
                    "QXD_RECORD": winerig.winpath(record)}, 1252)

    def best(exe, data):
        results = [timed_run(wine, exe, data, env) for _ in range(runs)]
        return min(r[0] for r in results), min(r[1] for r in results), max(r[2] for r in results)

    base_t, base_peak, _ = best(launcher, b"")
    print("empty input: %.2f s, peak %.1f MiB (best of %d)" % (base_t, base_peak / 1024, runs))
    for name, data in inputs.items():
        bare = [timed_run(wine, BARE_READER, data, env) for _ in range(runs)]
        mine = [timed_run(wine, launcher, data, env) for _ in range(runs)]
        bare_t, bare_code = min(r[0] for r in bare), max(r[2] for r in bare)
        t, peak, code = min(r[0] for r in mine), max(r[1] for r in mine), max(r[2] for r in mine)
        got = winerig.parse_records(record.read_bytes()) if record.exists() else []
        lparam = got[-1]["loadtext"][0]["lparam"] if got and got[-1]["loadtext"] else None
        over = (peak - base_peak) * 1024 / len(data)
        print("%s, %d MiB: launcher %.2f s (exit %d, block %s bytes), bare reader %.2f s (exit %d), "
              "time ratio %.2f, peak memory over empty input %.1f MiB = %.2f x input"
              % (name, mib, t, code, lparam, bare_t, bare_code, t / bare_t, (peak - base_peak) / 1024, over))
    wine.stop()


if __name__ == "__main__":
    main()
