#!/bin/sh
# Brings the English translation file up to date with the texts in the sources: new texts are
# added without a translation (lrelease then reports them as unfinished), vanished ones removed.
#   scripts/update-translations.sh [TS-FILE]     (default: translations/quillory_en.ts)
# LUPDATE may name the lupdate program; Debian's qt6-l10n-tools puts it in /usr/lib/qt6/bin.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
ts=${1:-$top/translations/quillory_en.ts}
lupdate=${LUPDATE:-$(command -v lupdate6 || command -v /usr/lib/qt6/bin/lupdate || echo lupdate)}
# No line numbers, so that editing code does not change the file; texts in tables are marked
# with QLY_TRANSLATE_NOOP where the code does not link Qt.
exec "$lupdate" -silent -locations none -no-obsolete -target-language en \
  -tr-function-alias QT_TRANSLATE_NOOP+=QLY_TRANSLATE_NOOP "$top/src" -ts "$ts"
