#!/usr/bin/env bash
# The real program under Xvfb and openbox, driven by xdotool, in private folders:
# 1. F8 pressed while the settings dialog is open takes a finish, and the dialog stays open.
# 2. After a restart and the recovery question, "1", "0", Enter choose no other rider; on the tab
#    "Stoppzeiten" the same keys go into "St.Nr." of the finish's row.
# Usage: operator_keys.sh <program> <source folder>; exit 77 when Xvfb, xdotool or openbox is missing.
set -euo pipefail
program="$1"
source="$2"
for tool in Xvfb xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
pids=()
cleanup() {
  # Last started first; TERM lets Xvfb take its socket and lock away.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null || true; done
  sleep 0.5
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -KILL "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/app.log" ] && tail -n 20 "$work/app.log" >&2; exit 1; }
await() { # a condition, tried for up to 10 s
  for _ in $(seq 100); do
    if eval "$1"; then return 0; fi
    sleep 0.1
  done
  return 1
}

mkdir -m 700 "$work/home" "$work/runtime" "$work/data" "$work/config" "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="qt.*=false"
unset VANDORET_DEMO_FOLDER
cp "$source/resources/sample/Starterliste.txt" "$work/run/"

display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || fail "no free display"
Xvfb "$display" -noreset -screen 0 1280x900x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
await '[ -e "/tmp/.X11-unix/X${display#:}" ]' || fail "Xvfb did not start"
kill -0 "${pids[0]}" 2>/dev/null || fail "Xvfb did not start on $display"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

journal() { cat "$XDG_DATA_HOME"/Kronvale/Vandoret-*.txt 2>/dev/null || true; }
kinds() { journal | awk -F'\t' -v k="$1" '$2 == k' | wc -l; }
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
start() {
  run="$1"
  (cd "$work/run" && exec "$program" >"$work/app.log" 2>&1) &
  pid=$!
  pids+=("$pid")
  await '[ "$(kinds Sitzungsbeginn)" -ge 1 ] && [ -n "$(window "^Vandoret .")" ]' || fail "run $run did not come up"
  main="$(window "^Vandoret .")"
}

# 1. The settings dialog open, F8: one finish, and the dialog still open.
start 1
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 0.5
xdotool key F2
await '[ -n "$(window "^Einstellungen$")" ]' || fail "F2 opened no settings dialog"
settings="$(window "^Einstellungen$")"
xdotool windowactivate --sync "$settings" >/dev/null 2>&1 || true
sleep 0.3
xdotool key F8
await '[ "$(kinds Ziel)" -eq 1 ]' || fail "F8 in the settings dialog took no finish"
[ -n "$(window "^Einstellungen$")" ] || fail "F8 closed the settings dialog"
xdotool key Escape
await '[ -z "$(window "^Einstellungen$")" ]' || fail "Esc did not close the settings dialog"
echo "F8 in the settings dialog: a finish, the dialog stayed open"
kill -TERM "$pid" # the session stays open: the next start offers it
await '! kill -0 "$pid" 2>/dev/null' || fail "run 1 did not end"

# 2. Restart: "Ja" to the recovery question, then digits on the start list and on the stop list.
start 2
await '[ -n "$(window "^Vandoret$")" ]' || fail "no recovery question"
xdotool windowactivate --sync "$(window "^Vandoret$")" >/dev/null 2>&1 || true
sleep 0.3
xdotool key Return
await '[ -z "$(window "^Vandoret$")" ]' || fail "the recovery question stayed"
sleep 1.5 # the selection after the recovery is journaled by the tick
chosen="$(kinds Auswahl)"
xdotool key 1 0 Return
sleep 1.5
[ "$(kinds Auswahl)" -eq "$chosen" ] || fail "typed digits chose another rider"
echo "1, 0, Enter after the restart: the rider unchanged"
# The tab "Stoppzeiten": the third tab, 34 + 2 * 90 pixels in, below the 162 pixels of the top panel.
# Looked up again: the window found while the recovery question was open may be gone by now.
main="$(window "^Vandoret .")"
geometry="$(xdotool getwindowgeometry --shell "$main" 2>/dev/null)" || fail "no main window after the restart"
eval "$geometry"
xdotool mousemove --sync $((X + 34 + 2 * 90)) $((Y + 172)) click 1
sleep 0.5
xdotool key 1 0 Return
await 'journal | awk -F"\t" "\$2 == \"Eingabe\" && \$3 == \"Stoppzeiten\" && \$7 == \"10\"" | grep -q .' \
  || fail "on Stoppzeiten the digits did not go into St.Nr."
echo "1, 0, Enter on Stoppzeiten: into St.Nr."
