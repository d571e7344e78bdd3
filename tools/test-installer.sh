#!/usr/bin/env bash
# Installs, upgrades and removes the Tamberlist package under Wine, in a prefix of its own,
# silently as an administrator would, and checks what lands where.
#   tools/test-installer.sh NEW.msi OLDER.msi
# OLDER.msi is the same package with a lower version number (build-installer.sh --version).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
new=$(readlink -f "$1")
old=$(readlink -f "$2")
export WINEPREFIX=${TAMBER_MSI_WINEPREFIX:-$here/build/wineprefix-msi}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine=/usr/lib/wine/wine64
failures=0
total=0
check() { # description, command...
  local what=$1; shift
  total=$((total + 1))
  if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what"; failures=$((failures + 1)); fi
}
win() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
msiexec() { "$wine" msiexec "$@" /qn; /usr/lib/wine/wineserver64 -w; }

echo "== installer under Wine (fresh prefix $WINEPREFIX)"
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1 || true
/usr/lib/wine/wineserver64 -w

local_appdata=$(win cmd /c echo %LOCALAPPDATA%)
start_menu=$(win cmd /c echo %APPDATA%)'\Microsoft\Windows\Start Menu\Programs\Tamberlist'
program=$(win winepath -u "$local_appdata\\Programs\\Tamberlist")
menu=$(win winepath -u "$start_menu")
data=$program/Data
expected=$(mktemp -d)
trap 'rm -rf "$expected"' EXIT
msiextract -C "$expected" "$new" >/dev/null
files=(tamber.exe gauge.exe tamber.ico tamber32.ico tamber_user_manual.pdf)

same_as_package() {
  for f in "${files[@]}"; do cmp -s "$expected/Programs/Tamberlist/$f" "$program/$f" || return 1; done
}
uninstall_entries() { # registry keys of installed Tamberlist products (Wine keeps them in HKLM,
  # an x86 package's in the 32-bit view)
  for key in HKLM\\Software HKLM\\Software\\Wow6432Node HKCU\\Software; do
    win reg query "$key\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s |
      awk '/^HKEY/ {key = $0} /DisplayName +REG_SZ +Tamberlist$/ {print key}'
  done
}
uninstall_entry() { uninstall_entries | head -1; }
uninstall_keys() {
  for key in HKLM\\Software HKLM\\Software\\Wow6432Node HKCU\\Software; do
    win reg query "$key\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
  done
}
entry_value() { win reg query "$(uninstall_entry)" /v "$1" | awk -v v="$1" '$1 == v {$1 = $2 = ""; sub(/^ +/, ""); print}'; }

