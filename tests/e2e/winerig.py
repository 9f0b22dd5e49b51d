"""End-to-end rig: runs the launcher under Wine beside the editor double.

Python 3 standard library only. Typical use:

    with winerig.WineSession() as wine:
        case = winerig.Case()
        case.install_launcher()
        case.install_double()
        run = wine.run(case.path("launcher.exe"), stdin=b"abc")
        run.exit_code, run.editors[0]["loadtext"][0]["data"]

All Wine output goes to <root>/wine.log, never to the caller's terminal.
"""

import atexit
import fcntl
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
TOOLS_DIR = Path(os.environ.get("LAUNCHER_TOOLS_DIR", REPO / "build" / "win64-tools"))
DOUBLE_EXE = TOOLS_DIR / "quillex_double.exe"
SPAWN_EXE = TOOLS_DIR / "spawn.exe"
LAUNCHER_EXE = Path(os.environ.get("LAUNCHER_EXE", REPO / "build" / "win32" / "launcher.exe"))

WINE32 = "/usr/lib/wine/wine"      # through qemu on this kernel: ~2.5 s per start
WINE64 = "/usr/lib/wine/wine64"    # native: ~0.1 s per start
WINESERVER = "wineserver"

# Only these wine_env.sh settings matter to us; copied so the rig works unsourced.
BASE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
    "QEMU_RESERVED_VA": "0x81000000",
}
CODEPAGE_LOCALE = {932: "ja_JP.UTF-8", 1252: "C.UTF-8"}
READY_MARKER = ".rig-ready"

# Record fields that carry bytes as hex ("-" is the empty string, "none" a NULL).
HEX_FIELDS = {"hex", "title", "exe", "cwd", "class", "text", "data", "main_title", "owner_title", "usage"}
INT_FIELDS_EXCLUDE = {"map", "reason", "window", "enum"}


def _decode(key, value):
    if key in HEX_FIELDS:
        if value == "none":
            return None
        return b"" if value == "-" else bytes.fromhex(value)
    if key in INT_FIELDS_EXCLUDE:
        return value
    try:
        return int(value)
    except ValueError:
        return value


def parse_line(line):
    """'kind a=1 b=2' -> ('kind', {'a': 1, 'b': 2}) with hex fields as bytes."""
    parts = line.split()
    if not parts:
        return None, {}
    fields = {}
    for p in parts[1:]:
        k, _, v = p.partition("=")
        fields[k] = _decode(k, v)
    return parts[0], fields


def parse_records(data):
    """Record file bytes -> list of editor dicts in start order.

    Each dict: pid, begin_us, acp, cmdline (bytes), startup (dict: flags, show,
    x, y, xsize, ysize, xcount, ycount, fill, title bytes or None), exe, cwd
    (bytes), stdin_type, windows (dict: t_us, owner, main, edit, hidden, class,
    main_owner, enum list of ints), events (every message record in order, each
    with 'kind'), getedit/loadtext/settext/editmsg (those events by kind),
    final (dict or None), ended (bool).
    """
    editors = {}
    for raw in data.decode("ascii", "replace").splitlines():
        kind, f = parse_line(raw)
        if kind is None or "pid" not in f:
            continue
        e = editors.setdefault(f["pid"], {
            "pid": f["pid"], "begin_us": None, "acp": None, "cmdline": None, "startup": None,
            "exe": None, "cwd": None, "stdin_type": None, "windows": None, "events": [],
            "getedit": [], "loadtext": [], "settext": [], "editmsg": [], "appmsg": [],
            "final": None, "ended": False})
        if kind == "begin":
            e["begin_us"], e["acp"] = f.get("t_us"), f.get("acp")
        elif kind == "cmdline":
            e["cmdline"] = f["hex"]
        elif kind == "startup":
            e["startup"] = f
        elif kind == "process":
            e["exe"], e["cwd"], e["stdin_type"] = f["exe"], f["cwd"], f["stdin_type"]
        elif kind == "windows":
            f["enum"] = [] if f["enum"] == "-" else [int(x) for x in f["enum"].split(",")]
            e["windows"] = f
        elif kind == "final":
            e["final"] = f
        elif kind == "end":
            e["ended"] = True
            e["end_us"] = f.get("t_us")
        elif kind in ("getedit", "loadtext", "settext", "editmsg", "appmsg"):
            ev = dict(f, kind=kind)
            e["events"].append(ev)
            e[kind].append(ev)
    return sorted(editors.values(), key=lambda e: (e["begin_us"] is None, e["begin_us"] or 0))


