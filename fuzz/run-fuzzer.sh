#!/bin/sh
# run-fuzzer.sh TARGET SECONDS SEEDDIR...
# Runs a libFuzzer target for a while on a scratch corpus seeded from the given folders.
set -eu
target=$1
seconds=$2
shift 2
# A small quarantine keeps the sanitizer runtime's memory well under the RSS limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}quarantine_size_mb=32"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds=""
for d in "$@"; do
  [ -d "$d" ] && seeds="$seeds $d"
done
# shellcheck disable=SC2086
"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
  -artifact_prefix=./crash- "$work" $seeds
