#!/usr/bin/env bash
# The Debian package as a user gets it: built with cpack, checked by lintian (no error, no
# warning), unpacked with dpkg -x into a scratch root; its files are where a Linux desktop looks
# for them, every library of the installed program resolves, its command line answers without a
# display, and the installed program starts under Xvfb on the sample start list until its window
# shows, with private runtime, data and configuration folders (lock, journal, settings); a later
# start given another start list hands it over to the running window.
# Usage: package_deb.sh BUILD_DIR SOURCE_DIR VERSION PACKAGE_VERSION
set -euo pipefail
build=$1
source=$2
version=$3
package_version=$4

for tool in cpack dpkg-deb dpkg-shlibdeps file lintian Xvfb xwininfo; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# 1. The package.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/vandoret_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one vandoret_*.deb, got: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
[ "$(dpkg-deb -f "$deb" Package)" = vandoret ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$package_version" ] || fail "package version $(dpkg-deb -f "$deb" Version), want $package_version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6multimedia6 libqt6gui6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

# Debian's own checker: no error and no warning (the info tags are shown for the reader).
lintian -I --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt"; fail "lintian"; }
grep -E '^[EWIP]:' "$work/lintian.txt" || echo "lintian: no tags"
dpkg-deb -f "$deb" Description | awk 'length > 80 { bad = 1 } END { exit bad }' || fail "a description line over 80 columns"

# 2. The files.
root=$work/root
dpkg -x "$deb" "$root"
app=$root/usr/bin/Vandoret
[ -x "$app" ] || fail "no usr/bin/Vandoret"
expected=(
  usr/share/vandoret/sounds/Audio-Bereit.wav usr/share/vandoret/sounds/Audio-Start.wav
  usr/share/vandoret/sounds/Audio-Ziel.wav usr/share/doc/vandoret/DSEG-LICENSE.txt
  usr/share/applications/example.kronvale.Vandoret.desktop usr/share/metainfo/example.kronvale.Vandoret.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/vandoret.svg usr/share/doc/vandoret/copyright
  usr/share/doc/vandoret/changelog.Debian.gz usr/share/doc/vandoret/changelog.gz usr/share/man/man1/Vandoret.1.gz
  usr/share/doc/vandoret/examples/60-vandoret-usb-latency.rules
)
for size in 16 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/vandoret.png"); done
for f in "${expected[@]}"; do [ -s "$root/$f" ] || fail "missing $f"; done
desktop=$root/usr/share/applications/example.kronvale.Vandoret.desktop
for line in "Name=Vandoret" "Exec=Vandoret %f" "Icon=vandoret" "Categories=Utility;Sports;"; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Comment=.*Zielzeiten' "$desktop" || fail "desktop entry lacks the German comment"
metainfo=$root/usr/share/metainfo/example.kronvale.Vandoret.metainfo.xml
grep -qF "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
grep -qF "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" || fail "metainfo lacks the licence"
copyright=$root/usr/share/doc/vandoret/copyright
head -n1 "$copyright" | grep -qF "copyright-format/1.0" || fail "copyright file not machine-readable"
grep -qxF "License: GPL-3+" "$copyright" && grep -qxF "License: OFL-1.1" "$copyright" || fail "copyright file lacks a licence"
zcat "$root/usr/share/doc/vandoret/changelog.Debian.gz" >"$work/changelog.Debian"
head -n1 "$work/changelog.Debian" | grep -qF "vandoret ($package_version)" || fail "changelog.Debian.gz does not begin with $package_version"
zcat "$root/usr/share/man/man1/Vandoret.1.gz" >"$work/Vandoret.1"
grep -q '^\.SH OPTIONS' "$work/Vandoret.1" || fail "manual page without options"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate --no-hints "$desktop"; fi
if command -v appstreamcli >/dev/null; then appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo invalid"; fi

# 3. The libraries and the command line, without a display.
ldd "$app" >"$work/ldd.txt"
if grep -q "not found" "$work/ldd.txt"; then cat "$work/ldd.txt"; fail "unresolved libraries"; fi
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$app" --version)" = "Vandoret $version" ] || fail "--version says: $("$app" --version)"
code=0
env -u DISPLAY -u WAYLAND_DISPLAY "$app" --help >"$work/help.txt" 2>&1 || code=$?
[ "$code" -eq 0 ] && head -n1 "$work/help.txt" | grep -qxF "Usage: Vandoret [options] [start-list]" \
  && grep -q -- "--version" "$work/help.txt" || { cat "$work/help.txt"; fail "--help ended with $code"; }
code=0
env -u DISPLAY -u WAYLAND_DISPLAY "$app" --no-such-option >"$work/bad.txt" 2>&1 || code=$?
[ "$code" -eq 2 ] && grep -qF "Unknown option 'no-such-option'" "$work/bad.txt" || { cat "$work/bad.txt"; fail "an unknown option ended with $code"; }

# 4. Started on the sample start list under Xvfb: the window shows with the list's name.
mkdir -m 700 "$work/runtime" "$work/data" "$work/config" "$work/home" "$work/run"
cp "$source/resources/sample/Starterliste.txt" "$work/run/"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
display=:$(head -n1 "$work/display")
(cd "$work/run" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY="$display" HOME="$work/home" \
  XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  QT_QPA_PLATFORM=xcb "$app" >"$work/app.log" 2>&1) &
app_pid=$!
pids+=("$app_pid")
caption="Vandoret Starterliste.txt"
shown=""
for _ in $(seq 300); do
  kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log"; fail "the program ended before its window showed"; }
  id=$(xwininfo -display "$display" -root -tree 2>/dev/null | awk -v c="\"$caption\"" 'index($0, c) {print $1; exit}')
  if [ -n "$id" ] && xwininfo -display "$display" -id "$id" | grep -q "Map State: IsViewable"; then
    shown=$id
    break
  fi
  sleep 0.1
done
[ -n "$shown" ] || { cat "$work/app.log"; xwininfo -display "$display" -root -tree | grep -i vandoret || true; fail "no window \"$caption\""; }
echo "window \"$caption\" shown"
journal=("$work"/data/Kronvale/Vandoret-*.txt)
[ -f "${journal[0]}" ] && grep -q Sitzungsbeginn "${journal[0]}" || fail "no journal in the private data folder"
[ -e "$work/runtime/Vandoret.lock" ] || fail "no lock in the private runtime folder"

# 5. As the menu entry does with a file (Exec=Vandoret %f): a later start hands the start list over,
# and the running window opens it under its full name.
mkdir "$work/other"
cp "$source/resources/sample/Starterliste.txt" "$work/other/Zweite Liste.txt"
code=0
(cd "$work/home" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY="$display" HOME="$work/home" \
  XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  QT_QPA_PLATFORM=xcb timeout 20 "$app" "../other/Zweite Liste.txt" >"$work/second.log" 2>&1) || code=$?
[ "$code" -eq 0 ] || { cat "$work/second.log"; fail "the later start with a start list ended with $code"; }
caption="Vandoret $work/other/Zweite Liste.txt"
for _ in $(seq 100); do
  xwininfo -display "$display" -root -tree 2>/dev/null | grep -qF "\"$caption\"" && break
  sleep 0.1
done
xwininfo -display "$display" -root -tree | grep -qF "\"$caption\"" || { cat "$work/app.log"; fail "no window \"$caption\""; }
kill -0 "$app_pid" 2>/dev/null || fail "the running program ended"
echo "start list handed over: window \"$caption\""
echo "package test passed"
