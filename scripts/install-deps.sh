#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Quillory needs.
# Idempotent: when all packages are present it changes nothing and does not touch apt.
set -euo pipefail

PKGS=(
  # build and libraries
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev libqt6printsupport6
  zlib1g-dev libjpeg62-turbo-dev libturbojpeg0-dev libpng-dev libtiff-dev libgif-dev
  libopenjp2-7-dev libimagequant-dev libwebp-dev libsane-dev libgtest-dev libgmock-dev
  fonts-dejavu-core qt6-translations-l10n
  qt6-l10n-tools qt6-tools-dev  # lupdate/lrelease and their CMake functions for the translations
  libtesseract-dev tesseract-ocr-deu tesseract-ocr-eng  # text recognition and its languages
  # tools the tests and benchmarks run
  xvfb xauth x11-apps imagemagick graphicsmagick poppler-utils qpdf mupdf-tools ghostscript
  jbig2dec libopenjp2-tools libtiff-tools libjpeg-turbo-progs sane-utils img2pdf time bc
  sane-airscan  # network scanners (eSCL/AirScan, WSD) for the scanner list
  tesseract-ocr ocrmypdf  # bench/ocr.sh: Tesseract's own words, and the peer it is timed against
  cups-daemon cups-client cups-filters  # printing tests start a private print server of their own
  netpbm  # ILBM converters, an independent check of the IFF/LBM codec
  python3-fonttools  # reads the text layer's font program back in the PDF writer's tests
  # the installed files and the Debian package: icon rendering, their checkers, packaging
  librsvg2-bin desktop-file-utils appstream libxml2-utils shared-mime-info xdg-utils
  libfile-mimeinfo-perl man-db groff-base dpkg-dev file
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
