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
# On a busy machine a step can take many times its usual time: the tour waits up to a minute
# for a window or an answer of the stand-in unless a step says otherwise.
ctl() {
  [ "$1" = /timeout ] || set -- /timeout 30 "$@"
  tools/wine-run "$standin/actctl.exe" "$@"
}
winpath() { local p; p=$(readlink -m "$1"); echo "Z:${p//\//\\}"; }
desktop=(explorer "/desktop=Tamberlist,1024x768")
bin=build/win64/bin
addon="$(winpath "$bin")\\tamber.exe"

start_act() { # [integrated]
  tools/wine-run "${desktop[@]}" "$standin/actstandin.exe" /journal 'C:\ACT\journal.txt' \
    /settings 'C:\ACT\actstandin.ini' &
  ctl /timeout 60 wait
  if [ "${1:-}" = integrated ]; then
    # As the add-on's integration window does it: the command, its toolbar button and its
    # Tools-menu entry in the Contacts view. They show once the database is opened.
    ctl integrate Tamberlist "$addon"
  fi
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
# The tour starts with User 1 and User 2 only: it attaches the other two through the
# configuration window.
prepare_settings() { # [tour]
  local data="$bin/Data"
  mkdir -p "$data"
  printf '%s\r\n' \
    '[200]' 'Type=0' 'NoRebuild=0' \
    '[201]' 'Type=2' 'Reference=G2NPKCSHJ7A1' 'CompanyName=0' 'NoRebuild=1' >"$data/Contacts.ini"
  if [ "${1:-}" != tour ]; then
    printf '%s\r\n' \
      '[40]' 'Type=1' 'Reference=G2NPKCSHJ7A1' 'NoRebuild=0' \
      '[51]' 'Type=3' 'Reference=50' 'Blank=1' \
      '[51-Values]' 'North=3|North territories|0|0' 'South=3|South territories|0|0' \
      '_If No List Specified=3|All territories|0|0' >>"$data/Contacts.ini"
  fi
  write_list "$data/North territories.lst" Highlands Inverness Lothian Moray Orkney Shetland
  write_list "$data/South territories.lst" Cornwall Devon Dorset Kent Surrey Sussex
  write_list "$data/All territories.lst" Central East North South West
  rm -f "$data/Contacts_lists.ini" "$data"/Contacts_*.dat "$TAMBER_WINEPREFIX/drive_c/ACT/actstandin.ini"
  local key='HKCU\Software\VB and VBA Program Settings\Tamberlist\Settings'
  tools/wine-run reg add "$key" /v SettingsLocation /d "$(winpath "$data")" /f >/dev/null 2>&1
  tools/wine-run reg add "$key" /v Ado /d 1 /f >/dev/null 2>&1
}

# Each shot is a step of the tour: it fails the tour when the screen shows an error box. A shot
# shows the window it is about, whole with its title bar and frame as Wine's virtual desktop
# draws them, cropped to that window's rectangle (the desktop fills the X screen from 0,0).
current_part="" steps=() shots=0
part() { current_part=$1; steps+=("$1"); }
act_window='ACT! - C:\ACT\Contacts.dbf'
shot() { # name [delay] [caption of the window shown, default ACT!'s]
  sleep "${2:-1}"
  local screen=artifacts/demo-screen.png rect boxes
  import -window root "$screen"
  rect=($(tools/wine-run build/win64/tools/uictl/uictl.exe /timeout 5 rect "${3:-$act_window}" | tr -d '\r' || true))
  if [ ${#rect[@]} = 4 ]; then
    convert "$screen" -crop "${rect[2]}x${rect[3]}+${rect[0]}+${rect[1]}" +repage -strip \
      "artifacts/demo-$1.png"
  else
    echo "tour: step $1: no window '${3:-$act_window}', the whole screen kept" >&2
    convert "$screen" -strip "artifacts/demo-$1.png"
  fi
  rm -f "$screen"
  if ! boxes=$(tools/wine-run build/win64/tools/uictl/uictl.exe errors | tr -d '\r'); then
    echo "tour: step $1 ($current_part) shows an error box: $boxes" >&2
    return 1
  fi
  shots=$((shots + 1))
}

# The add-on's button pressed with the cursor in the field, as a user does it.
open_list() { # field
  ctl focus "$1" >/dev/null
  ctl press toolbar Tamberlist >/dev/null
  sleep 3
}

ui() {
  echo "ui $*" >&2
  [ "$1" = /timeout ] || set -- /timeout 60 "$@"
  tools/wine-run build/win64/tools/uictl/uictl.exe "$@"
}
settings='Tamberlist - List Settings'

# The scripted tour, run by this script again inside Xvfb. Shots are numbered in story order.
tour() {
  part "Integration with ACT! and its restart"
  # 1. Integration: ACT! knows nothing of the add-on yet. The user starts tamber.exe from its
  # folder with the cursor in Department, a field without a list: the configuration window
  # opens; Options > Integrate with ACT! ticks the Contacts toolbar box, and ACT! restarts its
  # database so that the button shows.
  start_act
  ctl goto 4
  ctl focus 40 >/dev/null
  shot 01-act-without-the-add-on 1
  tools/wine-run "${desktop[@]}" "$bin/tamber.exe" &
  ui wait "$settings"
  shot 02-configuration-window-first-start 1 "$settings"
  ui key "$settings" '{alt+o}' i
  ui wait 'Integrate with ACT!'
  shot 03-integration-window 1 'Integrate with ACT!'
  ui key 'Integrate with ACT!' '{space}'
  shot 04-integration-contacts-toolbar-ticked 1 'Integrate with ACT!'
  ui key 'Integrate with ACT!' '{enter}'
  sleep 1
  shot 05-integration-restart-question 0 Tamberlist
  ui key Tamberlist '{alt+y}'
  ui gone "$settings"
  sleep 3 # the add-on ends once ACT! has its database again
  ctl goto 4
  ctl focus 40 >/dev/null
  shot 06-act-with-the-toolbar-button

  part "Department: subgroups of Prospects"
  # 2. A list on a field without one: Department, the subgroups of Prospects.
  ctl press toolbar Tamberlist >/dev/null
  ui wait "$settings"
  ui pick "$settings" '#1' 'List of the Subgroups of one GROUP'
  ui pick "$settings" '#2' 'Prospects'
  shot 07-department-configured 1 "$settings"
  ui click "$settings" Button '&OK'
  ui gone "$settings"
  open_list 40
  shot 08-department-list-open
  xdotool key Down
  shot 09-department-list-moved
  xdotool key Return
  shot 10-department-written

  part "Territory by Region, on two records"
  # 3. A reference-dependent list: Territory follows Region, one static list per region.
  ctl focus 51 >/dev/null
  ctl press toolbar Tamberlist >/dev/null
  ui wait "$settings"
  ui pick "$settings" '#1' 'Depends on a REFERENCE FIELD value'
  ui pick "$settings" '#2' 'Region'
  sleep 1 # the taller window
  for row in 0:'All territories' 1:'North territories' 2:'South territories'; do
    ui cell "$settings" "${row%%:*}" 1
    ui pickcell "$settings" 'Static LIST'
    ui cell "$settings" "${row%%:*}" 2
    ui pickcell "$settings" "${row#*:}"
  done
  shot 11-territory-per-region-table 1 "$settings"
  ui click "$settings" Button '&OK'
  ui gone "$settings"
  # Record 4 lies in the North, record 5 in the South: each gets its region's territories.
  ctl type 50 North
  ctl type 51 ""
  open_list 51
  shot 12-territory-north-list
  xdotool key o
  shot 13-territory-north-typed-o
  xdotool key Return
  shot 14-territory-north-written
  ctl goto 5
  ctl type 50 South
  ctl type 51 ""
  open_list 51
  shot 15-territory-south-list
  xdotool key s
  xdotool key Return
  shot 16-territory-south-written

  part "A static list edited"
  # 4. A static list edited: from the list window's settings button, the configuration
  # window's "Manage your Static Lists"; Caithness joins the northern territories.
  ctl goto 4
  open_list 51
  ui press 'List settings...'
  ui wait "$settings"
  ui click "$settings" Button 'Manage your Static Lists'
  ui wait 'Static Lists'
  ui key 'Static Lists' '{home}' N
  ui click 'Static Lists' RichEdit20A '#0'
  ui key 'Static Lists' '{ctrl+end}' Caithness '{enter}'
  shot 17-static-list-edited 1 'Static Lists'
  # Closing asks whether to keep the changes: Yes saves the list.
  ui click 'Static Lists' Button '&Close'
  ui wait Tamberlist
  shot 18-static-list-save-question 0.5 Tamberlist
  ui key Tamberlist '{alt+y}'
  ui /timeout 3 gone 'Static Lists' || ui click 'Static Lists' Button '&Close'
  ui gone 'Static Lists'
  ui click "$settings" Button '&Cancel'
  ui gone "$settings"
  ctl type 51 ""
  open_list 51
  shot 19-territory-north-with-caithness
  xdotool key c Return
  shot 20-territory-caithness-written

  part "User 1: all groups"
  # 5. All groups, built as the list opens; typing jumps, Enter writes.
  open_list 200
  shot 21-all-groups-open
  xdotool key p
  shot 22-all-groups-typed-p
  xdotool key Return
  shot 23-all-groups-written

  part "User 2: members of Prospects, refreshed"
  # 6. Members of Prospects from their cache file: none yet, so Refresh builds it (gauge
  # shows), then the list opens with 120 members.
  open_list 201
  shot 24-members-empty-cache
  ui press Refresh
  # The build is short: a few quick shots catch gauge.
  for k in a b; do shot "25$k-members-refresh-gauge" 0.3; done
  sleep 5
  shot 26-members-refreshed 0
  xdotool key m
  shot 27-members-typed-m
  xdotool key Return
  shot 28-members-written
  finish
  echo "tour: ${#steps[@]} parts, $shots steps, no error box:"
  printf '  %s\n' "${steps[@]}"
}
if [ "${1:-}" = --tour ]; then
  set -E
  trap 'echo "tour: failed in \"$current_part\" at line $LINENO (from ${BASH_LINENO[*]}): $BASH_COMMAND" >&2
        import -window root artifacts/demo-failed.png; finish; exit 1' ERR
  tour
  exit 0
fi

tools/setup.sh
echo "== building the Windows programs (build/win64)"
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake >/dev/null
cmake --build build/win64 -j "$(nproc)" --target actstandin actctl uictl tamber gauge

export TAMBER_WINEPREFIX=${TAMBER_WINEPREFIX:-$here/build/wineprefix}
echo "== preparing the Wine prefix $TAMBER_WINEPREFIX"
tools/wine-prefix.sh >/dev/null
mkdir -p "$TAMBER_WINEPREFIX/drive_c/ACT"
cp src/actdb/sample/Contacts.dbf "$TAMBER_WINEPREFIX/drive_c/ACT/Contacts.dbf"

# The add-on lands in build/win64/bin with its two icon files; its settings go to the "Data"
# folder there, which a user creates once.
mkdir -p "$bin/Data"

tools/wine-run "$standin/actstandin.exe" /RegServer
ctl /timeout 0 quit >/dev/null 2>&1 || true

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== interactive: put the cursor in a field, then press the Tamberlist toolbar button"
  echo "   or Tools > Tamberlist. Lists: User 1 (all groups), User 2 (members of Prospects:"
  echo "   press Refresh first), Department (subgroups), Territory (by Region: North, South)."
  echo "   Close the ACT! window to end."
  prepare_settings
  start_act integrated
  while ctl /timeout 0 wait 2>/dev/null; do sleep 2; done
  finish
  exit 0
fi

echo "== no display: scripted tour under Xvfb"
mkdir -p artifacts
rm -f artifacts/demo-*.png
prepare_settings tour
if ! xvfb-run -a -s "-screen 0 1024x768x24" "$self" --tour; then
  echo "== the tour failed: artifacts/demo-failed.png shows the screen at that moment" >&2
  exit 1
fi
echo "== screenshots:"
ls -1 artifacts/demo-*.png
# The README shows three of the tour's steps.
cp artifacts/demo-11-territory-per-region-table.png docs/images/reference-table.png
cp artifacts/demo-13-territory-north-typed-o.png docs/images/list-open.png
cp artifacts/demo-25b-members-refresh-gauge.png docs/images/gauge.png
echo "README images: docs/images/{reference-table,list-open,gauge}.png"
# The whole tour on one page, each shot labelled with its step.
montage -label '%t' -font DejaVu-Sans -pointsize 14 -geometry '400x300>+6+6' -tile 4x \
  $(ls artifacts/demo-*.png | grep -v demo-tour) artifacts/demo-tour.png
echo "contact sheet: artifacts/demo-tour.png"
echo "== automation journal: $TAMBER_WINEPREFIX/drive_c/ACT/journal.txt"