def parse_spawn_report(data):
    """Spawner report bytes -> dict: spawn, exit, feed (dicts or None), boxes (list)."""
    out = {"spawn": None, "exit": None, "feed": None, "boxes": [], "box_children": [], "error": None}
    children = []
    for raw in data.decode("ascii", "replace").splitlines():
        kind, f = parse_line(raw)
        if kind in ("spawn", "exit", "feed"):
            out[kind] = f
        elif kind == "error":
            out["error"] = f.get("usage")
        elif kind == "boxchild":
            children.append(f)
        elif kind == "box":
            f["children"] = children
            children = []
            out["boxes"].append(f)
    return out


def winpath(path):
    """POSIX path -> Windows path on Wine's Z: drive."""
    return "Z:" + str(Path(path).absolute()).replace("/", "\\")


def winpath_bytes(path, codepage=932):
    return winpath(path).encode("cp932" if codepage == 932 else "cp1252")


class RunResult:
    """What one launcher run left behind.

    exit_code: int or None (killed); timed_out: bool; elapsed: seconds of the
    launcher run; editors: parse_records() list; boxes: list of message boxes
    seen (dicts: title, text bytes, text_id, style, exstyle, pid, children);
    box: the first of them or None; spawn: parsed spawner report or None;
    record_path: the editors' record file; complete: every editor wrote 'end'.
    """

    def __init__(self, **kw):
        self.__dict__.update(kw)

    @property
    def box(self):
        return self.boxes[0] if self.boxes else None

    def __repr__(self):
        return ("RunResult(exit_code=%r, timed_out=%r, elapsed=%.2f, editors=%d, boxes=%d)"
                % (self.exit_code, self.timed_out, self.elapsed, len(self.editors), len(self.boxes)))


class Case:
    """A throwaway folder for one test case under /tmp, removed at exit
    unless LAUNCHER_KEEP_CASES=1."""

    def __init__(self, name="qx"):
        self.root = Path(tempfile.mkdtemp(prefix="qxcase-%s-" % name, dir="/tmp"))
        if os.environ.get("LAUNCHER_KEEP_CASES") != "1":
            atexit.register(shutil.rmtree, self.root, True)
        self._runs = 0

    def path(self, *parts):
        return self.root.joinpath(*parts)

    def win(self, *parts):
        return winpath(self.path(*parts))

    def install_double(self, dest="Quillex.exe"):
        """Copy the editor double to dest (relative to the case folder or absolute)."""
        target = self.path(dest)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(DOUBLE_EXE, target)
        return target

    def install_launcher(self, dest="launcher.exe", source=None, ini=None):
        """Copy the launcher; ini (bytes) goes beside it with the .ini extension."""
        target = self.path(dest)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source or LAUNCHER_EXE, target)
        if ini is not None:
            target.with_suffix(".ini").write_bytes(ini)
        return target

    def next_name(self, stem, ext):
        self._runs += 1
        return self.path("%s-%d.%s" % (stem, self._runs, ext))


