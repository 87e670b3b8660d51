#!/usr/bin/env bash
# bench/rotate.sh [--turns N] [PICTURE...]
#
# Times the quarter turn of a page (rotateDib) against the pixel-by-pixel definition
# (rotateDibPixelwise) with qly-rotate, at 1, 4, 8, 16, 24 and 32 bits, in both directions, and
# checks that both give the same bytes. Without PICTURE the page is an A4 colour page at 300 dpi
# (2480 x 3508, an ImageMagick plasma with a fixed seed) made in a temporary folder. Prints
# qly-rotate's Markdown table: median milliseconds per turn of N turns (default 10), the ratio,
# and one turn into memory fresh from the system.
#
# qly-rotate comes from build/release (configured and built here when missing); set QLY_ROTATE
# to use another qly-rotate binary.
set -euo pipefail

usage() {
  sed -n '2p' "$0" | sed 's/^# /usage: /' >&2
  exit 2
}

turns=10
pictures=()
while [ $# -gt 0 ]; do
  case $1 in
    --turns) [ $# -ge 2 ] || usage; turns=$2; shift 2 ;;
    -*) usage ;;
    *) pictures+=("$1"); shift ;;
  esac
done

repo=$(cd "$(dirname "$0")/.." && pwd)
qly=${QLY_ROTATE:-$repo/build/release/src/tools/qly-rotate}
if [ ! -x "$qly" ]; then
  cmake -S "$repo" -B "$repo/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$repo/build/release" --target qly-rotate >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ ${#pictures[@]} -eq 0 ]; then
  command -v convert >/dev/null || { echo "ImageMagick's convert is missing" >&2; exit 2; }
  convert -size 2480x3508 -seed 7 plasma:fractal -density 300 -units PixelsPerInch \
    "PNG24:$work/a4-300dpi.png"
  pictures=("$work/a4-300dpi.png")
fi

echo "qly-rotate --turns $turns on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$qly" --turns "$turns" "${pictures[@]}"
