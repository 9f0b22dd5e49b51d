#!/usr/bin/env python3
"""Checks release/launcher.ini: its form (code page 932, CRLF, comments on
lines of their own) and, under Wine, that launcher.exe reads it as the
defaults and that each of its three keys takes effect when edited.

usage: python3 release/check_sample_ini.py   (source scripts/wine_env.sh first)
Uses its own Wine prefix, build/wine-release. Exit 1 on any failure.
"""
import glob
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
import winerig  # noqa: E402

SAMPLE = REPO / "release" / "launcher.ini"
KEYS = {b"AppExePath": b"", b"CmdLineOption": b"", b"IeSrcViewOnHtmlMode": b"1"}
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


def check_form(data):
    check(not data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")), "no byte-order mark")
    try:
        data.decode("cp932")
        check(True, "decodes as code page 932")
    except UnicodeDecodeError as e:
        check(False, "decodes as code page 932 (%s)" % e)
    check(data.endswith(b"\r\n"), "ends with CRLF")
    check(data.count(b"\n") == data.count(b"\r\n") and data.count(b"\r") == data.count(b"\r\n"),
          "every line ends with CRLF, no lone CR or LF")
    lines = data.split(b"\r\n")[:-1]
    sections = [l for l in lines if l.startswith(b"[")]
    check(sections == [b"[Option]"], "one section, [Option]: %r" % sections)
    values = {}
    for l in lines:
        if l.startswith(b";") or l.startswith(b"[") or not l.strip():
            continue
        key, sep, value = l.partition(b"=")
        check(bool(sep), "key line has '=': %r" % l)
        check(b";" not in value, "no comment after the value of %r" % key)
        check(key not in values, "%r given once" % key)
        values[key] = value
    check(values == KEYS, "keys and defaults %r" % values)
    section_at = lines.index(b"[Option]") if b"[Option]" in lines else len(lines)
    check(all(lines.index(k + b"=" + v) > section_at for k, v in KEYS.items() if k + b"=" + v in lines),
          "the keys follow [Option]")


def edited(data, key, value):
    old = key + b"=" + KEYS[key] + b"\r\n"
    assert data.count(old) == 1, old
    return data.replace(old, key + b"=" + value + b"\r\n")


def main():
    data = SAMPLE.read_bytes()
    check_form(data)

    wine = winerig.WineSession(REPO / "build" / "wine-release")
    wine.start()
    try:
        caches = [c for c in glob.glob(str(wine.prefix / "drive_c/users/*/AppData/Local/Microsoft/Windows/INetCache"))
                  if "/Public/" not in c]
        check(bool(caches), "the prefix has an Internet cache folder")
        if not caches:
            return
        cache = Path(caches[0])
        user = cache.parts[cache.parts.index("users") + 1]
        page = cache / "QXSAMPLE" / "page[1].htm"
        page.parent.mkdir(exist_ok=True)
        page.write_bytes(b"<html></html>")
        page_win = ("C:\\users\\%s\\AppData\\Local\\Microsoft\\Windows\\INetCache\\QXSAMPLE\\page[1].htm"
                    % user).encode()

        def command_lines(ini, args=b""):
            case = winerig.Case("ini")
            launcher = case.install_launcher(ini=ini)
            case.install_double()
            me = b'"' + winerig.winpath_bytes(launcher) + b'"'
            run = wine.run(launcher, cmdline=me + (b" " + args if args else b""),
                           env={"QXD_LINGER_MS": 100}, timeout=60)
            check(run.exit_code == 0 and not run.boxes and run.complete,
                  "run ends cleanly (exit %r, %d boxes)" % (run.exit_code, len(run.boxes)))
            beside = b'"' + winerig.winpath_bytes(case.path("Quillex.exe")) + b'" '
            out = []
            for ed in run.editors:
                cl = ed["cmdline"]
                check(cl.startswith(beside), "editor started from beside the launcher: %r" % cl)
                out.append(cl[len(beside):])
            return out

        try:
            for args, label in ((b"", "no arguments"), (page_win, "a file in the Internet cache")):
                without = command_lines(None, args)
                with_sample = command_lines(data, args)
                print("      %s: no ini %r, sample %r" % (label, without, with_sample))
                check(len(without) == 1, "%s, no ini: one editor" % label)
                check(with_sample == without, "%s: the sample gives the same as no settings file" % label)
            check(with_sample == [b' /html "' + page_win + b'"'], "cache file opens with /html: %r" % with_sample)

            # Each key, edited in place, takes effect: the sample's lines are read.
            got = command_lines(edited(data, b"IeSrcViewOnHtmlMode", b"0"), page_win)
            check(got == [b' "' + page_win + b'"'], "IeSrcViewOnHtmlMode=0 drops /html: %r" % got)
            got = command_lines(edited(data, b"IeSrcViewOnHtmlMode", b"false"), page_win)
            check(got == [b' /html "' + page_win + b'"'], "IeSrcViewOnHtmlMode=false keeps /html: %r" % got)
            got = command_lines(edited(data, b"IeSrcViewOnHtmlMode", b"0 ; off"), page_win)
            check(got == [b' /html "' + page_win + b'"'], "a comment after 0 keeps /html: %r" % got)
            got = command_lines(edited(data, b"CmdLineOption", b"/x"))
            check(got == [b"/x"], "CmdLineOption=/x with no arguments: %r" % got)
            got = command_lines(edited(data, b"AppExePath", b"Z:\\nowhere\\Quillex.exe"))
            check(got == [], "AppExePath to a missing file starts nothing: %r" % got)
        finally:
            page.unlink()
    finally:
        wine.stop()


if __name__ == "__main__":
    main()
    print("%d failed" % len(failures))
    sys.exit(1 if failures else 0)
