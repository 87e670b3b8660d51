#!/usr/bin/env bash
# bench/page_memory.sh CORPUS [OUTDIR] [PAIRS]
#
# Where the pages' pixels live: the anonymous memory (RssAnon), the file pages (RssFile) and the
# shared memory (RssShmem) of quillory, sampled every 50 ms from /proc/PID/status, for
#   - command-line conversions of 50, 150 and 300 colour A4 pages at 300 dpi (the corpus's 20
#     colour PNGs over and over) with JPEG, and of 50 and 150 pages with JPEG 2000, beside
#     GraphicsMagick's and, when BEFORE names the executable of an earlier version, its own;
#   - the window holding 300 such pages (started under Xvfb with the pictures as arguments, as a
#     file manager's "open with" does), read once the pages are all in, with the page store
#     (pages in files of the session folder) and without it (the pages in the heap, as when the
#     state folder cannot be made: XDG_STATE_HOME names a file);
# then the window adding 100 pages and exporting them (a conversion with a display), page store
# against heap in PAIRS pairs run one after the other; the median of the pairs' ratios is printed
# (heap time / store time: at least 0.9 means no slower).
#
# Needs the corpus (bench/make_corpus.sh builds it), Xvfb, GraphicsMagick, bc and several GB of
# free disk for the session folders. quillory is taken from build/release unless QUILLORY names
# another executable.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:?usage: bench/page_memory.sh CORPUS [OUTDIR] [PAIRS]}
out=${2:-$(mktemp -d)}
pairs=${3:-3}
quillory=${QUILLORY:-$here/../build/release/quillory}
before=${BEFORE:-}
mkdir -p "$out"
out=$(cd "$out" && pwd)

"$here/make_corpus.sh" "$corpus" > "$out/corpus.log" 2>&1 || {
  echo "building the corpus failed, see $out/corpus.log" >&2
  exit 1
}
[ -x "$quillory" ] || { echo "no quillory at $quillory (run make build)" >&2; exit 1; }

settings() { # JPEG2000_Checked value; each executable reads the file named after it
  mkdir -p "$out/config"
  local exe
  for exe in "$quillory" ${before:+"$before"}; do
    printf '[TMainForm]\nJPEG2000_Checked=%s\nJpegEd_Value=75\nJpeg2000ED_Value=1\n' "$1" \
      > "$out/config/$(basename "$exe").ini"
  done
}
pages() { # COUNT: the colour pages over and over
  local n=$1 i
  for ((i = 0; i < n; i++)); do
    printf '%s\n' "$corpus/colour/png/c$(printf %02d $((i % 20 + 1))).png"
  done
}
# The state folder: a fresh one for the page store, a plain file (nothing can be made in it) for
# the heap.
state() { # store|heap
  rm -rf "$out/state"
  if [ "$1" = heap ]; then : > "$out/state"; else mkdir -p "$out/state"; fi
  echo "$out/state"
}
kb() { awk -v k="$1" '$1 == k":" {print $2}' "/proc/$2/status" 2>/dev/null || true; }

# Runs the command in the background and prints the peaks of RssAnon, RssFile and RssShmem in
# MB and the wall time in seconds. With STOP_WHEN set, the run ends (SIGTERM) once that command
# succeeds, for the window, which does not end by itself.
sample() {
  local start end pid anon=0 file=0 shm=0 a f s
  start=$(date +%s.%N)
  "$@" > "$out/run.log" 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    a=$(kb RssAnon $pid); f=$(kb RssFile $pid); s=$(kb RssShmem $pid)
    [ -n "$a" ] && [ "$a" -gt "$anon" ] && anon=$a
    [ -n "$f" ] && [ "$f" -gt "$file" ] && file=$f
    [ -n "$s" ] && [ "$s" -gt "$shm" ] && shm=$s
    if [ -n "${STOP_WHEN:-}" ] && eval "$STOP_WHEN"; then
      sleep 1
      a=$(kb RssAnon $pid); [ -n "$a" ] && [ "$a" -gt "$anon" ] && anon=$a
      kill -TERM "$pid" 2>/dev/null || true
      break
    fi
    sleep 0.05
  done
  wait "$pid" 2>/dev/null || true
  end=$(date +%s.%N)
  echo "$((anon / 1024)) $((file / 1024)) $((shm / 1024)) $(echo "$end - $start" | bc)"
}