# The installed tamber.exe, registered with the stand-in ACT! as the integration window does it,
# started from its toolbar button on a field given "all groups" in Data: the list opens with no
# entry chosen, so Down chooses the first and Enter writes it.
# Runs in a virtual desktop under Xvfb, as the demo does, so that key presses reach the list.
standin=$here/build/win64/standin
opens_a_list() {
  [ -f "$standin/actstandin.exe" ] || { echo "  (no $standin/actstandin.exe)"; return 1; }
  mkdir -p "$WINEPREFIX/drive_c/ACT"
  cp "$here/src/actdb/sample/Contacts.dbf" "$WINEPREFIX/drive_c/ACT/"
  cp "$data/Contacts.ini" "$expected/Contacts.ini.kept"
  printf '[200]\r\nType=0\r\nNoRebuild=0\r\n' >"$data/Contacts.ini"
  "$wine" "$standin/actstandin.exe" /RegServer
  local written
  written=$(xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    ctl() { "'"$wine"'" "'"$standin"'/actctl.exe" "$@" | tr -d "\r"; }
    "'"$wine"'" explorer /desktop=Tamberlist,1024x768 "'"$standin"'/actstandin.exe" \
      /settings "C:\ACT\actstandin.ini" >/dev/null 2>&1 &
    ctl /timeout 60 wait
    ctl integrate Tamberlist "'"$local_appdata"'\Programs\Tamberlist\tamber.exe" >/dev/null
    ctl open "C:\ACT\Contacts.dbf"
    ctl goto 1 && ctl type 200 "" && ctl focus 200 >/dev/null
    ctl press toolbar Tamberlist >/dev/null
    sleep 4
    xdotool key Down Return
    sleep 2
    ctl get 200
    ctl /timeout 5 quit >/dev/null 2>&1' 2>/dev/null | tail -1)
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  cp "$expected/Contacts.ini.kept" "$data/Contacts.ini"
  echo "  field written: '$written'"
  [ -n "$written" ]
}

echo "-- install $(basename "$old")"
msiexec /i "$(win winepath -w "$old")"
check "programs, icons and manual in $program" test -f "$program/tamber.exe" -a -f "$program/gauge.exe" \
  -a -f "$program/tamber.ico" -a -f "$program/tamber32.ico" -a -f "$program/tamber_user_manual.pdf"
check "Data folder created" test -d "$data"
win cmd /c "echo [12]> $local_appdata\\Programs\\Tamberlist\\Data\\Contacts.ini"
check "Data writable by the user" test -f "$data/Contacts.ini"
printf '[Items]\r\n1=Alpha\r\n' > "$data/Clients.lst"
printf '[Settings]\r\nAdo=1\r\n' >> "$data/Contacts.ini"
before=$(cat "$data/Contacts.ini" "$data/Clients.lst" | md5sum)
# Both packages hold the same build: mark the installed programs as an older build's.
printf 'older build' > "$program/tamber.exe"
printf 'older build' > "$program/gauge.exe"

echo "-- upgrade to $(basename "$new")"
msiexec /i "$(win winepath -w "$new")"
check "programs replaced by the new package's" same_as_package
check "settings file and static list kept in Data" \
  test "$(cat "$data/Contacts.ini" "$data/Clients.lst" 2>/dev/null | md5sum)" = "$before"
version=$(msiinfo export "$new" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" {print $2}')
check "one uninstall entry" test "$(uninstall_entries | wc -l)" = 1
check "uninstall entry gives version $version" test "$(entry_value DisplayVersion)" = "$version"
check "uninstall entry names the publisher" test "$(entry_value Publisher)" = Tamberlist
check "uninstall entry gives the support address" \
  test "$(entry_value Contact)" = support@tamberlist.com
check "uninstall entry gives the program folder" \
  test "$(entry_value InstallLocation)" = "$local_appdata\\Programs\\Tamberlist\\"
size=$(msiinfo export "$new" Property | tr -d '\r' | awk -F'\t' '$1 == "ARPSIZE" {print $2}')
# Wine writes the package's size as Size and EstimatedSize 0 (Windows computes it); the package
# writes EstimatedSize itself under Wine, which Programs and Features shows.
check "uninstall entry gives the size, $size KB" test "$(entry_value Size)" = "$size"
estimated=$(entry_value EstimatedSize)
check "uninstall entry's EstimatedSize is $size KB (it has $estimated)" \
  test "$((${estimated:-0}))" = "$size"
# Change is not offered, and the command behind it, if any, must not remove the program.
modify=$(entry_value ModifyPath)
check "uninstall entry offers no Change, and its ModifyPath ('$modify') does not remove" \
  test "$(entry_value NoModify)" = 0x1 -a "${modify#*/[Xx]}" = "$modify"
check "Start-menu shortcut to the manual" test -f "$menu/Tamberlist User Manual.lnk"

echo "-- the installed add-on opens a configured list from the stand-in ACT!'s toolbar"
check "installed tamber.exe opens a list and writes the chosen value" opens_a_list

echo "-- uninstall"
msiexec /x "$(win winepath -w "$new")"
gone=yes
for f in "${files[@]}"; do [ ! -e "$program/$f" ] || gone=no; done
check "programs, icons and manual removed" test $gone = yes
check "Start-menu shortcut removed" test ! -e "$menu/Tamberlist User Manual.lnk"
check "uninstall entry removed" test -z "$(uninstall_entry)"
product=$(msiinfo export "$new" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" {print $2}')
check "nothing left under the product's uninstall key" \
  test -z "$(uninstall_keys | grep -F "$product")"
check "Data and its files left in place" \
  test "$(cat "$data/Contacts.ini" "$data/Clients.lst" 2>/dev/null | md5sum)" = "$before"

/usr/lib/wine/wineserver64 -k 2>/dev/null || true
echo "installer: $((total - failures)) passed, $failures failed"
[ $failures = 0 ]
