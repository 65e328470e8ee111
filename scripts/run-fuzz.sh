#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each from a small seed corpus.
# Usage: scripts/run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seeds: a small valid source file, its compressed twin and a visible-channel twin; a setup file
# as the program writes it; the start of a real coastline file; the sample's track file.
mkdir -p "$work/source_reader_fuzz" "$work/setup_file_fuzz" "$work/coastline_file_fuzz" \
  "$work/track_file_fuzz"
head -c 4096 data/coast/msMap30.dat >"$work/coastline_file_fuzz/seed.dat"
cp data/sample/hst/*.HST "$work/track_file_fuzz/"
"$bin/make_sample" "$work/source_reader_fuzz/seed.dat" --width 16 --height 8 >/dev/null
(cd "$work/source_reader_fuzz" && cp seed.dat packed.dat && mscompress packed.dat >/dev/null && rm packed.dat)
# The same image as a visible channel, which the reader corrects when the input's last byte asks.
(cd "$work/source_reader_fuzz" && cp seed.dat visible.dat &&
  printf 'GEO-VS\0\0' | dd of=visible.dat bs=1 seek=4 conv=notrunc status=none)
"$bin/nephrax" "-s=$work/setup_file_fuzz/seed.ini" "$work/none" "$work/none.bmp" >/dev/null 2>&1 || true

for target in "$bin"/*_fuzz; do
  name=$(basename "$target")
  corpus="$work/$name"
  mkdir -p "$corpus"
  echo "fuzzing $name for ${seconds}s"
  status=0
  "$target" "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 \
    -print_final_stats=1 >"$work/$name.log" 2>&1 || status=$?
  # The readers' own one-line messages are their normal output; show the fuzzer's report.
  grep -av $'error\.\r$' "$work/$name.log" | tail -n 40 || true
  [ "$status" -eq 0 ] || { echo "$name failed with status $status"; exit 1; }
done
