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

# The scripted tour, run by this script again inside Xvfb.
tour() {
  start_act
  sleep 2
  import -window root artifacts/demo-1-record-window.png
  ctl goto 4
  ctl focus 25
  sleep 1
  import -window root artifacts/demo-2-field-focused.png
  local left top right bottom
  read -r left top right bottom < <(ctl button-rect Tamberlist | tr -d '\r')
  xdotool mousemove $(( (left + right) / 2 )) $(( (top + bottom) / 2 ))
  sleep 2
  import -window root artifacts/demo-3-toolbar.png
  if [ -f "$bin/tamber.exe" ]; then
    xdotool click 1
    sleep 5
    import -window root artifacts/demo-4-addon.png
  fi
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

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== interactive: put the cursor in a field, then press the Tamberlist toolbar button"
  echo "   or Tools > Tamberlist. Close the ACT! window to end."
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
