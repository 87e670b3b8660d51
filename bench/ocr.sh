#!/usr/bin/env bash
# bench/ocr.sh CORPUS [OUTDIR] [PAIRS] [LANGS]
#
# Searchable PDFs from the 20 bilevel text pages and the 20 colour pages of the benchmark corpus:
# quillory --ocr-lang=LANGS against ocrmypdf fed with the same pictures through img2pdf, in the
# same languages (default eng: ocrmypdf 14 hands several languages to Tesseract in an order that
# changes from run to run). The two run in pairs, one after the other (A B A B ...), and the
# median of the per-pair time ratios is printed (PAIRS pairs, default 3). Both jobs are timed
# whole: quillory from the pictures to the PDF, the peer from the pictures through img2pdf and
# ocrmypdf to its PDF.
#
# Sizes: quillory's file with text against its file without text (the same pages, no
# recognition) and against ocrmypdf's file.
#
# Text: for every page the words pdftotext extracts from quillory's file (-bbox-layout) are
# compared with the words the tesseract program reports for the same pixels with the same
# settings (LSTM engine, LANGS, the page's resolution; colour pages through the same grey copy
# quillory makes, ITU-R BT.601 luma rounded as Pillow's "L" conversion does), and each word's box
# with Tesseract's box turned into points on the page.
#
# CORPUS is built first when its two sets are missing (bench/make_corpus.sh), else only read. quillory is taken from build/release
# unless QUILLORY names another executable.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:?usage: bench/ocr.sh CORPUS [OUTDIR] [PAIRS] [LANGS]}
out=${2:-$(mktemp -d)}
pairs=${3:-3}
langs=${4:-eng}
quillory=${QUILLORY:-$here/../build/release/quillory}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The corpus is read only; it is built when the two sets are not there yet.
if [ ! -e "$corpus/bilevel/png/b20.png" ] || [ ! -e "$corpus/colour/png/c20.png" ]; then
  "$here/make_corpus.sh" "$corpus" > "$out/corpus.log" 2>&1 || {
    echo "building the corpus failed, see $out/corpus.log" >&2
    exit 1
  }
fi
[ -x "$quillory" ] || { echo "no quillory at $quillory (run make build)" >&2; exit 1; }
for tool in ocrmypdf img2pdf tesseract pdftotext /usr/bin/python3; do
  command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

# quillory's settings: JPEG at quality 75 for colour pages, everything else as it comes.
mkdir -p "$out/config"
printf '[TMainForm]\nJPEG2000_Checked=False\nJpegEd_Value=75\n' \
  > "$out/config/$(basename "$quillory").ini"
q() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$out/config" \
    XDG_STATE_HOME="$out/state" "$quillory" "$@"
}
export -f q
export quillory out

results="$out/results.txt"
: > "$results"

# timed OUTPUT COMMAND: runs the command once; prints "wall cpu rss size".
timed() {
  rm -f "$1"
  /usr/bin/time -f '%e %U %S %M' -o "$out/time.txt" bash -c "$2" > "$out/last.log" 2>&1 || {
    echo "failed: $2" >&2
    tail -5 "$out/last.log" >&2
    return 1
  }
  read -r wall user sys rss < "$out/time.txt"
  echo "$wall $(echo "$user + $sys" | bc) $rss $(stat -c %s "$1")"
}

for set in bilevel colour; do
  pages=$(ls "$corpus/$set/png/"*.png)
  list=$(printf "'%s' " $pages)
  n=$(echo "$pages" | wc -l)
  plain="$out/$set-plain.pdf"
  ours="$out/$set-quillory.pdf"
  peer="$out/$set-ocrmypdf.pdf"
  r=$(timed "$plain" "q $list '$plain'")
  echo "$set|quillory without text|$n|${r// /|}|-" >> "$results"
  for ((i = 0; i < pairs; i++)); do
    r=$(timed "$ours" "q --ocr-lang=$langs $list '$ours'")
    echo "$set|quillory --ocr|$n|${r// /|}|$i" >> "$results"
    r=$(timed "$peer" "img2pdf $list -o '$out/$set-img2pdf.pdf' && \
      ocrmypdf -q -l $langs '$out/$set-img2pdf.pdf' '$peer'")
    echo "$set|img2pdf + ocrmypdf|$n|${r// /|}|$i" >> "$results"
  done
done

# The words Tesseract reports for every page, from the pixels quillory recognises.
mkdir -p "$out/tess"
/usr/bin/python3 - "$corpus" "$out/tess" << 'EOF'
import sys, glob, os
from PIL import Image
corpus, dest = sys.argv[1], sys.argv[2]
for set in ("bilevel", "colour"):
    for f in sorted(glob.glob(f"{corpus}/{set}/png/*.png")):
        im = Image.open(f)
        name = os.path.join(dest, os.path.basename(f))
        if im.mode == "1":
            im.save(name, dpi=im.info.get("dpi", (300, 300)))
        else:
            im.convert("RGB").convert("L").save(name, dpi=im.info.get("dpi", (300, 300)))
