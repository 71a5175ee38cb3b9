#!/usr/bin/env bash
# The ways a start ends before the window, in the real program with private folders:
# --version and --help answer before anything else (no display, no demo folders, no lock), a
# wrong command line ends with 2 and says why, Qt's own options pass, a demo run whose private
# folder cannot be made ends with 1, and a later start hands over to the running program and ends
# with 0 without beginning a session in the journal; a later start given a start list makes the
# running program open it.
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
mkdir "$work/run/Ordner"
lock="$XDG_RUNTIME_DIR/Vandoret.lock"
journal_lines() { cat "$XDG_DATA_HOME"/Kronvale/Vandoret-*.txt 2>/dev/null | grep -c "$1" || true; }

# Name | exit status | stdout | stderr | environment and arguments. None of them may leave a file.
nl=$'\n'
try="Try 'Vandoret --help' for more information."
while IFS='|' read -r name status out err args; do
  [ -n "$name" ] || continue
  err="${err//\$\{nl\}/$nl}"
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
version, short|0|Vandoret $version||"$program" -v
version among demo options|0|Vandoret $version||"$program" --screenshot-demo "$work/shots" --version
version after Qt's options|0|Vandoret $version||"$program" -platform offscreen -style=fusion -reverse -display :99 -geometry 800x600 --version
version with a start list|0|Vandoret $version||"$program" Starterliste.txt --version
unknown option|2||Vandoret: Unknown option 'bogus'.\${nl}$try|"$program" --bogus
unknown single-dash word|2||Vandoret: Unknown option 'platfrom'.\${nl}$try|"$program" -platfrom xcb
demo option without its value|2||Vandoret: Missing value after '--screenshot-demo'.\${nl}$try|"$program" --screenshot-demo
two start lists|2||Vandoret: one start list at a time, not 2\${nl}$try|"$program" Starterliste.txt Starterliste.txt
a start list that is not there|2||Vandoret: no such start list: Fehlt.txt\${nl}$try|"$program" Fehlt.txt
a folder for a start list|2||Vandoret: no such start list: Ordner\${nl}$try|"$program" Ordner
demo without a private folder|1||Vandoret: no private folder for the demo run|VANDORET_DEMO_FOLDER="$work/not-a-folder/demo" "$program" --screenshot-demo "$work/shots"
TABLE

# --help: the usage, each of the program's options, nothing of Qt's own; before a display.
code=0
(cd "$work/run" && exec timeout 20 "$program" --help >"$work/out" 2>"$work/err") || code=$?
[ "$code" -eq 0 ] || fail "--help ended with $code"
[ "$(head -n1 "$work/out")" = "Usage: Vandoret [options] [start-list]" ] || fail "--help begins '$(head -n1 "$work/out")'"
for option in --help --version "--screenshot-demo <folder>" "--live-demo <port>" start-list; do
  grep -qF -- "$option" "$work/out" || fail "--help does not name $option"
done
! grep -qE -- "-platform|-reverse|help-all" "$work/out" || fail "--help lists Qt's own options"
[ ! -s "$work/err" ] || fail "--help wrote to stderr: $(cat "$work/err")"
echo "help: 0"

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

# A later start given a start list (relative to its own folder): the running program opens it
# under its full name, as Ctrl+O would; the later start still ends with 0 and begins nothing.
mkdir "$work/other"
cp "$source/resources/sample/Starterliste.txt" "$work/other/Zweite Liste.txt"
code=0
(cd "$work/other" && exec timeout 20 "$program" "Zweite Liste.txt" >"$work/third.log" 2>&1) || code=$?
[ "$code" -eq 0 ] || fail "the later start with a start list ended with $code: $(cat "$work/third.log")"
for _ in $(seq 100); do
  [ "$(journal_lines "Protokoll geöffnet.*$work/other/Zweite Liste.txt")" -eq 1 ] && break
  sleep 0.1
done
[ "$(journal_lines "Protokoll geöffnet.*$work/other/Zweite Liste.txt")" -eq 1 ] || fail "the running program did not open the list handed over"
[ "$(journal_lines Sitzungsbeginn)" -eq 1 ] || fail "the later start with a start list began a session"
echo "later start with a start list: opened by the running program, 0"
kill -TERM "$first"
wait "$first" || fail "the first start ended with $? on SIGTERM"
