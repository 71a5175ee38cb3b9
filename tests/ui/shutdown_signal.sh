#!/usr/bin/env bash
# The real program, offscreen, in private folders:
# 1. SIGTERM, then SIGINT on a second start: each run ends at once with its settings written, its
#    lock released (the next start owns the lock) and no session end in the journal, so the next
#    start offers the session again.
# 2. A demo run (--screenshot-demo), which answers its own questions, writes into folders of its
#    own and leaves the operator's journal, settings and runtime folder as they were.
# Usage: shutdown_signal.sh <program> <source folder>
set -euo pipefail
program="$1"
source="$2"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/app.log" ] && tail -n 20 "$work/app.log" >&2; exit 1; }

mkdir -m 700 "$work/home" "$work/runtime" "$work/data" "$work/config" "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.*=false"
unset VANDORET_DEMO_FOLDER
cp "$source/resources/sample/Starterliste.txt" "$work/run/"
settings="$XDG_CONFIG_HOME/Kronvale/Vandoret.reg"
lock="$XDG_RUNTIME_DIR/Vandoret.lock"

# Waits up to 20 s for a condition.
await() {
  for _ in $(seq 200); do
    if eval "$1"; then return 0; fi
    sleep 0.1
  done
  return 1
}

journal_lines() { cat "$XDG_DATA_HOME"/Kronvale/Vandoret-*.txt 2>/dev/null | grep -c "$1" || true; }

run=0
for signal in TERM INT; do
  run=$((run + 1))
  rm -f "$settings"
  (cd "$work/run" && exec "$program" >"$work/app.log" 2>&1) &
  pid=$!
  pids+=("$pid")
  # The owner: its own process id in the lock, its session begun in the journal, its socket served.
  await '[ "$(head -n1 "$lock" 2>/dev/null)" = "$pid" ]' || fail "run $run ($signal) does not own the lock"
  await '[ "$(journal_lines Sitzungsbeginn)" -ge "$run" ] && [ -S "$XDG_RUNTIME_DIR/Vandoret.socket" ]' \
    || fail "run $run: no session begun"
  kill -"$signal" "$pid"
  status=0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "run $run did not end on SIG$signal"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "run $run ended with $status on SIG$signal"
  [ -s "$settings" ] || fail "run $run: SIG$signal wrote no settings"
  grep -q '"BaseName"="Starterliste.txt"' "$settings" || fail "run $run: settings without the start list"
  [ ! -e "$lock" ] || fail "run $run: SIG$signal left the lock"
  [ "$(journal_lines Sitzungsende)" -eq 0 ] || fail "run $run: SIG$signal wrote a session end"
  echo "SIG$signal: settings written, lock released, session left open"
done

# The demo run, with the folders above standing for the operator's.
snapshot() { (cd "$work" && find data config runtime -type f -print0 | sort -z | xargs -0 -r md5sum); }
before="$(snapshot)"
export VANDORET_DEMO_FOLDER="$work/demo"
(cd "$work/run" && exec timeout 90 "$program" --screenshot-demo "$work/shots" >"$work/app.log" 2>&1) \
  || fail "the demo run failed"
after="$(snapshot)"
[ "$before" = "$after" ] || fail "the demo run changed the operator's folders"
demo_journal=("$work"/demo/data/Kronvale/Vandoret-*.txt)
[ -f "${demo_journal[0]}" ] && grep -q Sitzungsbeginn "${demo_journal[0]}" || fail "no journal in the demo's own folder"
[ -s "$work/demo/config/Kronvale/Vandoret.reg" ] || fail "no settings in the demo's own folder"
[ -s "$work/shots/tab1-startliste.png" ] || fail "the demo took no pictures"
echo "demo run: own folders, the operator's untouched"
