#!/usr/bin/env bash
# Opening lists under Wine, end to end from the stand-in's toolbar button: a cache list of 10
# against one of 32,767 entries, a 10-entry in-memory list against about 32,000 groups, and a
# 5,000-member refresh through the stand-in's automation. Prints the figures; run after
# building build/native (actdb_gen) and build/win64 (listwindow_e2e_test and the programs).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
export TAMBER_WINEPREFIX=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
db=build/listwindow-timing.dbf
build/native/src/actdb/actdb_gen --groups 32000 --subgroups 18 --contacts 5000 --members 5000 \
  --out "$db"
groups=$(( 32000 - 18 ))
# The group with the 5,000 members comes first.
group=$(awk '/^\[group\]/ {g = 1} g && /^id=/ {print substr($0, 4); exit}' "$db")
p=$(readlink -m "$db")
export TAMBER_TIMING_DB="Z:${p//\//\\}" TAMBER_TIMING_GROUPS=$groups TAMBER_TIMING_GROUP=$group
export WINEDEBUG=-all
xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-run \
  build/win64/src/listwindow/e2e/listwindow_e2e_test.exe \
  --gtest_also_run_disabled_tests --gtest_filter='ListWindowTiming.*'
