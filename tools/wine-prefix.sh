#!/usr/bin/env bash
# Creates the project's Wine prefix once (the first start of Wine takes a while), able to run
# both x86_64 and i686 programs when the 32-bit Wine is installed. A prefix made before that
# install has an empty syswow64 and fails every 32-bit program ("could not load kernel32.dll"):
# it is updated in place.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w || true
fi
# Only where 32-bit programs start at all: elsewhere the update cannot fill syswow64, and would
# run again at every call.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 &&
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wine-prefix: adding the 32-bit system to $WINEPREFIX" >&2
  rm -f "$WINEPREFIX/.update-timestamp"
  /usr/lib/wine/wine64 wineboot -u >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w || true
fi
# Wine's Marlett draws the caption buttons and scroll arrows, which show as letters without it;
# this Wine finds it only in the prefix's Fonts folder. Only Marlett: with Wine's Tahoma as the
# dialog font too, the list window's end-to-end suite lost its windows after a few tests.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
# The suites whose screenshots the manual and the README show run in Wine's virtual desktop, as
# the demo does: Wine draws the title bars and frames there, which Xvfb without a window manager
# never shows. Their child processes (the programs, gauge, the stand-in) inherit that desktop.
# The other suites keep the plain X11 driver.
shot_suites=(ado_wine_test config_e2e_test gauge_wine_test integrate_wine_test listwindow_e2e_test
  message_win32_test staticlists_editor_wine_test startup_e2e_test)
reg=$(mktemp --suffix=.reg)
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Tamberlist"="1024x768"\r\n'
  for suite in "${shot_suites[@]}"; do
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s.exe\\Explorer]\r\n"Desktop"="Tamberlist"\r\n' "$suite"
  done
} >"$reg"
/usr/lib/wine/wine64 regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || true
/usr/lib/wine/wineserver64 -w || true
rm -f "$reg"
echo "$WINEPREFIX"
