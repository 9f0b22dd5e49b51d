#!/usr/bin/env bash
# Builds the release zip build/win32/quillex-launcher-1.0.0-win32.zip and
# checks it: exactly the four files, the same bytes as the build and the
# sample, launcher.exe's PE properties and, under Wine, that the launcher
# reads the sample launcher.ini as its defaults.
#
# usage: scripts/make_release.sh [--no-wine]
set -euo pipefail
cd "$(dirname "$0")/.."
wine_check=1
case ${1:-} in
  --no-wine) wine_check=0 ;;
  "") ;;
  *) echo "usage: $0 [--no-wine]" >&2; exit 2 ;;
esac

[ -f build/win32/build.ninja ] || cmake --preset win32 > /dev/null
if ! grep -q '^build package:' build/win32/build.ninja; then
  cmake build/win32 > /dev/null   # picks up a newly added include
  grep -q '^build package:' build/win32/build.ninja || {
    echo 'no package target: cmake/windows.cmake needs include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)' >&2
    exit 1; }
fi
cmake --build build/win32 --target package

zip=build/win32/quillex-launcher-1.0.0-win32.zip
python3 - "$zip" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = [i.filename for i in z.infolist()]
want = ["launcher.exe", "launcher.ini", "readme-en.txt", "readme-ja.txt"]
bad = []
if names != want:
    bad.append("entries %r, expected %r" % (names, want))
same = {"launcher.exe": "build/win32/launcher.exe", "launcher.ini": "release/launcher.ini"}
for name, path in same.items():
    if name in names and z.read(name) != open(path, "rb").read():
        bad.append("%s differs from %s" % (name, path))
for name, enc in (("readme-ja.txt", "cp932"), ("readme-en.txt", "utf-8-sig")):
    if name in names:
        data = z.read(name)
        if data.count(b"\n") != data.count(b"\r\n") or not data.endswith(b"\r\n"):
            bad.append(name + ": not CRLF throughout")
        try:
            text = data.decode(enc)
        except UnicodeDecodeError as e:
            bad.append("%s: not %s (%s)" % (name, enc, e))
            continue
        if "launcher.exe" not in text:
            bad.append(name + ": no guide text")
if z.testzip() is not None:
    bad.append("CRC error in " + z.testzip())
for b in bad:
    print("FAIL  " + b)
if bad:
    sys.exit(1)
print("zip: %s" % ", ".join(names))
PY
python3 tests/pe_check.py build/win32/launcher.exe | tail -n 1
if [ "$wine_check" = 1 ]; then
  source scripts/wine_env.sh
  python3 release/check_sample_ini.py | tail -n 1
fi
sha256sum build/win32/launcher.exe "$zip"