class WineSession:
    """A Wine prefix with a persistent wineserver for the length of a test session.

    root: folder holding the prefix and wine.log (default $LAUNCHER_WINE_ROOT
    or build/wine). Sessions of several test processes on one root share the
    prefix; the first complete boot leaves a marker and later sessions reuse it.
    """

    def __init__(self, root=None):
        self.root = Path(root or os.environ.get("LAUNCHER_WINE_ROOT") or REPO / "build" / "wine").absolute()
        self.prefix = self.root / "prefix"
        self.log_path = self.root / "wine.log"
        self._started = False
        self._drives = []

    # -- lifecycle --
    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, extra=None, codepage=932):
        e = dict(os.environ)
        for k in list(e):
            if k.startswith(("LC_", "QXD_")) or k in ("LANG", "LANGUAGE", "DISPLAY", "WAYLAND_DISPLAY"):
                del e[k]
        e.update(BASE_ENV)
        e["WINEPREFIX"] = str(self.prefix)
        e["LANG"] = e["LC_ALL"] = CODEPAGE_LOCALE[codepage]
        if extra:
            e.update({k: str(v) for k, v in extra.items()})
        return e

    def _log(self):
        return open(self.log_path, "ab")

    def _call(self, argv, timeout, env=None):
        with self._log() as log:
            return subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                  env=env or self.env(codepage=1252), timeout=timeout).returncode

    def start(self):
        if self._started:
            return
        self.root.mkdir(parents=True, exist_ok=True)
        with open(self.root / "boot.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not (self.prefix / READY_MARKER).exists():
                self._boot()
        with self._log() as log:
            # Detached, its own session: it must not hold the runner's output open.
            subprocess.run([WINESERVER, "-p"], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                           env=self.env(), start_new_session=True, timeout=60)
        self._started = True
        atexit.register(self.stop)

    def _boot(self):
        shutil.rmtree(self.prefix, ignore_errors=True)
        t0 = time.monotonic()
        # Under emulation the first boot takes a minute or more.
        self._call([WINE32, "wineboot", "-i"], timeout=900)
        self._call([WINESERVER, "-w"], timeout=300)
        # Null display driver: windows and messages without X.
        self._call([WINE64, "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics",
                    "/d", "null", "/f"], timeout=300)
        self._call([WINESERVER, "-w"], timeout=300)
        (self.prefix / READY_MARKER).write_text("booted in %.1f s\n" % (time.monotonic() - t0))

    def stop(self):
        for link in self._drives:
            try:
                link.unlink()
            except OSError:
                pass
        self._drives = []
        if self._started:
            self._started = False
            try:
                self._call([WINESERVER, "-k"], timeout=60)
            except subprocess.TimeoutExpired:
                pass

    # -- drives and paths --
    def map_drive(self, letter, folder):
        """Make <letter>: name folder inside Wine; returns 'Q:'."""
        link = self.prefix / "dosdevices" / (letter.lower() + ":")
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(Path(folder).absolute())
        self._drives.append(link)
        return letter.upper() + ":"

    # -- running --
    def run(self, launcher, argv=None, cmdline=None, stdin=None, env=None, codepage=932,
            show=None, cwd=None, timeout=60, watch_box=True, record=None, settle=0.3):
        """Run a Windows program (the launcher) and collect what the editors saw.

        launcher: POSIX path of the exe (used for argv mode and defaults).
        argv: list of str -> started by `wine`, which quotes them into a command line.
        cmdline: bytes -> the exact raw command line, started by the spawner
            (default when argv is None: the quoted launcher path).
        stdin: None (NUL device), bytes (a pipe fed with them), ('pipe', bytes),
            ('file', bytes or path) disk file, ('wronly', path or None) file
            opened write-only, 'nohandles' (spawner only), 'inherit' (spawner only).
        env: extra environment (QXD_* for the double) seen by launcher and editors.
        codepage: 932 or 1252 (the ANSI code page inside Wine).
        show: wShowWindow with STARTF_USESHOWWINDOW (spawner only).
        cwd: POSIX folder to start in.
        timeout: seconds for the whole case; the launcher is killed after it.
        record: record file path (default: a fresh one in the launcher's folder).
        """
        if not self._started:
            self.start()
        launcher = Path(launcher).absolute()
        folder = launcher.parent
        stamp = "%d-%d" % (os.getpid(), time.monotonic_ns())
        record = Path(record) if record else folder / ("record-%s.txt" % stamp)
        extra = {"QXD_RECORD": winpath(record), "QXD_MAX_MS": str(int(min(timeout, 60) * 1000))}
        extra.update(env or {})
        e = self.env(extra, codepage)
        deadline = time.monotonic() + timeout
        t0 = time.monotonic()
        if argv is not None:
            if show is not None or stdin in ("nohandles", "inherit"):
                raise ValueError("show/nohandles/inherit need the spawner (cmdline mode)")
            code, timed_out, boxes, spawn = self._run_wine(launcher, argv, stdin, e, cwd, timeout, watch_box,
                                                           folder, stamp)
        else:
            if cmdline is None:
                cmdline = b'"' + winpath_bytes(launcher, codepage) + b'"'
            code, timed_out, boxes, spawn = self._run_spawner(cmdline, stdin, e, cwd, show, timeout, watch_box,
                                                              folder, stamp, codepage)
        elapsed = time.monotonic() - t0
        editors, complete = self._collect(record, deadline, settle)
        return RunResult(exit_code=code, timed_out=timed_out, elapsed=elapsed, editors=editors,
                         complete=complete, boxes=boxes, spawn=spawn, record_path=record)

    def _collect(self, record, deadline, settle):
        # Editors end by themselves after their linger time; wait for every
        # started one to write its end line, and a little for late starters.
        quiet_since = None
        last_count = -1
        while True:
            data = record.read_bytes() if record.exists() else b""
            editors = parse_records(data)
            done = all(ed["ended"] for ed in editors)
            now = time.monotonic()
            if len(editors) != last_count or not done:
                last_count, quiet_since = len(editors), now
            if done and now - quiet_since >= settle:
                return editors, True
            if now >= deadline:
                return editors, done
            time.sleep(0.05)

    def _stdin_file(self, folder, stamp, content):
        p = folder / ("stdin-%s.bin" % stamp)
        if isinstance(content, (bytes, bytearray)):
            p.write_bytes(content)
            return p
        return Path(content)

    def _run_spawner(self, cmdline, stdin, e, cwd, show, timeout, watch_box, folder, stamp, codepage):
        report = folder / ("spawn-%s.txt" % stamp)
        args = [WINE64, str(SPAWN_EXE), "--report", winpath(report), "--cmdline", bytes(cmdline).hex(),
                "--timeout-ms", str(int(max(timeout - 5, 1) * 1000))]
        if show is not None:
            args += ["--show", str(show)]
        if cwd is not None:
            args += ["--cwd", "hex:" + winpath_bytes(cwd, codepage).hex()]
        if not watch_box:
            args.append("--no-box")
        if stdin is None:
            mode = "nul"
        elif stdin in ("nohandles", "inherit"):
            mode = stdin
        else:
            kind, content = ("pipe", stdin) if isinstance(stdin, (bytes, bytearray)) else stdin
            if kind == "wronly":
                content = content if content is not None else folder / ("wronly-%s.bin" % stamp)
                mode = "wronly:" + winpath(content)
            else:
                mode = kind + ":" + winpath(self._stdin_file(folder, stamp, content))
        args += ["--stdin", mode]
        with self._log() as log:
            p = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log, stderr=log, env=e,
                                 start_new_session=True)
            try:
                p.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                _kill(p)
        rep = parse_spawn_report(report.read_bytes() if report.exists() else b"")
        if rep["error"] is not None:
            raise RuntimeError("spawner: %r" % rep["error"])
        ex = rep["exit"]
        if ex is None:
            return None, True, rep["boxes"], rep
        return ex["code"], bool(ex["timed_out"]), rep["boxes"], rep

    def _run_wine(self, launcher, argv, stdin, e, cwd, timeout, watch_box, folder, stamp):
        watcher = stop_file = report = None
        if watch_box:
            report = folder / ("boxwatch-%s.txt" % stamp)
            stop_file = folder / ("boxwatch-%s.stop" % stamp)
            with self._log() as log:
                watcher = subprocess.Popen(
                    [WINE64, str(SPAWN_EXE), "--report", winpath(report), "--box-stop-file", winpath(stop_file),
                     "--timeout-ms", str(int(timeout * 1000))],
                    stdin=subprocess.DEVNULL, stdout=log, stderr=log, env=e, start_new_session=True)
        feed = None
        stdin_arg = subprocess.DEVNULL
        opened = None
        if isinstance(stdin, (bytes, bytearray)):
            stdin = ("pipe", stdin)
        if stdin is not None:
            kind, content = stdin
            if kind == "pipe":
                stdin_arg, feed = subprocess.PIPE, bytes(content)
            elif kind == "file":
                opened = open(self._stdin_file(folder, stamp, content), "rb")
                stdin_arg = opened
            elif kind == "wronly":
                opened = open(content or folder / ("wronly-%s.bin" % stamp), "ab")
                stdin_arg = opened
            else:
                raise ValueError("stdin kind %r" % kind)
        timed_out = False
        with self._log() as log:
            p = subprocess.Popen([WINE32, str(launcher)] + list(argv), stdin=stdin_arg, stdout=log, stderr=log,
                                 env=e, cwd=cwd, start_new_session=True)
        if opened:
            opened.close()
        if feed is not None:
            def pump():
                try:
                    p.stdin.write(feed)
                except OSError:
                    pass
                finally:
                    try:
                        p.stdin.close()
                    except OSError:
                        pass
            threading.Thread(target=pump, daemon=True).start()
        try:
            code = p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            _kill(p)
            code, timed_out = None, True
        boxes, rep = [], None
        if watcher is not None:
            stop_file.write_bytes(b"")
            try:
                watcher.wait(timeout=10)
            except subprocess.TimeoutExpired:
                _kill(watcher)
            rep = parse_spawn_report(report.read_bytes() if report.exists() else b"")
            boxes = rep["boxes"]
        return code, timed_out, boxes, rep


def _kill(p):
    try:
        os.killpg(p.pid, signal.SIGKILL)
    except OSError:
        pass
    try:
        p.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


_shared = None


def session():
    """One WineSession per test process, started on first use, stopped at exit."""
    global _shared
    if _shared is None:
        _shared = WineSession()
        _shared.start()
    return _shared


def setup_module():
    """For a test module's setUpModule: the built programs must exist (a
    missing build is a failure, never a skip), and the session is started."""
    for tool in (LAUNCHER_EXE, DOUBLE_EXE, SPAWN_EXE):
        if not tool.exists():
            raise RuntimeError("missing %s: build first (scripts/build.sh)" % tool)
    return session()
