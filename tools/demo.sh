#!/usr/bin/env bash
# The add-on's main job against the stand-in ACT! and its sample database, under Wine.
# With a reachable display: an interactive session in a Wine virtual desktop. Without one: a
# scripted tour under Xvfb whose screenshots land in artifacts/.
set -euo pipefail
self=$(readlink -f "$0")
here=$(cd "$(dirname "$self")/.." && pwd)
cd "$here"
export CCACHE_DIR=${CCACHE_DIR:-$here/build/ccache}

standin=build/win64/standin
ctl() { tools/wine-run "$standin/actctl.exe" "$@"; }
winpath() { local p; p=$(readlink -m "$1"); echo "Z:${p//\//\\}"; }
desktop=(explorer "/desktop=Tamberlist,1024x768")
bin=build/win64/bin
addon="$(winpath "$bin")\\tamber.exe"

start_act() {
  tools/wine-run "${desktop[@]}" "$standin/actstandin.exe" /journal 'C:\ACT\journal.txt' &
  ctl /timeout 60 wait
  # As the add-on's integration window does it: the command, its toolbar button and its
  # Tools-menu entry in the Contacts view. They show once the database is opened.
  ctl integrate Tamberlist "$addon"
  ctl open 'C:\ACT\Contacts.dbf'
  ctl focus 79 >/dev/null
}

finish() {
  ctl /timeout 5 quit >/dev/null 2>&1 || true
  WINEPREFIX=$TAMBER_WINEPREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true
}

# A static list file: [Items] 1..n, [Index] Count and the first-letter runs.
write_list() { # file entries...
  local file=$1 i=0 last="" c index=""
  shift
  {
    printf '[Items]\r\n'
    for e in "$@"; do
      i=$((i + 1))
      printf '%d=%s\r\n' "$i" "$e"
      c=$(printf '%s' "${e:0:1}" | tr '[:upper:]' '[:lower:]')
      if [ "$c" != "$last" ]; then index+="$c=$i"$'\r\n'; last=$c; fi
    done
    printf '[Index]\r\nCount=%d\r\n%s' "$i" "$index"
  } >"$file"
}

# The lists of the tour, in the add-on's Data folder (the settings location it is told):
#   User 1 (200)     all groups, built each time the list opens
#   User 2 (201)     members of Prospects (120), kept in a cache file: Refresh builds it
#   Department (40)  subgroups of Prospects, built each time
#   Territory (51)   a static list chosen by the record's Region (50), with a blank entry
prepare_settings() {
  local data="$bin/Data"
  mkdir -p "$data"
  printf '%s\r\n' \
    '[200]' 'Type=0' 'NoRebuild=0' \
    '[201]' 'Type=2' 'Reference=G2NPKCSHJ7A1' 'CompanyName=0' 'NoRebuild=1' \
    '[40]' 'Type=1' 'Reference=G2NPKCSHJ7A1' 'NoRebuild=0' \
    '[51]' 'Type=3' 'Reference=50' 'Blank=1' \
    '[51-Values]' 'North=3|North territories|0|0' 'South=3|South territories|0|0' \
    '_If No List Specified=3|All territories|0|0' >"$data/Contacts.ini"
  write_list "$data/North territories.lst" Highlands Inverness Lothian Moray Orkney Shetland
  write_list "$data/South territories.lst" Cornwall Devon Dorset Kent Surrey Sussex
  write_list "$data/All territories.lst" Central East North South West
  rm -f "$data/Contacts_lists.ini" "$data"/Contacts_2*.dat
  local key='HKCU\Software\VB and VBA Program Settings\Tamberlist\Settings'
  tools/wine-run reg add "$key" /v SettingsLocation /d "$(winpath "$data")" /f >/dev/null 2>&1
  tools/wine-run reg add "$key" /v Ado /d 1 /f >/dev/null 2>&1
}

shot() { sleep "${2:-1}"; import -window root "artifacts/demo-$1.png"; }

# The add-on's button pressed with the cursor in the field, as a user does it.
open_list() { # field
  ctl focus "$1" >/dev/null
  ctl press toolbar Tamberlist >/dev/null
  sleep 3
}

# The scripted tour, run by this script again inside Xvfb.
tour() {
  start_act
  sleep 2
  shot 1-record-window 0
  ctl goto 4
  # Territory depends on Region: North gives the northern territories and a blank entry.
  ctl type 50 North
  ctl type 51 ""
  open_list 51
  shot 2-territory-list-open
  xdotool key o
  shot 3-territory-typed-o
  xdotool key Return
  shot 4-territory-written
  # All groups, built as the list opens; typing jumps, Enter writes.
  open_list 200
  shot 5-all-groups-open
  xdotool key p
  shot 6-all-groups-typed-p
  xdotool key Return
  shot 7-all-groups-written
  # Members of Prospects from their cache file: none yet, so Refresh builds it (gauge shows),
  # then the list opens with 120 members.
  open_list 201
  shot 8-members-empty-cache
  xdotool key Tab Tab Return
  # The build is short: a few quick shots catch gauge.
  for k in a b c d e; do shot "9$k-members-refresh-gauge" 0.3; done
  sleep 5
  shot 10-members-refreshed 0
  xdotool key m
  shot 11-members-typed-m
  xdotool key Return
  shot 12-members-written
  finish
}
if [ "${1:-}" = --tour ]; then
  tour
  exit 0
fi

tools/setup.sh
echo "== building the Windows programs (build/win64)"
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake >/dev/null
targets=(actstandin actctl)
for t in tamber gauge; do # the add-on, once its targets exist
  if cmake --build build/win64 --target help 2>/dev/null | grep -q "^$t:"; then targets+=("$t"); fi
done
cmake --build build/win64 -j "$(nproc)" --target "${targets[@]}"

export TAMBER_WINEPREFIX=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
echo "== preparing the Wine prefix $TAMBER_WINEPREFIX"
tools/wine-prefix.sh >/dev/null
mkdir -p "$TAMBER_WINEPREFIX/drive_c/ACT"
cp src/actdb/sample/Contacts.dbf "$TAMBER_WINEPREFIX/drive_c/ACT/Contacts.dbf"

# The add-on lands in build/win64/bin with its two icon files; its settings go to the "Data"
# folder there, which a user creates once.
mkdir -p "$bin/Data"
[ -f "$bin/tamber.exe" ] || echo "note: $bin/tamber.exe is not built yet; its button is registered anyway"

tools/wine-run "$standin/actstandin.exe" /RegServer
ctl /timeout 0 quit >/dev/null 2>&1 || true
prepare_settings

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== interactive: put the cursor in a field, then press the Tamberlist toolbar button"
  echo "   or Tools > Tamberlist. Lists: User 1 (all groups), User 2 (members of Prospects:"
  echo "   press Refresh first), Department (subgroups), Territory (by Region: North, South)."
  echo "   Close the ACT! window to end."
  start_act
  while ctl /timeout 0 wait 2>/dev/null; do sleep 2; done
  finish
  exit 0
fi

echo "== no display: scripted tour under Xvfb"
mkdir -p artifacts
xvfb-run -a -s "-screen 0 1024x768x24" "$self" --tour
echo "== screenshots:"
ls -1 artifacts/demo-*.png
echo "== automation journal: $TAMBER_WINEPREFIX/drive_c/ACT/journal.txt"
