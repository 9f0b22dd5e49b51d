#!/usr/bin/env python3
"""Runs launcher.exe under Wine beside the editor double (installed as
Quillex.exe) and prints what each editor received.

With arguments: one run with them (and this script's standard input when it
is a pipe or a file). Without: a short showcase of what the launcher does.
"""

import os
import stat
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
import winerig  # noqa: E402


def show(title, run):
    print("== " + title)
    print("   launcher exit code: %s%s" % (run.exit_code, " (timed out)" if run.timed_out else ""))
    for box in run.boxes:
        print("   message box: %s / %s" % (box["title"].decode("cp932", "replace"),
                                           box["text"].decode("cp932", "replace")))
    if not run.editors:
        print("   no editor was started")
    for n, ed in enumerate(run.editors, 1):
        print("   editor %d command line: %s" % (n, ed["cmdline"].decode("cp932", "replace")))
        for load in ed["loadtext"]:
            text = load.get("data", b"")[:load.get("text_len", 0)].decode("cp932", "replace")
            print("   editor %d received %d bytes through %s:" % (n, load["lparam"] - 1, load["map"]))
            for line in text.split("\r\n")[:-1][:8]:
                print("      | " + line)
        final = ed.get("final") or {}
        if ed["loadtext"]:
            print("   editor %d window title: %s, owner title: %s, modified: %s, can undo: %s" % (
                n, final.get("main_title", b"").decode("cp932", "replace"),
                final.get("owner_title", b"").decode("cp932", "replace"),
                final.get("modified"), final.get("canundo")))
    print()


def main():
    wine = winerig.WineSession(REPO / "build" / "wine-showcase")
    wine.start()
    case = winerig.Case("showcase")
    launcher = case.install_launcher()
    case.install_double()
    env = {"QXD_LINGER_MS": 500}
    try:
        if len(sys.argv) > 1:
            mode = os.fstat(0).st_mode
            stdin = None
            if stat.S_ISFIFO(mode) or stat.S_ISREG(mode):
                stdin = ("pipe", sys.stdin.buffer.read())
            show("launcher.exe " + " ".join(sys.argv[1:]),
                 wine.run(launcher, argv=sys.argv[1:], stdin=stdin, env=env))
            return
        notes = case.path("My Notes", "今日 の メモ.txt")
        notes.parent.mkdir()
        notes.write_bytes("買い物: 牛乳\r\n".encode("cp932"))
        name = winerig.winpath(notes).encode("cp932")
        me = b'"' + winerig.winpath_bytes(launcher) + b'" '
        show("a file name with spaces, passed without quotes: launcher.exe " + name.decode("cp932"),
             wine.run(launcher, cmdline=me + name, env=env))
        show("an option before the name: launcher.exe /readonly " + name.decode("cp932"),
             wine.run(launcher, cmdline=me + b"/readonly " + name, env=env))
        piped = "ドライブ C のボリューム\r\n2026/12/11  10:00    <DIR>   My Notes\r\n".encode("cp932")
        show("text piped in: dir | launcher.exe", wine.run(launcher, stdin=piped, env=env))
    finally:
        wine.stop()


if __name__ == "__main__":
    main()
