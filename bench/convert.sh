#!/usr/bin/env bash
# bench/convert.sh CORPUS [OUTDIR] [RUNS]
#
# Converts the colour, grey and bilevel page sets of the benchmark corpus into PDF with quillory
# and, on the same inputs in the same run, with GraphicsMagick, ImageMagick and libtiff
# (tiffcp -c g4 + tiff2pdf), and prints wall time, pages per second, peak memory and output size
# per tool with the ratios to quillory (medians of RUNS runs, default 3). Also measures the peak
# memory of a 20- and a 40-page colour conversion, and the JPEG 2000 time per page against
# opj_compress -r 100 on the same page.
#
# CORPUS is built first when missing (bench/make_corpus.sh; about 4 minutes, 140 MB; keep it
# outside the repository). quillory is taken from build/release (make build) unless QUILLORY
# names another executable. ImageMagick runs through bench/im.sh, which needs root.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:?usage: bench/convert.sh CORPUS [OUTDIR] [RUNS]}
out=${2:-$(mktemp -d)}
runs=${3:-3}
quillory=${QUILLORY:-$here/../build/release/quillory}
mkdir -p "$out"
out=$(cd "$out" && pwd)

"$here/make_corpus.sh" "$corpus" > "$out/corpus.log" 2>&1 || {
  echo "building the corpus failed, see $out/corpus.log" >&2
  exit 1
}
[ -x "$quillory" ] || { echo "no quillory at $quillory (run make build)" >&2; exit 1; }

# quillory reads its layout and compression from its per-user settings: a private folder with
# JPEG quality 75 and JPEG 2000 off for the main comparison.
settings() { # JPEG2000_Checked value
  mkdir -p "$out/config"
  printf '[TMainForm]\nJPEG2000_Checked=%s\nJpegEd_Value=75\nJpeg2000ED_Value=1\n' "$1" \
    > "$out/config/quillory.ini"
}
q() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$out/config" \
    "$quillory" "$@"
}
export -f q
export quillory out

results="$out/results.txt"
: > "$results"

# measure SET TOOL PAGES OUTPUTFILE COMMAND: median wall time and peak RSS over the runs.
measure() {
  local set=$1 tool=$2 pages=$3 output=$4 cmd=$5 walls=() rsses=() i
  for ((i = 0; i < runs; i++)); do
    rm -f "$output"
    /usr/bin/time -f '%e %M' -o "$out/time.txt" bash -c "$cmd" > "$out/last.log" 2>&1 || {
      echo "failed: $cmd" >&2
      tail -5 "$out/last.log" >&2
      return 1
    }
    read -r wall rss < "$out/time.txt"
    walls+=("$wall")
    rsses+=("$rss")
  done
  local size
  size=$(stat -c %s "$output")
  printf '%s|%s|%s|%s|%s|%s\n' "$set" "$tool" "$pages" \
    "$(printf '%s\n' "${walls[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")" \
    "$(printf '%s\n' "${rsses[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")" "$size" \
    >> "$results"
}

settings False
for set in colour grey; do
  pngs=$(ls "$corpus/$set/png/"*.png | tr '\n' ' ')
  n=$(ls "$corpus/$set/png/"*.png | wc -l)
  measure "$set" quillory "$n" "$out/${set}_q.pdf" "q $pngs $out/${set}_q.pdf"
  measure "$set" GraphicsMagick "$n" "$out/${set}_gm.pdf" \
    "gm convert $pngs -compress JPEG -quality 75 $out/${set}_gm.pdf"
  measure "$set" ImageMagick "$n" "$out/${set}_im.pdf" \
    "$here/im.sh $pngs -compress jpeg -quality 75 $out/${set}_im.pdf"
done

pngs=$(ls "$corpus/bilevel/png/"*.png | tr '\n' ' ')
tifs=$(ls "$corpus/bilevel/tif/"*.tif | tr '\n' ' ')
n=$(ls "$corpus/bilevel/png/"*.png | wc -l)
measure bilevel quillory "$n" "$out/bilevel_q.pdf" "q $pngs $out/bilevel_q.pdf"
measure bilevel GraphicsMagick "$n" "$out/bilevel_gm.pdf" \
  "gm convert $pngs -compress Fax $out/bilevel_gm.pdf"
measure bilevel "tiffcp+tiff2pdf" "$n" "$out/bilevel_t2p.pdf" \
  "tiffcp -c g4 $tifs $out/bilevel_g4.tif && tiff2pdf -o $out/bilevel_t2p.pdf $out/bilevel_g4.tif"

# Memory does not grow with the page count: the colour set once and twice.
colour=$(ls "$corpus/colour/png/"*.png | tr '\n' ' ')
measure "memory" "quillory 20 pages" 20 "$out/m20.pdf" "q $colour $out/m20.pdf"
measure "memory" "quillory 40 pages" 40 "$out/m40.pdf" "q $colour $colour $out/m40.pdf"

# JPEG 2000 at the default 1 % against opj_compress -r 100 on the same page.
settings True
page="$corpus/single/colour.ppm"
measure jpeg2000 quillory 1 "$out/j2k_q.pdf" "q $page $out/j2k_q.pdf"
measure jpeg2000 "opj_compress -r 100" 1 "$out/j2k_opj.jp2" \
  "opj_compress -i $page -o $out/j2k_opj.jp2 -r 100 > /dev/null"

# Pixel bytes of the 20 colour pages, for the memory target.
pixels=0
for f in "$corpus"/colour/png/*.png; do
  read -r w h < <(identify -format '%w %h\n' "$f")
  pixels=$((pixels + w * h * 3))
done

python3 - "$results" "$pixels" <<'PY'
import sys
rows = [l.rstrip("\n").split("|") for l in open(sys.argv[1]) if l.strip()]
pixel_bytes = int(sys.argv[2])
by_set = {}
for s, tool, pages, wall, rss, size in rows:
    by_set.setdefault(s, []).append((tool, int(pages), float(wall), int(rss) / 1024, int(size)))
print(f"{'set':<9} {'tool':<22} {'pages':>5} {'wall s':>7} {'pages/s':>8} {'peak MB':>8} "
      f"{'KB/page':>8} {'speed x':>8} {'size x':>7}")
for s, entries in by_set.items():
    ref = entries[0]
    ref_pps = ref[1] / max(ref[2], 1e-3)
    for tool, pages, wall, rss, size in entries:
        pps = pages / max(wall, 1e-3)
        print(f"{s:<9} {tool:<22} {pages:>5} {wall:>7.2f} {pps:>8.2f} {rss:>8.0f} "
              f"{size / 1024 / pages:>8.0f} {ref_pps / pps:>8.2f} {size / ref[4]:>7.2f}")
print()
print("speed x: how many times faster quillory (the first row of a set) is than the tool;")
print("size x: the tool's output size relative to quillory's.")
mem = {t: r for t, _, _, r, _ in by_set.get("memory", [])}
if mem:
    p20 = pixel_bytes / 2**20
    m20 = mem.get("quillory 20 pages", 0)
    m40 = mem.get("quillory 40 pages", 0)
    print(f"memory: 20 colour pages hold {p20:.0f} MB of pixels; quillory peak {m20:.0f} MB "
          f"(pixels + {m20 - p20:.0f} MB); 40 pages: peak {m40:.0f} MB "
          f"(pixels + {m40 - 2 * p20:.0f} MB)")
PY
echo "outputs in $out"
