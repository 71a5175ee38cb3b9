#!/usr/bin/env bash
# The ways a start ends before the window, in the real program with private folders:
# --version answers before anything else (no display, no demo folders, no lock), a demo run whose
# private folder cannot be made ends with 1, and a later start hands over to the running program
# and ends with 0 without beginning a session in the journal.
# Usage: startup_exits.sh <program> <source folder> <version>
set -euo pipefail
program="$1"
source="$2"
version="$3"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -m 700 "$work/home" "$work/runtime" "$work/data" "$work/config" "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_LOGGING_RULES="qt.*=false" TMPDIR="$work/tmp"
mkdir "$TMPDIR"
unset VANDORET_DEMO_FOLDER DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
cp "$source/resources/sample/Starterliste.txt" "$work/run/"
touch "$work/not-a-folder"
lock="$XDG_RUNTIME_DIR/Vandoret.lock"
journal_lines() { cat "$XDG_DATA_HOME"/Kronvale/Vandoret-*.txt 2>/dev/null | grep -c "$1" || true; }

# Name | exit status | stdout | stderr | environment and arguments. None of them may leave a file.
while IFS='|' read -r name status out err args; do
  [ -n "$name" ] || continue
  code=0
  (cd "$work/run" && eval "exec timeout 20 env $args" >"$work/out" 2>"$work/err") || code=$?
  [ "$code" -eq "$status" ] || fail "$name: ended with $code, not $status"
  [ "$(cat "$work/out")" = "$out" ] || fail "$name: stdout '$(cat "$work/out")'"
  [ "$(grep -v '^QStandardPaths' "$work/err" || true)" = "$err" ] || fail "$name: stderr '$(cat "$work/err")'"
  left="$(cd "$work" && find runtime data config tmp -mindepth 1)"
  [ -z "$left" ] || fail "$name: left $left"
  echo "$name: $code"
done <<TABLE
version|0|Vandoret $version||"$program" --version
version among demo options|0|Vandoret $version||"$program" --screenshot-demo "$work/shots" --version
demo without a private folder|1||Vandoret: no private folder for the demo run|VANDORET_DEMO_FOLDER="$work/not-a-folder/demo" "$program" --screenshot-demo "$work/shots"
TABLE

# A later start while the first one runs: handed over, ended with 0, no session of its own.
export QT_QPA_PLATFORM=offscreen
(cd "$work/run" && exec "$program" >"$work/first.log" 2>&1) &
first=$!
pids+=("$first")
for _ in $(seq 200); do
  [ "$(head -n1 "$lock" 2>/dev/null)" = "$first" ] && [ -S "$XDG_RUNTIME_DIR/Vandoret.socket" ] \
    && [ "$(journal_lines Sitzungsbeginn)" -eq 1 ] && break
  sleep 0.1
done
[ "$(head -n1 "$lock" 2>/dev/null)" = "$first" ] || fail "the first start does not own the lock"
code=0
(cd "$work/run" && exec timeout 20 "$program" >"$work/second.log" 2>&1) || code=$?
[ "$code" -eq 0 ] || fail "the later start ended with $code"
kill -0 "$first" 2>/dev/null || fail "the later start ended the first one"
[ "$(head -n1 "$lock")" = "$first" ] || fail "the later start took the lock"
# The first one goes on writing its own lines; a later start that got this far would begin a session.
[ "$(journal_lines Sitzungsbeginn)" -eq 1 ] || fail "the later start began a session in the journal"
[ "$(ls "$XDG_DATA_HOME"/Kronvale | wc -l)" -eq 1 ] || fail "the later start made a journal file"
echo "later start: handed over, 0"
kill -TERM "$first"
wait "$first" || fail "the first start ended with $? on SIGTERM"
