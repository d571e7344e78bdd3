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

echo "== windows i686 release build"
configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DTAMBER_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/win32 -j "$jobs"

echo "== windows x86_64 build"
configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
cmake --build build/win64 -j "$jobs"
export TAMBER_WINEPREFIX=$here/build/wineprefix
tools/wine-prefix.sh >/dev/null
export TAMBER_ARTIFACTS=$here/artifacts
echo "== windows tests"
# These suites drive real windows across processes under a virtual X server; a suite that
# fails runs once more, and only a second failure fails the run. The first failure stays in
# the log above the retry.
wine_ctest() { (cd build/win64 && TAMBER_WINE_FRESH=1 xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 1 --timeout 600 "$@"); }
if ! wine_ctest; then
  echo "== windows tests: running the failed suites once more"
  WINEPREFIX=$TAMBER_WINEPREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  wine_ctest --rerun-failed || status=1
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
  tools/build-installer.sh --arch x86 --bin build/win32/bin --manual "$manual" --out "$pkg-x86.msi"
  tools/build-installer.sh --arch x64 --bin build/win64/bin --manual "$manual" --out "$pkg-x64.msi"
  # An older version of the same package, to upgrade from.
  tools/build-installer.sh --arch x64 --bin build/win64/bin --manual "$manual" --version 0.0.1 \
    --out build/installer/older/Tamberlist-0.0.1-x64.msi
  echo "-- contents of the i686 package $pkg-x86.msi"
  msiinfo suminfo "$pkg-x86.msi" | grep -E '^(Subject|Template):'
  msiinfo export "$pkg-x86.msi" File | tail -n +4 | cut -f 3-4 | tr -d '\r' | sed 's/^/  /'
  tools/test-installer.sh "$pkg-x64.msi" build/installer/older/Tamberlist-0.0.1-x64.msi || status=1
else
  echo "no manual, so no installer"; status=1
fi


exit $status
