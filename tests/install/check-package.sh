#!/usr/bin/env bash
# Builds the Debian package from the build tree as it is (cpack installs it, strips it and asks
# dpkg-shlibdeps for the dependencies) and checks what it declares and holds.
#   check-package.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    exit 1
}
arch=$(dpkg --print-architecture)
deb="$work/out/quillory_1.7.0_${arch}.deb"
[ -f "$deb" ] || {
    ls "$work/out" >&2
    echo "FAIL: no quillory_1.7.0_${arch}.deb" >&2
    exit 1
}

dpkg-deb --info "$deb" | tee "$work/info"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quillory ] || fail "Package is $(field Package)"
[ "$(field Version)" = 1.7.0 ] || fail "Version is $(field Version)"
[ "$(field Maintainer)" = Torvand ] || fail "Maintainer is $(field Maintainer)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture)"

# The dependencies dpkg-shlibdeps found name the libraries the program runs on.
depends=$(field Depends)
packages=$(sed 's/ ([^)]*)//g; s/, */\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libtiff6 libopenjp2-7 \
    libjpeg62-turbo libturbojpeg0 libpng16-16 libgif7 libwebp7 libwebpdemux2 libimagequant0 \
    zlib1g; do
    grep -qxF "$lib" <<<"$packages" || fail "Depends does not name $lib: $depends"
done

dpkg-deb --contents "$deb" | tee "$work/contents"
for f in ./usr/bin/quillory ./usr/share/applications/quillory.desktop \
    ./usr/share/icons/hicolor/scalable/apps/quillory.svg \
    ./usr/share/icons/hicolor/48x48/apps/quillory.png \
    ./usr/share/icons/hicolor/128x128/apps/quillory.png \
    ./usr/share/mime/packages/quillory.xml ./usr/share/metainfo/de.torvand.quillory.metainfo.xml \
    ./usr/share/man/man1/quillory.1 ./usr/share/doc/quillory/copyright \
    ./usr/share/doc/quillory/LICENSE; do
    grep -q " $f\$" "$work/contents" || fail "the package lacks $f"
done
outside=$(awk '{print $6}' "$work/contents" | grep -v '^\./usr/' | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

# The program in the package is stripped and runs.
dpkg-deb --extract "$deb" "$work/staged"
file -b "$work/staged/usr/bin/quillory" | grep -q ", stripped" || fail "quillory is not stripped"
version=$("$work/staged/usr/bin/quillory" --version)
[ "$version" = "quillory 1.7" ] || fail "the packaged quillory says $version"

# apt can install it with what it depends on (a simulation: nothing is changed).
if ! apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    ! grep -q '^Inst quillory ' "$work/apt.log"; then
    cat "$work/apt.log" >&2
    fail "apt-get cannot install the package"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb") checked: $(stat -c %s "$deb") bytes, Depends: $depends"
