# Shared by the benchmark scripts; sourced, not run. The sourcing script sets `here` (the bench
# folder) before sourcing.

# corpus_run CORPUS OUT USAGE: makes OUT absolute (exported as `out`), builds the corpus when it
# is missing, and finds quillory (build/release unless QUILLORY names another executable).
corpus_run() {
  out=$2
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  "$here/make_corpus.sh" "$1" > "$out/corpus.log" 2>&1 || {
    echo "building the corpus failed, see $out/corpus.log" >&2
    exit 1
  }
  quillory=${QUILLORY:-$here/../build/release/quillory}
  [ -x "$quillory" ] || { echo "no quillory at $quillory (run make build)" >&2; exit 1; }
  export quillory out
}

# quillory_settings KEY=VALUE...: the per-user settings quillory reads its layout and
# compression from, in a private folder of this run.
quillory_settings() {
  mkdir -p "$out/config"
  { echo '[TMainForm]'; printf '%s\n' "$@"; } > "$out/config/$(basename "$quillory").ini"
}

# q ARG...: quillory without a display, with this run's settings.
q() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$out/config" \
    "$quillory" "$@"
}
export -f q

# timed OUTPUT COMMAND: runs the command once; prints "wall rss size".
timed() {
  rm -f "$1"
  /usr/bin/time -f '%e %M' -o "$out/time.txt" bash -c "$2" > "$out/last.log" 2>&1 || {
    echo "failed: $2" >&2
    tail -5 "$out/last.log" >&2
    return 1
  }
  read -r wall rss < "$out/time.txt"
  echo "$wall $rss $(stat -c %s "$1")"
}

# build_tool TARGET: the path of one of the project's own programs under build/release/src/tools,
# built first when missing.
build_tool() {
  local repo
  repo=$(cd "$here/.." && pwd)
  local tool=$repo/build/release/src/tools/$1
  if [ ! -x "$tool" ]; then
    cmake -S "$repo" -B "$repo/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$repo/build/release" --target "$1" >/dev/null
  fi
  echo "$tool"
}

# plasma_page WIDTHxHEIGHT FILE: a colour page picture, an ImageMagick plasma with a fixed seed.
plasma_page() {
  command -v convert >/dev/null || { echo "ImageMagick's convert is missing" >&2; exit 2; }
  convert -size "$1" -seed 7 plasma:fuchsia-teal "$2"
}
