#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine; safe to run again.
set -euo pipefail
pkgs=(cmake ninja-build ccache g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
      mingw-w64 wine64 xvfb xauth imagemagick xdotool x11-utils clang-format
      wixl msitools pandoc weasyprint poppler-utils fonts-dejavu-core fonts-wine python3
      wine32:i386)
missing=()
for p in "${pkgs[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""; [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
  # The i686 programs run under the 32-bit Wine beside wine64.
  [[ " $(dpkg --print-foreign-architectures | tr '\n' ' ') " == *" i386 "* ]] ||
    $sudo_cmd dpkg --add-architecture i386
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
