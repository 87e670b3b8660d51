#!/usr/bin/env bash
# bench/jbig2.sh CORPUS [--work DIR] [--runs N] [--verify] [--pages]
#
# Our JBIG2 encoder beside libtiff's CCITT Group 4 encoder on the bilevel pages of the benchmark
# corpus (made by the shared make_corpus.sh), in one run: sizes, their ratio and megapixels per
# second (in-memory coding, best of N runs, one core), plus the seconds per page of the whole
# jbig2encode call (reading the BMP, coding, writing both files).
#
# Page sets: the rendered text pages (CORPUS/bilevel), the real fax scans (CORPUS/ccitt), and
# the grey pages (CORPUS/grey) halftoned with ImageMagick twice, by an 8x8 ordered dither and by
# Floyd-Steinberg error diffusion. The halftoned pages are made once in the work folder; pass
# --work DIR to keep them between runs (default: a temporary folder, removed afterwards).
#
# --verify  also decodes every page from our streams with jbig2dec (-e, the two raw streams) and
#           from a one-page PDF with poppler (pdfimages), mupdf (mutool draw at one pixel per
#           point) and ghostscript (pbmraw), and compares each with the source pixels.
# --pages   prints the per-page lines of the measurements as well.
#
# qly-jbig2 comes from build/release (configured and built here when missing); set QLY_JBIG2 to
# use another qly-jbig2 binary.
set -euo pipefail

usage() {
  sed -n '2p' "$0" | sed 's/^# /usage: /' >&2
  exit 2
}

[ $# -ge 1 ] || usage
corpus=$1
shift
work=""
runs=5
verify=0
pages=0
while [ $# -gt 0 ]; do
  case $1 in
    --work) work=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --verify) verify=1; shift ;;
    --pages) pages=1; shift ;;
    *) usage ;;
  esac
done
[ -d "$corpus/bilevel/png" ] || { echo "no corpus at $corpus (see make_corpus.sh)" >&2; exit 1; }

repo=$(cd "$(dirname "$0")/.." && pwd)
qly=${QLY_JBIG2:-$repo/build/release/src/tools/qly-jbig2}
if [ ! -x "$qly" ]; then
  cmake -S "$repo" -B "$repo/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$repo/build/release" --target qly-jbig2 >/dev/null
fi

cleanup=""
if [ -z "$work" ]; then
  work=$(mktemp -d)
  cleanup=$work
fi
trap '[ -n "$cleanup" ] && rm -rf "$cleanup"' EXIT
mkdir -p "$work/ordered" "$work/fs"

# Halftoned grey pages, two at a time.
halftone() {
  local kind=$1 src=$2 out
  out="$work/$kind/$(basename "$src")"
  [ -s "$out" ] && return 0
  if [ "$kind" = ordered ]; then
    convert "$src" -ordered-dither o8x8 -monochrome "$out.tmp.png"
  else
    convert "$src" -dither FloydSteinberg -monochrome "$out.tmp.png"
  fi
  mv "$out.tmp.png" "$out"
}
export -f halftone
export work
for kind in ordered fs; do
  # shellcheck disable=SC2016 # $1 and $2 belong to the inner shell
  find "$corpus/grey/png" -name '*.png' -print0 |
    xargs -0 -P 2 -I{} bash -c 'halftone "$1" "$2"' _ "$kind" {}
done

declare -A setDir=(
  [text]="$corpus/bilevel/png"
  [fax]="$corpus/ccitt/png"
  [ordered-dither]="$work/ordered"
  [floyd-steinberg]="$work/fs"
)
sets="text fax ordered-dither floyd-steinberg"

