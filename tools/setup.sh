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

# A kernel without IA-32 emulation refuses the 32-bit Wine ("Exec format error"). Then the i686
# programs run under qemu's user-mode i386 emulator, registered through binfmt_misc. Bookworm's
# qemu 7.2 takes about 50 s to start each 32-bit Wine program (Wine's address-space reservation
# is slow under it); the backported qemu starts one in under a second.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -x /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
  : # no 32-bit Wine, or it runs
elif [ "$(id -u)" -ne 0 ]; then
  echo "This kernel does not run 32-bit programs, and registering qemu's i386 emulator for them" \
    "needs root: run tools/setup.sh as root once, or the i686 tests are skipped"
else
  echo "This kernel does not run 32-bit programs: setting up qemu's i386 emulator for them"
  qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
  if [[ ! $qemu_version =~ ^1:(1[0-9]|[89])\. ]]; then
    list=/etc/apt/sources.list.d/tamber-bookworm-backports.list
    [ -f "$list" ] || echo "deb http://deb.debian.org/debian bookworm-backports main" >"$list"
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      --no-install-recommends -t bookworm-backports qemu-user >/dev/null; } ||
      echo "Could not install qemu-user from bookworm-backports"
  fi
  [ -f $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt || true
  [ ! -f $binfmt/qemu-i386 ] || echo -1 >$binfmt/qemu-i386
  if [ -f $binfmt/register ]; then
    printf '%s' ":qemu-i386:M::$i386_magic:$i386_mask:/usr/bin/qemu-i386:F" >$binfmt/register || true
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 ||
    echo "The i386 emulator could not be set up: the i686 tests will be skipped"
fi
