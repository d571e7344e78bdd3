#!/usr/bin/env bash
# Two workers of shared_folder_drill on one settings folder at the same moment, then the check
# of what they left. native: two processes. wine: each worker in a Wine prefix of its own (two
# computers: two wineservers that know nothing of each other's open files) over one folder;
# the second prefix is made once, beside the first.
#   shared_folder_test.sh native|wine <drill> <folder> [rounds]
set -uo pipefail
mode=$1 drill=$2 folder=$3 rounds=${4:-200}
here=$(cd "$(dirname "$0")/../../.." && pwd)
rm -rf "$folder" && mkdir -p "$folder" || exit 1
if [ "$mode" = wine ]; then
  first=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
  second=$first-peer
  for prefix in "$first" "$second"; do
    [ -f "$prefix/system.reg" ] || TAMBER_WINEPREFIX=$prefix "$here/tools/wine-prefix.sh" >/dev/null || exit 1
  done
  # Both prefixes see the host's files through drive Z:.
  at="Z:$(printf '%s' "$folder" | tr / '\\')"
  run() { # prefix, arguments...
    local prefix=$1; shift
    TAMBER_WINE_FRESH= TAMBER_WINEPREFIX=$prefix "$here/tools/wine-run" "$drill" "$@"
  }
  run0() { run "$first" "$@"; }
  run1() { run "$second" "$@"; }
else
  at=$folder
  run0() { "$drill" "$@"; }
  run1() { "$drill" "$@"; }
fi
started=$SECONDS
run0 work "$at" 0 "$rounds" & one=$!
run1 work "$at" 1 "$rounds" & two=$!
status=0
wait $one || status=1
wait $two || status=1
echo "both workers done in $((SECONDS - started)) s"
run0 check "$at" 2 "$rounds" || status=1
exit $status
