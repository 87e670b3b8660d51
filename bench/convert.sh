#!/usr/bin/env bash
# bench/convert.sh CORPUS [OUTDIR] [PAIRS]
#
# Converts the colour, grey and bilevel page sets of the benchmark corpus into PDF with quillory
# and, on the same inputs in the same run, with GraphicsMagick, ImageMagick and libtiff
# (tiffcp -c g4 + tiff2pdf). Each comparison runs in pairs, quillory and the other tool in turn
# (A B A B ...), so a machine that drifts while the script runs slows both sides of a pair
# alike; the ratio is taken pair by pair and its median printed (PAIRS pairs, default 5).
# Also measured: JPEG 2000 at the default 1 % over the 20 colour pages, one page of it against
# opj_compress -r 100, and the peak memory of a 20- and a 40-page colour conversion against the
# pixels they hold.
#
# CORPUS is built first when missing (bench/make_corpus.sh; about 4 minutes, 140 MB; keep it
# outside the repository). quillory is taken from build/release (make build) unless QUILLORY
# names another executable. ImageMagick runs through bench/im.sh, which needs root; without
# root it is left out.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:?usage: bench/convert.sh CORPUS [OUTDIR] [PAIRS]}
out=${2:-$(mktemp -d)}
pairs=${3:-5}
. "$here/common.sh"
corpus_run "$corpus" "$out"

# quillory with JPEG quality 75, and JPEG 2000 at 1 % when asked for.
settings() { # JPEG2000_Checked value
  quillory_settings "JPEG2000_Checked=$1" JpegEd_Value=75 Jpeg2000ED_Value=1
}

results="$out/results.txt"
: > "$results"

# pair SET PAGES QOUT QCMD TOOL TOUT TCMD: quillory and TOOL in turn, PAIRS times. One line per
# run: set|tool|pages|wall|rss|size|pair, the pair's number tying the two runs of a pair.
pair() {
  local set=$1 pages=$2 qout=$3 qcmd=$4 tool=$5 tout=$6 tcmd=$7 i r
  for ((i = 0; i < pairs; i++)); do
    r=$(timed "$qout" "$qcmd")
    echo "$set|quillory|$pages|${r// /|}|$tool:$i" >> "$results"
    r=$(timed "$tout" "$tcmd")
    echo "$set|$tool|$pages|${r// /|}|$tool:$i" >> "$results"
  done
}

# alone SET TOOL PAGES OUT CMD: PAIRS runs of one command.
alone() {
  local i r
  for ((i = 0; i < pairs; i++)); do
    r=$(timed "$4" "$5")
    echo "$1|$2|$3|${r// /|}|-" >> "$results"
  done
}

have_im=false
[ "$(id -u)" = 0 ] && command -v convert > /dev/null && have_im=true

settings False
for set in colour grey; do
  pngs=$(ls "$corpus/$set/png/"*.png | tr '\n' ' ')
  n=$(ls "$corpus/$set/png/"*.png | wc -l)
  pair "$set" "$n" "$out/${set}_q.pdf" "q $pngs $out/${set}_q.pdf" \
    GraphicsMagick "$out/${set}_gm.pdf" "gm convert $pngs -compress JPEG -quality 75 $out/${set}_gm.pdf"
  if $have_im; then
    pair "$set" "$n" "$out/${set}_q.pdf" "q $pngs $out/${set}_q.pdf" \
      ImageMagick "$out/${set}_im.pdf" "$here/im.sh $pngs -compress jpeg -quality 75 $out/${set}_im.pdf"
  fi
done

pngs=$(ls "$corpus/bilevel/png/"*.png | tr '\n' ' ')
tifs=$(ls "$corpus/bilevel/tif/"*.tif | tr '\n' ' ')
n=$(ls "$corpus/bilevel/png/"*.png | wc -l)
pair bilevel "$n" "$out/bilevel_q.pdf" "q $pngs $out/bilevel_q.pdf" \
  "tiffcp+tiff2pdf" "$out/bilevel_t2p.pdf" \
  "tiffcp -c g4 $tifs $out/bilevel_g4.tif && tiff2pdf -o $out/bilevel_t2p.pdf $out/bilevel_g4.tif"
