#!/usr/bin/env bash
# Peak memory of the PDF writer for colour documents of different lengths, with the pictures
# parked in temporary files (the export's way) and, for comparison, kept in memory.
#   bench/pdf_memory.sh [BUILD_DIR] [PAGES...]
# Makes A4 colour pages at 300 dpi (2480 x 3508) with ImageMagick in a temporary folder and
# writes them with qly-pdfpages under /usr/bin/time -v.
set -euo pipefail
BUILD=${1:-build/release}
shift || true
COUNTS=("${@:-10 50}")
TOOL="$BUILD/src/tools/qly-pdfpages"
[ -x "$TOOL" ] || { echo "build qly-pdfpages first ($TOOL)"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for i in 1 2 3 4 5; do
  convert -size 2480x3508 "plasma:fractal" -seed "$i" -blur 0x2 \
    -pointsize 120 -annotate +200+400 "Page $i" "$WORK/p$i.png"
done
run() { # label, pages, options...
  local label=$1 n=$2; shift 2
  local pics=()
  for ((k = 0; k < n; k++)); do pics+=("$WORK/p$((k % 5 + 1)).png"); done
  /usr/bin/time -v "$TOOL" "$@" "$WORK/out.pdf" "${pics[@]}" >/dev/null 2>"$WORK/time.txt"
  local rss secs
  rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt")
  secs=$(awk -F': ' '/Elapsed/ {print $2}' "$WORK/time.txt")
  printf '%-8s %4d pages  peak RSS %7d KB  wall %s  %d bytes\n' "$label" "$n" "$rss" "$secs" \
    "$(stat -c %s "$WORK/out.pdf")"
}
for n in ${COUNTS[*]}; do run parked "$n"; done
run memory 10 -m
