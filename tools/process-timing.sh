#!/usr/bin/env bash
# The add-on's process under Wine: open time and window-closed-to-process-end time beside a
# program that only shows one window, presses 0.3 s after a pick, and the start-up's steps.
# Run after building build/win64 (listwindow_soak_test, the programs, floor_window).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
export TAMBER_WINEPREFIX=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all
xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-run \
  build/win64/src/listwindow/e2e/listwindow_soak_test.exe \
  --gtest_also_run_disabled_tests --gtest_filter='SoakTest.DISABLED_ProcessTiming'
