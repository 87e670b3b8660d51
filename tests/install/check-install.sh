#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR and checks what a desktop reads of it: the menu
# entry, the icons, the document type (through the shared MIME database in a private
# XDG_DATA_HOME), the software-centre description and the manual page.
#   check-install.sh BUILD_DIR QLY_IMGCONV
set -euo pipefail

build=$1
imgconv=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR="$work/staged" cmake --install "$build" --prefix /usr >"$work/install.log"
usr="$work/staged/usr"
for f in bin/quillory \
    share/applications/quillory.desktop \
    share/icons/hicolor/scalable/apps/quillory.svg \
    share/icons/hicolor/scalable/mimetypes/application-x-quillory-document.svg \
    share/icons/hicolor/48x48/apps/quillory.png \
    share/icons/hicolor/128x128/apps/quillory.png \
    share/mime/packages/quillory.xml \
    share/metainfo/de.torvand.quillory.metainfo.xml \
    share/man/man1/quillory.1 \
    share/doc/quillory/LICENSE \
    share/doc/quillory/copyright; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
done
[ -x "$usr/bin/quillory" ] || fail "quillory is not executable"
# Nothing lands outside the prefix.
outside=$(cd "$work/staged" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"
# A prefix of the user's choice is honoured as well.
DESTDIR="$work/other" cmake --install "$build" --prefix /opt/quillory >/dev/null
[ -x "$work/other/opt/quillory/bin/quillory" ] || fail "--prefix /opt/quillory not honoured"
[ -f "$work/other/opt/quillory/share/applications/quillory.desktop" ] ||
    fail "--prefix /opt/quillory not honoured for the desktop entry"

# The icons: PNGs of their size, rendered from our drawing.
for size in 48 128; do
    file -b "$usr/share/icons/hicolor/${size}x${size}/apps/quillory.png" |
        grep -q "^PNG image data, $size x $size," || fail "the ${size}x${size} icon is not a PNG of that size"
done
xmllint --noout "$usr/share/icons/hicolor/scalable/apps/quillory.svg" || fail "the SVG icon is not well-formed"

# The desktop entry: valid (hints allowed), started with the files chosen, its icon installed.
desktop="$usr/share/applications/quillory.desktop"
if ! desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 ||
    grep -Eq "(error|warning):" "$work/validate.log"; then
    cat "$work/validate.log" >&2
    fail "desktop-file-validate"
fi
grep -qx 'Exec=quillory %F' "$desktop" || fail "Exec is not 'quillory %F'"
grep -qx 'Icon=quillory' "$desktop" || fail "Icon is not 'quillory'"
categories=$(sed -n 's/^Categories=//p' "$desktop")
for c in Graphics Scanning Office; do
    [[ ";$categories" == *";$c;"* ]] || fail "category $c missing"
done
mimetypes=$(sed -n 's/^MimeType=//p' "$desktop")

# The software-centre description.
appstreamcli validate --no-net "$usr/share/metainfo/de.torvand.quillory.metainfo.xml" \
    >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log" >&2
    fail "appstreamcli validate"
}
grep -q '<launchable type="desktop-id">quillory.desktop</launchable>' \
    "$usr/share/metainfo/de.torvand.quillory.metainfo.xml" || fail "metainfo does not launch quillory.desktop"

# The document type, in a MIME database of our own.
mimexml="$usr/share/mime/packages/quillory.xml"
xmllint --noout "$mimexml" || fail "xmllint on the MIME description"
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS=/usr/share XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_DATA_HOME/mime/packages" "$XDG_CONFIG_HOME"
cp "$mimexml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime"
# xdg-mime outside any desktop environment, as a file manager without MIME code of its own asks.
filetype() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION \
        -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID xdg-mime query filetype "$1"
}
# A small picture, and a document made of it by the installed program.
pic="$work/page.ppm"
{
    printf 'P6\n16 8\n255\n'
    head -c 384 /dev/zero | tr '\0' '\140'
} >"$pic"
QT_QPA_PLATFORM=offscreen "$usr/bin/quillory" "$pic" "$work/letter.qly" 2>"$work/convert.log" || {
    cat "$work/convert.log" >&2
    fail "the installed quillory did not write a document"
}
[ "$(head -c 4 "$work/letter.qly" | od -An -tx1 | tr -d ' ')" = "aecd0000" ] ||
    fail "the document does not start with AE CD 00 00"
type=$(filetype "$work/letter.qly")
[ "$type" = application/x-quillory-document ] || fail "letter.qly is $type"
# Without the name, by the magic bytes alone.
cp "$work/letter.qly" "$work/letter-copy"
type=$(filetype "$work/letter-copy")
[ "$type" = application/x-quillory-document ] || fail "a document without .qly is $type"
grep -q '<comment>Quillory Dokument</comment>' "$mimexml" || fail "comment is not 'Quillory Dokument'"

# Every picture kind we read is offered: its type, as the MIME database names a file of that kind,
# is in the entry's MimeType; and every type named there is known.
"$imgconv" 3 "$work/pics" "$pic" >/dev/null # .bmp
for format in 5 6 8 9 10 12 13 14 15 16 18; do
    "$imgconv" "$format" "$work/pics" "$pic" >/dev/null
done
cp "$work/pics/page.pnm" "$work/pics/page.pgm"
cp "$work/pics/page.pnm" "$work/pics/page.pbm"
cp "$work/pics/page.pnm" "$work/pics/page.ppm"
convert "$pic" "$work/pics/page.webp"
count=0
for f in "$work"/pics/page.*; do
    type=$(filetype "$f")
    [[ ";$mimetypes" == *";$type;"* ]] || fail "$(basename "$f") is $type, which the entry does not name"
    count=$((count + 1))
done
[ "$count" -eq 16 ] || fail "$count pictures made instead of 16"
IFS=';' read -ra listed <<<"$mimetypes"
for type in "${listed[@]}"; do
    [ -f "$XDG_DATA_HOME/mime/$type.xml" ] || [ -f "/usr/share/mime/$type.xml" ] ||
        fail "MimeType names the unknown type $type"
done

# The manual pages, English by default and German for German desktops, render without a
# warning and tell what they must.
check_manual() { # page, then the words it must contain
    local page=$1
    shift
    [ -f "$page" ] || { fail "no manual page $page"; return; }
    local warnings text
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns for $page: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
    for word in "$@"; do
        grep -qF -- "$word" <<<"$text" || fail "the manual page $page lacks $word"
    done
}
check_manual "$usr/share/man/man1/quillory.1" SYNOPSIS OPTIONS FILES "EXIT STATUS" ENVIRONMENT \
    LANGUAGE quillory.ini -- --help --version --ocr
check_manual "$usr/share/man/de/man1/quillory.1" ÜBERSICHT OPTIONEN DATEIEN RÜCKGABEWERT UMGEBUNG \
    LANGUAGE quillory.ini -- --help --version --ocr "Seiten"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed files checked: entry, icons, document type, ${count} picture types, metainfo, manual page"