pair bilevel "$n" "$out/bilevel_q.pdf" "q $pngs $out/bilevel_q.pdf" \
  GraphicsMagick "$out/bilevel_gm.pdf" "gm convert $pngs -compress Fax $out/bilevel_gm.pdf"

# Memory does not grow with the page count: the colour set once and twice.
colour=$(ls "$corpus/colour/png/"*.png | tr '\n' ' ')
alone memory "quillory 20 pages" 20 "$out/m20.pdf" "q $colour $out/m20.pdf"
alone memory "quillory 40 pages" 40 "$out/m40.pdf" "q $colour $colour $out/m40.pdf"

# JPEG 2000 at the default 1 %: the 20 colour pages, and one page against opj_compress -r 100.
settings True
alone jpeg2000 "quillory 20 pages" 20 "$out/j2k_20.pdf" "q $colour $out/j2k_20.pdf"
page="$corpus/single/colour.ppm"
pair jpeg2000-page 1 "$out/j2k_q.pdf" "q $page $out/j2k_q.pdf" \
  "opj_compress -r 100" "$out/j2k_opj.jp2" "opj_compress -i $page -o $out/j2k_opj.jp2 -r 100 > /dev/null"

# Pixel bytes of the 20 colour pages, for the memory target.
pixels=0
for f in "$corpus"/colour/png/*.png; do
  read -r w h < <(identify -format '%w %h\n' "$f")
  pixels=$((pixels + w * h * 3))
done

python3 - "$results" "$pixels" <<'PY'
import statistics, sys
rows = [l.rstrip("\n").split("|") for l in open(sys.argv[1]) if l.strip()]
pixel_bytes = int(sys.argv[2])
median = statistics.median
runs = {}   # (set, tool) -> list of (wall, rss, size, pages)
walls = {}  # pair tag -> {tool: wall}
for s, tool, pages, wall, rss, size, tag in rows:
    runs.setdefault((s, tool), []).append((float(wall), int(rss) / 1024, int(size), int(pages)))
    if tag != "-":
        walls.setdefault((s, tag), {})[tool] = float(wall)
print(f"{'set':<13} {'tool':<22} {'pages':>5} {'wall s':>7} {'pages/s':>8} {'peak MB':>8} "
      f"{'KB/page':>8} {'speed x':>8} {'size x':>7}")
sizes = {}
for (s, tool), r in runs.items():
    wall = median(x[0] for x in r)
    rss = median(x[1] for x in r)
    size = r[-1][2]
    pages = r[-1][3]
    if tool == "quillory":
        sizes[s] = size
    # Speed x: quillory's pages per second over the tool's, the median of the per-pair ratios.
    ratios = [w[tool] / w["quillory"] for (ps, tag), w in walls.items()
              if ps == s and tool != "quillory" and tool in w and "quillory" in w]
    speed = f"{median(ratios):8.2f}" if ratios else f"{'':>8}"
    rel = f"{size / sizes[s]:7.2f}" if s in sizes and tool != "quillory" else f"{'':>7}"
    print(f"{s:<13} {tool:<22} {pages:>5} {wall:>7.2f} {pages / max(wall, 1e-3):>8.2f} "
          f"{rss:>8.0f} {size / 1024 / pages:>8.0f} {speed} {rel}")
print()
print("speed x: how many times faster quillory is than the tool, the median of the ratios of")
print("pairs run one after the other; size x: the tool's output size relative to quillory's.")
mem = {t: median(x[1] for x in r) for (s, t), r in runs.items() if s == "memory"}
if mem:
    p20 = pixel_bytes / 2**20
    m20 = mem.get("quillory 20 pages", 0)
    m40 = mem.get("quillory 40 pages", 0)
    print(f"memory: 20 colour pages hold {p20:.0f} MB of pixels; quillory peak {m20:.0f} MB "
          f"(pixels + {m20 - p20:.0f} MB); 40 pages: peak {m40:.0f} MB "
          f"(pixels + {m40 - 2 * p20:.0f} MB)")
PY
echo "outputs in $out"
