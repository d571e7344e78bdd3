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
if [ -x /usr/lib/wine/wine ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
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
echo "$WINEPREFIX"
