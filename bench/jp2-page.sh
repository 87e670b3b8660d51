#!/bin/sh
# jp2-page.sh PICTURE [RUNS]
#
# Times JPEG 2000 coding of one page at a compression ratio of 100:1 (SetJPEG2000Qual 100, the
# export's default) against OpenJPEG's own command-line coder on the same page:
#   opj_compress -r 100               (its default: one thread)
#   opj_compress -r 100 -threads 2
#   qly-imgconv 14                    (our image library: read the page, code it, write the .jp2)
# Both sides read the same uncompressed PPM/PGM copy of PICTURE, so reading costs the same.
# Prints the median wall time of RUNS runs (default 5) of each, the file sizes, our time as a
# multiple of opj_compress's, and the PSNR of both files against the page (ImageMagick compare).
#
# QLY_IMGCONV names the converter (default: build/release/src/tools/qly-imgconv of this tree).
set -eu

pic=${1:?usage: jp2-page.sh PICTURE [RUNS]}
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
conv=${QLY_IMGCONV:-$here/../build/release/src/tools/qly-imgconv}
[ -x "$conv" ] || { echo "no converter at $conv (build first, or set QLY_IMGCONV)" >&2; exit 2; }
for tool in opj_compress convert identify compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A grey page stays one component on both sides.
case $(identify -format '%[type]' "$pic[0]") in
  Grayscale | Bilevel) page=$work/page.pgm ;;
  *) page=$work/page.ppm ;;
esac
convert "$pic[0]" -depth 8 "$page"
size=$(identify -format '%wx%h' "$page")

now_ms() { date +%s%N | cut -c1-13; }

# time_ms FILE COMMAND...: runs the command once and appends its wall time in ms to FILE.
time_ms() {
  out=$1
  shift
  t0=$(now_ms)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(now_ms)
  echo $((t1 - t0)) >>"$out"
}

median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# The three coders take turns in every round, so a change in the machine's load hits all alike.
mkdir -p "$work/ours"
: >"$work/t1"
: >"$work/t2"
: >"$work/t3"
i=0
while [ "$i" -lt "$runs" ]; do
  time_ms "$work/t1" opj_compress -i "$page" -o "$work/opj1.jp2" -r 100
  time_ms "$work/t2" opj_compress -i "$page" -o "$work/opj2.jp2" -r 100 -threads 2
  time_ms "$work/t3" "$conv" 14 "$work/ours" "$page"
  i=$((i + 1))
done
t_opj1=$(median "$work/t1")
t_opj2=$(median "$work/t2")
t_ours=$(median "$work/t3")
ours=$(ls "$work"/ours/*.jp2)

psnr() { compare -metric PSNR "$page" "$1" null: 2>&1 || true; }

echo "page: $pic ($size, $(basename "$page" | cut -d. -f2)), $runs runs, median wall time"
printf '%-34s %8s %10s %8s\n' "coder" "ms" "bytes" "PSNR dB"
printf '%-34s %8s %10s %8s\n' "opj_compress -r 100" "$t_opj1" "$(wc -c <"$work/opj1.jp2")" "$(psnr "$work/opj1.jp2")"
printf '%-34s %8s %10s %8s\n' "opj_compress -r 100 -threads 2" "$t_opj2" "$(wc -c <"$work/opj2.jp2")" "$(psnr "$work/opj2.jp2")"
printf '%-34s %8s %10s %8s\n' "qly-imgconv 14 (quality 100)" "$t_ours" "$(wc -c <"$ours")" "$(psnr "$ours")"
awk -v a="$t_ours" -v b="$t_opj1" -v c="$t_opj2" 'BEGIN {
  printf "ours / opj_compress -r 100: %.2fx   ours / opj_compress -r 100 -threads 2: %.2fx\n", a / b, a / c }'
