#!/usr/bin/env bash
# Builds every configuration once and runs every test: native (GCC), sanitizers and fuzzers
# (clang), Windows x86_64 under Wine and Xvfb, and the i686 release build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
tools/setup.sh
jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$here/build/ccache}
mkdir -p build artifacts
status=0

configure() { # dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "build/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
run_ctest() { # dir, label
  echo "== $2 tests"
  (cd "build/$1" && ctest --output-on-failure -j "$jobs" --timeout 600) || status=1
}

echo "== native build"
configure native
cmake --build build/native -j "$jobs"
run_ctest native native

echo "== sanitizer + fuzzer build"
configure sanitize -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAMBER_SANITIZE=ON -DTAMBER_FUZZ=ON
cmake --build build/sanitize -j "$jobs"
run_ctest sanitize "sanitizer and fuzzer"

# The packages carry Release programs (no debug information); the tests run RelWithDebInfo
# builds, and the i686 programs that ship.
echo "== windows i686 release build"
configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DTAMBER_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/win32 -j "$jobs"

echo "== windows x86_64 release build"
configure win64-release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DTAMBER_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/win64-release -j "$jobs" --target tamber gauge

echo "== windows x86_64 build"
configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DTAMBER_I686_BIN="$here/build/win32/bin"
cmake --build build/win64 -j "$jobs"
export TAMBER_WINEPREFIX=$here/build/wineprefix
tools/wine-prefix.sh >/dev/null
export TAMBER_ARTIFACTS=$here/artifacts
# These suites drive real windows across processes under a virtual X server; a suite that
# fails runs once more, and only a second failure fails the run. The first failure stays in
# the log above the retry.
wine_ctest() { (cd build/win64 && TAMBER_WINE_FRESH=1 xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 1 --timeout 600 "$@"); }
wine_suites() { # label, ctest selection...
  local label=$1; shift
  echo "== $label"
  if ! wine_ctest "$@"; then
    echo "== $label: running the failed suites once more"
    WINEPREFIX=$TAMBER_WINEPREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    wine_ctest "$@" --rerun-failed || return 1
  fi
}
wine_suites "windows tests" -E '^i686_' || status=1

# Why this machine cannot run the i686 programs; nothing when it can.
i686_unavailable() {
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "the 32-bit Wine (wine32:i386) is not installed"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "this kernel does not run 32-bit programs, and qemu's i386 emulator could not be registered through binfmt_misc (see setup's output above)"
  elif ! WINEPREFIX=$TAMBER_WINEPREFIX WINEDEBUG=-all /usr/lib/wine/wine64 'C:\windows\syswow64\cmd.exe' /c exit 0 >/dev/null 2>&1; then
    echo "the Wine prefix $TAMBER_WINEPREFIX cannot start 32-bit programs"
  fi
}
i686_skipped=$(i686_unavailable)
if [ -n "$i686_skipped" ]; then
  echo "== windows i686 smoke tests: SKIPPED, $i686_skipped"
else
  # A registered emulator takes the 32-bit programs even where the kernel could run them.
  how=natively
  grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && how="under qemu's i386 emulator"
  started=$SECONDS
  if wine_suites "windows i686 smoke tests" -R '^i686_'; then result=passed; else result=FAILED status=1; fi
  echo "== windows i686 smoke tests ($how): $result in $((SECONDS - started)) s"
fi
WINEPREFIX=$TAMBER_WINEPREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true

# The manual takes its screenshots from the Windows tests above; the installers take the manual.
echo "== user manual"
python3 tools/manual_messages_test.py 2>&1 | tail -1 || status=1
tools/build-manual.sh || status=1
echo "== installers"
version=$(sed -n 's/^#define TAMBER_VERSION "\(.*\)"$/\1/p' build/win32/generated/tamber_version.h)
manual=build/manual/tamber_user_manual.pdf
if [ -f "$manual" ]; then
  pkg=build/installer/Tamberlist-$version
  for arch in x86 x64; do
    case $arch in x86) bin=build/win32/bin ;; x64) bin=build/win64-release/bin ;; esac
    tools/build-installer.sh --arch $arch --bin $bin --manual "$manual" --out "$pkg-$arch.msi"
    # An older version of the same package, to upgrade from.
    tools/build-installer.sh --arch $arch --bin $bin --manual "$manual" --version 0.0.1 \
      --out build/installer/older/Tamberlist-0.0.1-$arch.msi
    echo "-- contents of $pkg-$arch.msi"
    msiinfo suminfo "$pkg-$arch.msi" | grep -E '^(Subject|Template):'
    msiinfo export "$pkg-$arch.msi" File | tail -n +4 | cut -f 3-4 | tr -d '\r' | sed 's/^/  /'
    (cd $bin && file tamber.exe gauge.exe | sed 's/^/  /')
  done
  tools/test-installer.sh "$pkg-x64.msi" build/installer/older/Tamberlist-0.0.1-x64.msi || status=1
  if [ -n "$i686_skipped" ]; then
    echo "== installer x86: SKIPPED, $i686_skipped"
  else
    tools/test-installer.sh "$pkg-x86.msi" build/installer/older/Tamberlist-0.0.1-x86.msi || status=1
  fi
else
  echo "no manual, so no installer"; status=1
fi


exit $status
