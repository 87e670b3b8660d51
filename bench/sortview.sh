#!/usr/bin/env bash
# bench/sortview.sh [PICTURE] [PAGES]
#
# Times the sorting view over PAGES (default 500) A4 colour pages with qly-sortview: the first
# paint, a cached repaint, a scroll step of one wheel notch and a jump to rows not seen before.
# Without PICTURE the page is an A4 colour page at 300 dpi (2480 x 3508, an ImageMagick plasma
# with a fixed seed) made in a temporary folder. Runs offscreen; prints a Markdown table.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
tool=${QLY_SORTVIEW:-$repo/build/release/src/tools/qly-sortview}
if [ ! -x "$tool" ]; then
  cmake -S "$repo" -B "$repo/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$repo/build/release" --target qly-sortview >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
picture=${1:-}
if [ -z "$picture" ]; then
  command -v convert >/dev/null || { echo "ImageMagick's convert is missing" >&2; exit 2; }
  picture=$work/a4.png
  convert -size 2480x3508 -seed 7 plasma:fuchsia-teal "$picture"
fi
QT_QPA_PLATFORM=offscreen "$tool" "$picture" "${2:-500}" 2>/dev/null
