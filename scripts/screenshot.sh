#!/usr/bin/env bash
# Takes docs/screenshot.png: a Japanese `dir` listing piped into launcher.exe
# under Wine on a virtual X display, the editor double showing it in its
# window titled 無題 - Quillex.
#
# usage: scripts/screenshot.sh [output.png]   (default docs/screenshot.png)
# Needs build/win32/launcher.exe and build/win64-tools/quillex_double.exe;
# installs the Debian packages it lacks (Xvfb, ImageMagick, x11-utils,
# fonts-ipafont-gothic, fonts-wine). Uses its own Wine prefix,
# build/wine-shot, with the X11 graphics driver (the test prefixes use the
# null driver and show nothing).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$repo/docs/screenshot.png}")
source "$repo/scripts/wine_env.sh"
for f in "$repo/build/win32/launcher.exe" "$repo/build/win64-tools/quillex_double.exe"; do
  [ -f "$f" ] || { echo "missing $f (run scripts/build.sh)" >&2; exit 1; }
done
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
# Debian packages for: the display, the shot, window geometry, the Japanese
# font, and Wine's own fonts (Marlett draws the caption buttons).
need=()
command -v Xvfb > /dev/null || need+=(xvfb)
command -v import > /dev/null || need+=(imagemagick)
command -v xwininfo > /dev/null || need+=(x11-utils)
[ -f "$font" ] || need+=(fonts-ipafont-gothic)
[ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing ${need[*]}"
  apt-get install -y --no-install-recommends "${need[@]}" > /dev/null ||
    { apt-get update > /dev/null && apt-get install -y --no-install-recommends "${need[@]}" > /dev/null; }
fi

tmp=$(mktemp -d /tmp/qx-shot.XXXXXX)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# -displayfd picks a free display number; -br: a plain black root, which
# -trim below cuts away.
exec 3> "$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x700x24 -br -nolisten tcp > "$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$tmp/display")
echo "Xvfb on $DISPLAY"

SHOT_OUT=$out SHOT_TMP=$tmp SHOT_FONT=$font python3 - "$repo" <<'PY'
import os, re, shutil, subprocess, sys, threading, time
from pathlib import Path

repo = Path(sys.argv[1])
sys.path.insert(0, str(repo / "tests" / "e2e"))
import winerig  # noqa: E402

DISPLAY = os.environ["DISPLAY"]
OUT, TMP, FONT = os.environ["SHOT_OUT"], Path(os.environ["SHOT_TMP"]), os.environ["SHOT_FONT"]
# Wine finds IPAGothic through fontconfig; these names are the ones Windows
# programs and Wine's own controls ask for.
JAPANESE_FACES = ["MS UI Gothic", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "MS Sans Serif",
                  "System", "MS Gothic", "MS PGothic", "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "Fixedsys"]


class ShotSession(winerig.WineSession):
    """The rig's session with the X11 driver and Japanese fonts."""

    def env(self, extra=None, codepage=932):
        e = super().env(extra, codepage)
        e["DISPLAY"] = DISPLAY   # the rig strips it; the X11 driver needs it
        return e

    def _boot(self):
        shutil.rmtree(self.prefix, ignore_errors=True)
        t0 = time.monotonic()
        self._call([winerig.WINE32, "wineboot", "-i"], timeout=900, env=self.env())
        self._call([winerig.WINESERVER, "-w"], timeout=300)
        reg = [
            # Wine draws the caption itself: Xvfb has no window manager.
            (r"HKCU\Software\Wine\X11 Driver", "Managed", "N"),
        ]
        for face in JAPANESE_FACES:
            reg.append((r"HKCU\Software\Wine\Fonts\Replacements", face, "IPAGothic"))
            reg.append((r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes", face, "IPAGothic"))
        for key, name, data in reg:
            rc = self._call([winerig.WINE64, "reg", "add", key, "/v", name, "/d", data, "/f"],
                            timeout=300, env=self.env())
            if rc != 0:
                raise SystemExit("reg add %s %s failed (%d); see %s" % (key, name, rc, self.log_path))
        self._call([winerig.WINESERVER, "-w"], timeout=300)
        (self.prefix / winerig.READY_MARKER).write_text("booted in %.1f s\n" % (time.monotonic() - t0))

    def start(self):
        super().start()
        # Wine here misses Marlett (the caption buttons) unless it sits in the
        # prefix's Fonts folder; the Japanese font goes there as well.
        fonts = self.prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for src in (FONT, "/usr/share/wine/fonts/marlett.ttf"):
            if not (fonts / Path(src).name).exists():
                shutil.copyfile(src, fonts / Path(src).name)


def quillex_window():
    """(id, x, y, w, h) of the largest visible window titled 無題 - Quillex, or None.
    (The editor's hidden owner window carries the same title.)"""
    xenv = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, check=True, env=xenv).stdout
    best = None
    for line in tree.decode("utf-8", "replace").splitlines():
        if '"無題 - Quillex"' not in line:
            continue
        wid = line.split()[0]
        info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, check=True, env=xenv).stdout.decode()
        if "IsViewable" not in info:
            continue
        geo = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
        cand = (wid, geo["Absolute upper-left X"], geo["Absolute upper-left Y"], geo["Width"], geo["Height"])
        if best is None or cand[3] * cand[4] > best[3] * best[4]:
            best = cand
    return best


listing = (
    " ドライブ C のボリューム ラベルがありません。\r\n"
    " ボリューム シリアル番号は 1A2B-3C4D です\r\n"
    "\r\n"
    " C:\\Users\\sato\\Documents のディレクトリ\r\n"
    "\r\n"
    "2026/12/11  10:00    <DIR>          .\r\n"
    "2026/12/11  10:00    <DIR>          ..\r\n"
    "2026/12/10  18:42             2,048 見積書.txt\r\n"
    "2026/12/11  09:15               512 会議メモ.txt\r\n"
    "2026/12/11  09:30    <DIR>          表計算\r\n"
    "               2 個のファイル               2,560 バイト\r\n"
    "               3 個のディレクトリ  12,345,678,912 バイトの空き領域\r\n"
).encode("cp932")

wine = ShotSession(repo / "build" / "wine-shot")
wine.start()
try:
    case = winerig.Case("shot")
    launcher = case.install_launcher()
    case.install_double()
    result = {}
    # The double lingers (QXD_LINGER_MS) so the window is still up for the shot.
    env = {"QXD_LINGER_MS": 20000, "QXD_MAX_MS": 60000}
    t = threading.Thread(target=lambda: result.update(
        run=wine.run(launcher, stdin=listing, env=env, timeout=90, watch_box=False)))
    t.start()
    deadline = time.monotonic() + 80
    win = None
    while time.monotonic() < deadline and win is None and t.is_alive():
        win = quillex_window()
        time.sleep(0.5)
    if win is None:
        t.join()
        raise SystemExit("no window titled 無題 - Quillex appeared; run: %r" % result.get("run"))
    time.sleep(2)  # let it paint
    wid, x, y, w, h = quillex_window()
    full = TMP / "root.png"
    subprocess.run(["import", "-display", DISPLAY, "-window", "root", str(full)], check=True)
    # A few pixels of margin keep the frame's edge in the picture.
    m = 4
    subprocess.run(["convert", str(full), "-crop", "%dx%d+%d+%d" % (w + 2 * m, h + 2 * m, max(x - m, 0), max(y - m, 0)),
                    "+repage", "-strip", "-define", "png:exclude-chunks=date,time", OUT], check=True)
    t.join()
    run = result["run"]
    print("launcher exit code %s, editors %d, window %s at %d,%d %dx%d" % (run.exit_code, len(run.editors), wid, x, y, w, h))
    if run.exit_code != 0 or len(run.editors) != 1 or not run.editors[0]["loadtext"]:
        raise SystemExit("the run did not go as expected: %r" % run)
    print("wrote " + OUT)
finally:
    wine.stop()
PY
