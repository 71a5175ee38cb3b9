#!/usr/bin/env bash
# The Debian package as a user gets it: built with cpack, unpacked with dpkg -x into a scratch
# root; its files are where a Linux desktop looks for them, every library of the installed program
# resolves, and the installed program starts under Xvfb on the sample start list until its window
# shows, with private runtime, data and configuration folders (lock, journal, settings).
# Usage: package_deb.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1
source=$2
version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps file Xvfb xwininfo; do
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
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), want $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6multimedia6 libqt6gui6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

# 2. The files.
root=$work/root
dpkg -x "$deb" "$root"
app=$root/usr/bin/Vandoret
[ -x "$app" ] || fail "no usr/bin/Vandoret"
expected=(
  usr/share/vandoret/sounds/Audio-Bereit.wav usr/share/vandoret/sounds/Audio-Start.wav
  usr/share/vandoret/sounds/Audio-Ziel.wav usr/share/doc/vandoret/DSEG-LICENSE.txt
  usr/share/applications/example.kronvale.Vandoret.desktop usr/share/metainfo/example.kronvale.Vandoret.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/vandoret.svg
)
for size in 16 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/vandoret.png"); done
for f in "${expected[@]}"; do [ -s "$root/$f" ] || fail "missing $f"; done
desktop=$root/usr/share/applications/example.kronvale.Vandoret.desktop
for line in "Name=Vandoret" "Exec=Vandoret" "Icon=vandoret" "Categories=Utility;Sports;"; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Comment=.*Zielzeiten' "$desktop" || fail "desktop entry lacks the German comment"
metainfo=$root/usr/share/metainfo/example.kronvale.Vandoret.metainfo.xml
grep -qF "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate --no-hints "$desktop"; fi
if command -v appstreamcli >/dev/null; then appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo invalid"; fi

# 3. The libraries and the version.
ldd "$app" >"$work/ldd.txt"
if grep -q "not found" "$work/ldd.txt"; then cat "$work/ldd.txt"; fail "unresolved libraries"; fi
[ "$("$app" --version)" = "Vandoret $version" ] || fail "--version says: $("$app" --version)"

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
echo "package test passed"
