#!/usr/bin/env bash
# Builds launcher.exe and the release zip twice from clean, from two clones
# of HEAD at different absolute paths, and compares them byte for byte.
#
# usage: scripts/check_reproducible.sh [--overlay] [--keep]
#   --overlay  also copy the working tree's docs/, release/ and
#              cmake/package.cmake into both clones (for trying uncommitted
#              release files); adds the package include to the clones'
#              cmake/windows.cmake when HEAD lacks it. The shared tree is
#              never changed.
#   --keep     leave the two clones in place for a closer look
# Exit 0: identical. Exit 1: a difference (offsets of the first differing
# bytes are printed). Exit 2: a build failed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
overlay=0 keep=0
for a in "$@"; do
  case $a in
    --overlay) overlay=1 ;;
    --keep) keep=1 ;;
    *) sed -n '2,/^set -e/p' "$0" | sed '$d' >&2; exit 2 ;;
  esac
done

work=$(mktemp -d /tmp/qx-repro.XXXXXX)
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT
# Different lengths and depths, so a path that leaks in also moves offsets.
dirs=("$work/a/src" "$work/second-build/nested/quillex-launcher")
include_line='include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)'
head=$(git -C "$repo" rev-parse HEAD)
echo "commit $head"

build() {
  local dir=$1 log=$1.log env=("${@:2}")
  git clone -q --no-hardlinks "$repo" "$dir"
  git -C "$dir" checkout -q --detach "$head"
  if [ "$overlay" = 1 ]; then
    cp -r "$repo/docs" "$repo/release" "$dir/"
    cp "$repo/cmake/package.cmake" "$dir/cmake/"
    if ! grep -qF "$include_line" "$dir/cmake/windows.cmake"; then
      printf '\n%s\n' "$include_line" >> "$dir/cmake/windows.cmake"
      echo "  (added the package include to $dir/cmake/windows.cmake)"
    fi
  fi
  echo "building in $dir ${env[*]}"
  if ! (cd "$dir" && umask "$mask" && env "${env[@]}" cmake --preset win32 &&
        env "${env[@]}" nice cmake --build build/win32 --target package) > "$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "build failed in $dir (log: $log)" >&2
    keep=1; trap - EXIT
    exit 2
  fi
}

# The second build also runs with another umask, time zone and locale.
mask=022; build "${dirs[0]}" TZ=UTC LC_ALL=C
mask=077; build "${dirs[1]}" TZ=Asia/Tokyo LC_ALL=C.UTF-8

zip=quillex-launcher-1.0.0-win32.zip
status=0
for f in launcher.exe "$zip"; do
  a=${dirs[0]}/build/win32/$f b=${dirs[1]}/build/win32/$f
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then
    echo "$f: missing (${a} or ${b})"; status=1; continue
  fi
  ha=$(sha256sum < "$a" | cut -d' ' -f1) hb=$(sha256sum < "$b" | cut -d' ' -f1)
  echo "$f"
  echo "  $ha  clone 1 ($(stat -c %s "$a") bytes)"
  echo "  $hb  clone 2 ($(stat -c %s "$b") bytes)"
  if [ "$ha" = "$hb" ]; then
    echo "  reproducible"
  else
    status=1
    echo "  DIFFERENT: $(cmp -l "$a" "$b" | wc -l) bytes differ; first offsets (decimal, 1-based) and octal bytes:"
    cmp -l "$a" "$b" | head -n 12 | sed 's/^/    /' || true
  fi
done
[ "$keep" = 1 ] && echo "clones kept in $work"
exit $status
