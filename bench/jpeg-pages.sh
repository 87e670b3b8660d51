#!/usr/bin/env bash
# bench/jpeg-pages.sh CORPUS [OUTDIR] [PAIRS]
#
# Pages that go into the PDF as their JPEG files: the 20 colour pages of the benchmark corpus,
# saved as JPEG at quality 70 by cjpeg, converted with quillory (JPEG 2000 off, JPEG quality 75,
# so every page goes in as its file) and with img2pdf (which always copies JPEG files) on the
# same files. The two run in pairs, one after the other (quillory, img2pdf, quillory, ...), PAIRS
# times (default 7); the speed ratio is taken pair by pair and its median printed. Times and
# peak memory come from /usr/bin/time. The same pages with JPEG quality 65 (every page decoded
# and coded again, as before pages kept their files) are timed too. Every image stream of
# quillory's PDF is checked against its input file (pdfimages -j writes the DCT streams out as
# they are).
#
# CORPUS is built first when missing (bench/make_corpus.sh; about 4 minutes; keep it outside
# the repository). quillory is taken from build/release unless QUILLORY names another executable.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:?usage: bench/jpeg-pages.sh CORPUS [OUTDIR] [PAIRS]}
out=${2:-$(mktemp -d)}
pairs=${3:-7}
. "$here/common.sh"
corpus_run "$corpus" "$out"
for tool in img2pdf cjpeg pdfimages /usr/bin/time /usr/bin/convert; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

# The pages as JPEG files of quality 70.
mkdir -p "$out/q70"
for f in "$corpus"/colour/png/*.png; do
  j="$out/q70/$(basename "$f" .png).jpg"
  [ -s "$j" ] || /usr/bin/convert "$f" ppm:- | cjpeg -quality 70 > "$j"
done
jpegs=$(ls "$out"/q70/*.jpg | tr '\n' ' ')
n=$(ls "$out"/q70/*.jpg | wc -l)

settings() { # JpegEd_Value
  quillory_settings JPEG2000_Checked=False "JpegEd_Value=$1"
}

results="$out/results.txt"
: > "$results"

settings 75
for ((i = 0; i < pairs; i++)); do
  r=$(timed "$out/q.pdf" "q $jpegs $out/q.pdf")
  echo "quillory, JPEG quality 75|$n|${r// /|}|$i" >> "$results"
  r=$(timed "$out/img2pdf.pdf" "img2pdf $jpegs -o $out/img2pdf.pdf")
  echo "img2pdf|$n|${r// /|}|$i" >> "$results"
done

# Every stream is its input file.
rm -rf "$out/streams" && mkdir -p "$out/streams"
pdfimages -j "$out/q.pdf" "$out/streams/s"
k=0
for f in "$out"/q70/*.jpg; do
  s=$(printf '%s/streams/s-%03d.jpg' "$out" "$k")
  cmp -s "$f" "$s" || { echo "stream $k differs from $f" >&2; exit 1; }
  k=$((k + 1))
done
[ "$k" = "$n" ] || { echo "expected $n streams, found $k" >&2; exit 1; }

settings 65
for ((i = 0; i < pairs; i++)); do
  r=$(timed "$out/q65.pdf" "q $jpegs $out/q65.pdf")
  echo "quillory, JPEG quality 65|$n|${r// /|}|-" >> "$results"
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [l.rstrip("\n").split("|") for l in open(sys.argv[1]) if l.strip()]
median = statistics.median
runs, pairs = {}, {}
for tool, pages, wall, rss, size, tag in rows:
    runs.setdefault(tool, []).append((float(wall), int(rss) / 1024, int(size), int(pages)))
    if tag != "-":
        pairs.setdefault(tag, {})[tool] = float(wall)
ref = runs["img2pdf"][-1][2]
print(f"{'tool':<27} {'pages':>5} {'wall s':>7} {'pages/s':>8} {'peak MB':>8} {'KB/page':>8} "
      f"{'size x':>7} {'time x':>7}")
for tool, r in runs.items():
    wall = median(x[0] for x in r)
    rss = median(x[1] for x in r)
    size, pages = r[-1][2], r[-1][3]
    ratios = [p[tool] / p["img2pdf"] for p in pairs.values() if tool in p and tool != "img2pdf"]
    ratio = f"{median(ratios):7.2f}" if ratios else f"{'':>7}"
    print(f"{tool:<27} {pages:>5} {wall:>7.2f} {pages / max(wall, 1e-3):>8.1f} {rss:>8.0f} "
          f"{size / 1024 / pages:>8.0f} {size / ref:>7.3f} {ratio}")
print()
print("size x: output size relative to img2pdf's; time x: quillory's wall time over img2pdf's,")
print("the median of the ratios of pairs run one after the other (below 1: quillory is faster).")
print("Every image stream of quillory's PDF at quality 75 is its input file, byte for byte.")
PY
echo "outputs in $out"