# Group 4 of the same pages as libtiff's tiffcp writes it, where the corpus has TIFF files: the
# whole files, so a few hundred bytes of TIFF structure per page above the coded strips.
tiffcpKB() {
  local dir=$1 total=0 f
  [ -d "$dir" ] || { echo "-"; return; }
  for f in "$dir"/*.tif; do
    tiffcp -c g4 "$f" "$work/g4.tif"
    total=$((total + $(stat -c %s "$work/g4.tif")))
  done
  echo $((total / 1024))
}

printf '| set | pages | Mpixels | JBIG2 KB | G4 KB | JBIG2/G4 | JBIG2 MP/s | G4 MP/s | jbig2encode s/page | tiffcp -c g4 KB |\n'
printf '|---|---|---|---|---|---|---|---|---|---|\n'
perPage=""
for set in $sets; do
  dir=${setDir[$set]}
  out=$("$qly" bench --runs "$runs" "$dir"/*.png)
  perPage+=$'\n'"[$set]"$'\n'"$out"
  g4ref="-"
  case $set in
    text) g4ref=$(tiffcpKB "$corpus/bilevel/tif") ;;
    fax) g4ref=$(tiffcpKB "$corpus/ccitt/tif") ;;
  esac
  echo "$out" | awk -F'\t' -v set="$set" -v g4ref="$g4ref" '
    $1 != "picture" && $1 != "TOTAL" { n++ }
    $1 == "TOTAL" {
      printf "| %s | %d | %.1f | %.0f | %.0f | %.3f | %.0f | %.0f | %.4f | %s |\n",
        set, n, $4, $5 / 1024, $7 / 1024, $5 / $7, $4 / $6, $4 / $8, $9 / n, g4ref
    }'
done
if [ "$pages" = 1 ]; then
  echo "$perPage"
fi

if [ "$verify" = 1 ]; then
  echo
  echo "Exact decoding (pages whose decoded pixels equal the source):"
  v="$work/verify"
  mkdir -p "$v"
  # Compares the rasters of two P4 files of width x height (headers may differ in comments).
  same() {
    local w=$1 h=$2 a=$3 b=$4 stride n
    stride=$(( (w + 7) / 8 ))
    n=$(( stride * h ))
    [ -s "$a" ] && [ -s "$b" ] && [ "$(stat -c %s "$a")" -ge "$n" ] && [ "$(stat -c %s "$b")" -ge "$n" ] &&
      cmp -s <(tail -c "$n" "$a") <(tail -c "$n" "$b")
  }
  for set in $sets; do
    dir=${setDir[$set]}
    total=0; okJ=0; okP=0; okM=0; okG=0
    for page in "$dir"/*.png; do
      total=$((total + 1))
      rm -f "$v"/*
      convert "$page" "pbm:$v/src.pbm"
      read -r w h < <(sed -n '2p' "$v/src.pbm")
      "$qly" encode "$page" "$v/g.jb2" "$v/p.jb2" >/dev/null
      "$qly" pdf --dpi 72 "$page" "$v/one.pdf" >/dev/null
      jbig2dec -q -e -t pbm -o "$v/jbig2dec.pbm" "$v/g.jb2" "$v/p.jb2" 2>/dev/null || true
      pdfimages "$v/one.pdf" "$v/pi" 2>/dev/null || true
      mutool draw -q -r 72 -c mono -o "$v/mutool.pbm" "$v/one.pdf" 2>/dev/null || true
      gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pbmraw -r72 -sOutputFile="$v/gs.pbm" "$v/one.pdf" \
        2>/dev/null || true
      same "$w" "$h" "$v/src.pbm" "$v/jbig2dec.pbm" && okJ=$((okJ + 1)) || echo "  jbig2dec differs: $page"
      same "$w" "$h" "$v/src.pbm" "$v/pi-000.pbm" && okP=$((okP + 1)) || echo "  pdfimages differs: $page"
      same "$w" "$h" "$v/src.pbm" "$v/mutool.pbm" && okM=$((okM + 1)) || echo "  mutool differs: $page"
      same "$w" "$h" "$v/src.pbm" "$v/gs.pbm" && okG=$((okG + 1)) || echo "  gs differs: $page"
    done
    echo "  $set: jbig2dec $okJ/$total, pdfimages $okP/$total, mutool draw $okM/$total, gs $okG/$total"
  done
fi