convert_run() { # EXECUTABLE COUNT
  local list
  mapfile -t list < <(pages "$2")
  XDG_CONFIG_HOME="$out/config" XDG_STATE_HOME=$(state store) QT_QPA_PLATFORM=offscreen \
    sample env -u DISPLAY -u WAYLAND_DISPLAY "$1" "${list[@]}" "$out/out.pdf"
}

echo "| run | pages | RssAnon MB | RssFile MB | RssShmem MB | wall s |"
echo "|---|---|---|---|---|---|"
settings False
for n in 50 150 300; do
  read -r a f s t < <(convert_run "$quillory" $n)
  echo "| conversion, JPEG | $n | $a | $f | $s | $t |"
  if [ -n "$before" ]; then
    read -r a f s t < <(convert_run "$before" $n)
    echo "| conversion, JPEG, earlier version | $n | $a | $f | $s | $t |"
  fi
  mapfile -t list < <(pages $n)
  read -r a f s t < <(sample gm convert "${list[@]}" -compress JPEG -quality 75 "$out/gm.pdf")
  echo "| conversion, JPEG, GraphicsMagick | $n | $a | $f | $s | $t |"
done
settings True
for n in 50 150; do
  read -r a f s t < <(convert_run "$quillory" $n)
  echo "| conversion, JPEG 2000 | $n | $a | $f | $s | $t |"
  if [ -n "$before" ]; then
    read -r a f s t < <(convert_run "$before" $n)
    echo "| conversion, JPEG 2000, earlier version | $n | $a | $f | $s | $t |"
  fi
done

# The window with 300 pages: done once the journal names them all (page store), or once the
# memory has stopped growing for three seconds (heap).
settings False
mapfile -t list < <(pages 300)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
for mode in store heap; do
  if [ $mode = store ]; then
    STOP_WHEN='[ "$(grep -c "^page " "$out"/state/quillory/session-*/journal 2>/dev/null)" = 300 ]'
  else
    : > "$out/last"
    STOP_WHEN='a2=$(kb RssAnon $pid); if [ "$a2" = "$(cat "$out/last")" ]; then
      n=$(( $(cat "$out/n" 2>/dev/null || echo 0) + 1 )); else n=0; fi; echo "$a2" > "$out/last";
      echo $n > "$out/n"; [ "$n" -ge 60 ]'
    echo 0 > "$out/n"
  fi
  read -r a f s t < <(XDG_CONFIG_HOME="$out/config" XDG_STATE_HOME=$(state $mode) \
    STOP_WHEN="$STOP_WHEN" sample env DISPLAY="$display" "$quillory" "${list[@]}")
  echo "| window holding the pages, $mode | 300 | $a | $f | $s | $t |"
done
unset STOP_WHEN

# The window adding 100 pages and exporting them: page store against heap, pair by pair.
window_run() { # store|heap
  local list
  mapfile -t list < <(pages 100)
  XDG_CONFIG_HOME="$out/config" XDG_STATE_HOME=$(state "$1") \
    sample env DISPLAY="$display" "$quillory" "${list[@]}" "$out/window.pdf"
}
ratios=()
for ((p = 0; p < pairs; p++)); do
  read -r _ _ _ ts < <(window_run store)
  read -r _ _ _ th < <(window_run heap)
  ratios+=("$(echo "scale=3; $th / $ts" | bc)")
  echo "pair $((p + 1)): store $ts s, heap $th s" >&2
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo
echo "window, 100 pages added and exported, heap time / page store time, median of $pairs pairs: $median"
rm -rf "$out/state"
