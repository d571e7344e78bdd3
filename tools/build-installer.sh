#!/usr/bin/env bash
# Builds the Tamberlist MSI from a Windows build's bin folder and the built manual.
#   tools/build-installer.sh --arch x64|x86 --bin build/win64/bin --manual PDF --out FILE
#                            [--version X.Y.Z]
# The version defaults to the one CMake wrote into the build tree (generated/tamber_version.h
# beside bin/), so the package always carries the version of the programs it holds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch="" bin="" manual="" out="" version=""
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --bin) bin=$2; shift 2 ;;
    --manual) manual=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    *) echo "build-installer: unknown argument $1" >&2; exit 2 ;;
  esac
done
case $arch in
  x64) win64=yes ;;
  x86) win64=no ;;
  *) echo "build-installer: --arch must be x64 or x86" >&2; exit 2 ;;
esac
[ -n "$bin" ] && [ -n "$manual" ] && [ -n "$out" ] || {
  echo "build-installer: --bin, --manual and --out are required" >&2; exit 2; }

if [ -z "$version" ]; then
  header=$bin/../generated/tamber_version.h
  version=$(sed -n 's/^#define TAMBER_VERSION "\(.*\)"$/\1/p' "$header" 2>/dev/null || true)
  [ -n "$version" ] || { echo "build-installer: no version in $header" >&2; exit 1; }
fi
for f in tamber.exe gauge.exe tamber.ico tamber32.ico; do
  [ -f "$bin/$f" ] || { echo "build-installer: missing $bin/$f" >&2; exit 1; }
done
[ -f "$manual" ] || { echo "build-installer: missing manual $manual" >&2; exit 1; }

mkdir -p "$(dirname "$out")"
out=$(readlink -f "$out")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$bin"/{tamber.exe,gauge.exe,tamber.ico,tamber32.ico} "$stage/"
cp "$manual" "$stage/tamber_user_manual.pdf"
# The uninstall entry's size: what the package puts on the disk, in KB.
size=$(du -k --apparent-size -c "$stage"/* | tail -1 | cut -f 1)
(cd "$stage" && wixl -a "$arch" -D Version="$version" -D Win64="$win64" -D Size="$size" \
  -o "$out" "$here/installer/tamber.wxs")
# wixl has no Permanent attribute: add msidbComponentAttributesPermanent (16) to the Data
# folder's component, so that neither an uninstall nor an upgrade removes the user's folder.
# MSI's SQL has no arithmetic: read the attributes, then write the sum.
attrs=$(msiinfo export "$out" Component | awk -F'\t' '$1 == "DataFolder" {print $4}')
[ -n "$attrs" ] || { echo "build-installer: no DataFolder component in $out" >&2; exit 1; }
msibuild "$out" -q "UPDATE \`Component\` SET \`Attributes\` = $(( attrs | 16 )) WHERE \`Component\` = 'DataFolder'"
# The uninstall entry as Wine writes it gets its size and loses its removing ModifyPath: the
# component that mends it installs only under Wine, and its values are written after Wine's
# RegisterProduct (6100) has written the entry (see tamber.wxs).
msibuild "$out" -q "UPDATE \`Component\` SET \`Condition\` = '%WINECONFIGDIR' WHERE \`Component\` = 'WineUninstallEntry'"
msibuild "$out" -q "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 6500 WHERE \`Action\` = 'WriteRegistryValues'"
# wixl has no user interface: a double-click installs without a word. Once installed with the
# full interface (a double-click, not msiexec /qn), the program folder opens with the programs
# and the manual, so the user sees where Tamberlist went. Type 34 + 192: a program named by its
# command line, started without waiting for it.
msibuild "$out" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('ShowProgramFolder', 226, 'INSTALLDIR', '\"[WindowsFolder]explorer.exe\" \"[INSTALLDIR]\"')"
msibuild "$out" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('ShowProgramFolder', 'UILevel >= 5 AND NOT REMOVE', 6601)"
echo "$out ($arch, version $version)"
