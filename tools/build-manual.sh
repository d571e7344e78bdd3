#!/usr/bin/env bash
# Builds the user manual, docs/manual/*.md, into tamber_user_manual.pdf and checks it:
# every screenshot it shows exists, and every message the programs can show is quoted in it.
#   tools/build-manual.sh [--draft] [--out DIR]     (default DIR: build/manual)
# Screenshots are referenced as shots/NAME.png and taken from artifacts/NAME.png or .bmp,
# which the Wine tests and the demo write. A missing one fails the build; --draft instead
# draws a marked placeholder and writes tamber_user_manual-DRAFT.pdf, which the installer
# never picks up. The first pages are rendered to artifacts/manual-page-N.png.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
draft=no
out=build/manual
while [ $# -gt 0 ]; do
  case $1 in
    --draft) draft=yes; shift ;;
    --out) out=$2; shift 2 ;;
    *) echo "build-manual: unknown argument $1" >&2; exit 2 ;;
  esac
done
artifacts=${TAMBER_ARTIFACTS:-$here/artifacts}
src=docs/manual
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "build-manual: no project version in CMakeLists.txt" >&2; exit 1; }
mkdir -p "$out/shots" "$artifacts"
rm -f "$out"/shots/*

# Screenshots: PNG as is, BMP (the Wine tests' format) converted.
missing=()
for name in $(grep -oh 'shots/[A-Za-z0-9_.-]*\.png' "$src"/[0-9][0-9]-*.md | sort -u | sed 's|shots/||;s|\.png$||'); do
  if [ -f "$artifacts/$name.png" ]; then
    cp "$artifacts/$name.png" "$out/shots/$name.png"
  elif [ -f "$artifacts/$name.bmp" ]; then
    convert "$artifacts/$name.bmp" "$out/shots/$name.png"
  elif [ $draft = yes ]; then
    convert -size 640x240 xc:'#fff0f0' -font DejaVu-Sans -fill '#b00000' -gravity center -pointsize 22 \
      -annotate 0 "DRAFT: screenshot $name missing" "$out/shots/$name.png"
    missing+=("$name")
  else
    missing+=("$name")
  fi
done
if [ ${#missing[@]} -gt 0 ] && [ $draft = no ]; then
  echo "build-manual: screenshots missing from $artifacts: ${missing[*]}" >&2
  echo "  (the Wine tests write them: run tools/test.sh, or use --draft for a marked draft)" >&2
  exit 1
fi

css=("--css=$here/$src/manual.css")
name=tamber_user_manual
subtitle_extra=""
if [ $draft = yes ]; then
  name=tamber_user_manual-DRAFT
  subtitle_extra=" (DRAFT)"
  printf '@page { @top-center { content: "DRAFT: placeholder screenshots"; color: #b00000; } }\n' \
    > "$out/draft.css"
  css+=("--css=$here/$out/draft.css")
fi
# No smart quotes: the messages must read in the PDF exactly as the programs write them.
pandoc -f markdown-smart -t html5 --standalone --toc --toc-depth=2 "${css[@]}" \
  -M date="Version $version$subtitle_extra" -o "$out/$name.html" "$src"/[0-9][0-9]-*.md

# Every image the manual references must exist (weasyprint would only warn).
absent=0
while read -r img; do
  [ -f "$out/$img" ] || { echo "build-manual: image $img referenced but missing" >&2; absent=1; }
done < <(grep -o '<img src="[^"]*"' "$out/$name.html" | sed 's/<img src="//;s/"$//')
[ $absent = 0 ] || exit 1

# The PDF takes its name only once every check passed: a failed build leaves no manual for
# the installer to pick up.
rm -f "$out/$name.pdf"
weasyprint -q "$out/$name.html" "$out/$name.tmp.pdf"
pdftotext -enc UTF-8 "$out/$name.tmp.pdf" "$out/$name.txt"
python3 tools/manual_messages.py check src "$out/$name.txt"
mv "$out/$name.tmp.pdf" "$out/$name.pdf"

rm -f "$artifacts"/manual-page-*.png
pdftoppm -png -r 50 -f 1 -l 4 "$out/$name.pdf" "$artifacts/manual-page"
# grep -c says "no match" with its exit status: none left to write is not a failure.
todo=$({ grep -c '^::: todo' "$src"/[0-9][0-9]-*.md || true; } | awk -F: '{s += $2} END {print s}')
echo "manual: $out/$name.pdf ($(pdfinfo "$out/$name.pdf" | awk '/^Pages:/ {print $2}') pages," \
  "version $version, $todo sections still to be written${missing:+, ${#missing[@]} placeholder screenshots})"