EOF
for f in "$out/tess/"*.png; do
  OMP_THREAD_LIMIT=1 tesseract "$f" "${f%.png}" -l "$langs" --oem 1 tsv > /dev/null 2>&1
done

/usr/bin/python3 - "$results" "$out" "$corpus" << 'EOF'
import sys, glob, os, re, statistics, subprocess, collections, html
from PIL import Image
results, out, corpus = sys.argv[1], sys.argv[2], sys.argv[3]
rows = [l.rstrip("\n").split("|") for l in open(results)]
print("set      tool                    pages  wall s  cpu s  peak MB     KB  speed x")
for s in ("bilevel", "colour"):
    mine = {r[7]: float(r[3]) for r in rows if r[0] == s and r[1] == "quillory --ocr"}
    peer = {r[7]: float(r[3]) for r in rows if r[0] == s and r[1] == "img2pdf + ocrmypdf"}
    ratio = statistics.median(peer[k] / mine[k] for k in mine)
    for tool in ("quillory without text", "quillory --ocr", "img2pdf + ocrmypdf"):
        rs = [r for r in rows if r[0] == s and r[1] == tool]
        med = lambda i: statistics.median(float(r[i]) for r in rs)
        x = f"{ratio:7.2f}" if tool == "img2pdf + ocrmypdf" else ""
        print(f"{s:8} {tool:23} {rs[0][2]:>5} {med(3):7.2f} {med(4):6.1f} {med(5) / 1024:8.0f}"
              f" {med(6) / 1024:6.0f} {x}")
    size = lambda t: float([r for r in rows if r[0] == s and r[1] == t][-1][6])
    print(f"{s:8} size: with text / without {size('quillory --ocr') / size('quillory without text'):.3f}, "
          f"ocrmypdf / quillory {size('img2pdf + ocrmypdf') / size('quillory --ocr'):.2f}")

# Words and boxes, page by page.
print()
print("set      pages  Tesseract words  equal words  pages equal  boxes within 2 pt  largest difference pt")
for s in ("bilevel", "colour"):
    pdf = os.path.join(out, f"{s}-quillory.pdf")
    pngs = sorted(glob.glob(f"{corpus}/{s}/png/*.png"))
    total = same = equalPages = within = 0
    worst = 0.0
    for i, png in enumerate(pngs, 1):
        W, H = Image.open(png).size
        tsv = os.path.join(out, "tess", os.path.basename(png)[:-4] + ".tsv")
        tess = []
        for line in open(tsv, encoding="utf-8").read().splitlines()[1:]:
            f = line.split("\t")
            if len(f) == 12 and f[0] == "5" and f[11].strip():
                l, t, w, h = map(int, f[6:10])
                tess.append((f[11], l, t, l + w, t + h))
        xml = subprocess.run(["pdftotext", "-f", str(i), "-l", str(i), "-bbox-layout", pdf, "-"],
                             capture_output=True, text=True).stdout
        page = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', xml)
        pw, ph = float(page.group(1)), float(page.group(2))
        got = [(html.unescape(m.group(5)), *map(float, m.group(1, 2, 3, 4))) for m in re.finditer(
            r'<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>', xml)]
        # The picture fills the page: a pixel is pw / W points wide, ph / H tall, and pdftotext
        # measures from the top of the media box, one unit below the picture's top.
        kx, ky = pw / W, ph / H
        a = collections.Counter(t[0] for t in tess)
        b = collections.Counter(g[0] for g in got)
        total += len(tess)
        same += sum((a & b).values())
        equalPages += a == b
        # Each of Tesseract's words against the extracted word of the same text nearest to it.
        for word, l, t, r, bt in tess:
            box = (l * kx, t * ky - 1, r * kx, bt * ky - 1)
            cands = [g for g in got if g[0] == word]
            if not cands:
                continue
            near = min(cands, key=lambda g: abs(g[1] + g[3] - box[0] - box[2]) +
                       abs(g[2] + g[4] - box[1] - box[3]))
            d = max(abs(near[1] - box[0]), abs(near[2] - box[1]), abs(near[3] - box[2]),
                    abs(near[4] - box[3]))
            # Farther off than 20 points it is another occurrence of the word: this one was
            # not extracted as a word of its own (counted in the equal words already).
            if d < 20:
                within += d <= 2
                worst = max(worst, d)
    print(f"{s:8} {len(pngs):5} {total:16} {same:12} {equalPages:12} {within:18} {worst:21.2f}")
EOF
