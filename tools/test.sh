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
(cd build/win64 && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 1 --timeout 600) || status=1
/usr/lib/wine/wineserver64 -k 2>/dev/null || true


exit $status
