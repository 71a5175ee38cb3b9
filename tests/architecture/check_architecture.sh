#!/usr/bin/env bash
# scripts/check-architecture on small source trees: a clean tree, then the same tree with one file
# added or replaced per case. Usage: check_architecture.sh <scripts/check-architecture>
set -uo pipefail
check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

clean="$work/clean/src"
mkdir -p "$clean"/{base,lists/sub,timing,settings,ui}
printf '%s\n' 'base:' 'lists: base' 'timing: base lists' 'settings: base lists timing' >"$clean/dependencies.txt"
printf '#include <string>\n' >"$clean/base/Text.h"
printf '#include "base/Text.h"\n#include "lists/sub/Row.h"\n' >"$clean/lists/List.h"
printf '#include "base/Text.h"\n' >"$clean/lists/sub/Row.h"
printf '#include "lists/List.h"\n' >"$clean/timing/Timekeeper.h"
printf '#include "timing/Timekeeper.h"\n' >"$clean/timing/Timekeeper.cpp"
printf '#include "timing/Clock.h"\n' >"$clean/settings/Settings.cpp"
printf '#include "base/Text.h"\n' >"$clean/timing/Clock.h"
printf '#include <QWidget>\n#include "timing/Timekeeper.h"\n#include "settings/Cfg.h"\n' >"$clean/ui/Window.cpp"
printf '#include <QDialog>\n#include "ui/Window.h"\n' >"$clean/settings/Cfg.h"

# name | expected exit | file put into the tree | its text | a piece of the expected output
cases=(
  'clean tree|0|||'
  'the program (ui/, settings/Cfg) may include Qt and the program|0|settings/Cfg.cpp|#include <QtWidgets>\n#include "ui/Window.h"\n|'
  'a folder the table does not allow, from a nested folder|1|lists/sub/Deep.cpp|#include <vector>\n#include "timing/Clock.h"\n|src/lists/sub/Deep.cpp:2: "timing/Clock.h": lists may not include timing'
  'Qt in the core|1|base/Bad.h|#include <QString>\n|src/base/Bad.h:1: <QString>: Qt in the core'
  'the program in the core|1|lists/Bad.cpp|#include "ui/Window.h"\n|src/lists/Bad.cpp:1: "ui/Window.h": the program (ui/) in the core'
  'the Timekeeper from an allowed core folder|1|settings/Bad.cpp|#include "timing/Timekeeper.h"\n|src/settings/Bad.cpp:1: "timing/Timekeeper.h": only the program'
  'the Timekeeper from the settings dialog|1|settings/Cfg.cpp|#include "timing/Timekeeper.h"\n|src/settings/Cfg.cpp:1: "timing/Timekeeper.h": only the program'
  'an include not named from src/|1|lists/Bad.cpp|#include "../timing/Clock.h"\n|src/lists/Bad.cpp:1: "../timing/Clock.h": not named from src/'
  'a circle in the table|1|dependencies.txt|base: settings\nlists: base\ntiming: base lists\nsettings: base lists timing\n|src/dependencies.txt:1: circle: base -> settings -> base'
  'a folder missing from the table|1|extra/Extra.h|#include "base/Text.h"\n|src/dependencies.txt: the folder extra has no line'
  'a dependency without a line|1|dependencies.txt|base:\nlists: base grid\ntiming: base lists\nsettings: base lists timing\n|lists: grid has no line'
)

failed=0
for c in "${cases[@]}"; do
  IFS='|' read -r name expected file text want <<<"$c"
  tree="$work/case/src"
  rm -rf "$work/case" && cp -r "$work/clean" "$work/case"
  if [ -n "$file" ]; then
    mkdir -p "$(dirname "$tree/$file")"
    printf "$text" >"$tree/$file"
  fi
  out="$("$check" "$tree" 2>&1)"
  status=$?
  [ "$status" -gt 1 ] && status="$status (not a breach)"
  if [ "$status" != "$expected" ] || [[ "$out" != *"$want"* ]] ||
     { [ "$expected" = 1 ] && [ "$(wc -l <<<"$out")" != 1 ]; }; then
    echo "FAIL: $name: exit $status, expected $expected; output:"
    echo "$out"
    failed=1
  else
    echo "ok: $name"
  fi
done
exit "$failed"
