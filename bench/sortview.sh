#!/usr/bin/env bash
# bench/sortview.sh [PICTURE] [PAGES]
#
# Times the sorting view over PAGES (default 500) A4 colour pages with qly-sortview: the first
# paint, a cached repaint, a scroll step of one wheel notch and a jump to rows not seen before.
# Without PICTURE the page is an A4 colour page at 300 dpi (2480 x 3508, an ImageMagick plasma
# with a fixed seed) made in a temporary folder. Runs offscreen; prints a Markdown table.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
tool=${QLY_SORTVIEW:-$(build_tool qly-sortview)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
picture=${1:-}
if [ -z "$picture" ]; then
  picture=$work/a4.png
  plasma_page 2480x3508 "$picture"
fi
QT_QPA_PLATFORM=offscreen "$tool" "$picture" "${2:-500}" 2>/dev/null
