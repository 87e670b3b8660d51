#!/usr/bin/env bash
# bench/page_history.sh [PICTURE] [PAGES]
#
# Times the page model's commands with qly-pagehistory over PAGES (default 500) pages: selecting
# all, dragging 100 selected pages to the start, undo and redo, and the sorting view's repaint
# during a drag; then the anonymous memory before and after deleting 100 pages and undoing it.
# Without PICTURE each page is an A4 colour page at 150 dpi (1240 x 1754, an ImageMagick plasma
# with a fixed seed). Runs offscreen; prints Markdown tables.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
tool=${QLY_PAGEHISTORY:-$(build_tool qly-pagehistory)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
picture=${1:-}
if [ -z "$picture" ]; then
  picture=$work/a4.png
  plasma_page 1240x1754 "$picture"
fi
QT_QPA_PLATFORM=offscreen "$tool" "$picture" "${2:-500}" 2>/dev/null
