#!/bin/sh
# Every text the program shows has its English translation, and the translation file is up to
# date with the sources.
#   check-translations.sh LUPDATE LRELEASE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top/translations/quillory_en.ts" "$work/en.ts"
LUPDATE=$1 "$top/scripts/update-translations.sh" "$work/en.ts"
status=0
if ! cmp -s "$top/translations/quillory_en.ts" "$work/en.ts"; then
  echo "translations/quillory_en.ts is not up to date with the sources; run make translations:"
  diff -u "$top/translations/quillory_en.ts" "$work/en.ts" | head -60
  status=1
fi
report=$("$2" "$work/en.ts" -qm "$work/en.qm")
echo "$report"
unfinished=$(echo "$report" | sed -n 's/.*(\([0-9]*\) finished and \([0-9]*\) unfinished).*/\2/p')
if [ "${unfinished:-x}" != 0 ]; then
  echo "Texts without an English translation:"
  grep -B2 'type="unfinished"' "$work/en.ts" | sed -n 's/.*<source>\(.*\)<\/source>.*/  \1/p'
  status=1
fi
# An empty translation of a non-empty text would show nothing.
if grep -q '<translation></translation>' "$work/en.ts"; then
  echo "Empty translations:"
  grep -B1 '<translation></translation>' "$work/en.ts" | sed -n 's/.*<source>\(.*\)<\/source>.*/  \1/p'
  status=1
fi
exit $status
