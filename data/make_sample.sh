#!/usr/bin/env bash
# Remakes the bundled sample: data/sample/sample.ir, written by the make_sample tool, and
# data/sample/sample.ir_, the same file LZ-compressed (SZDD) by mscompress.
#
# The tool is built (or brought up to date) in the build directory first: $BUILD_DIR, by default
# build/ at the top of the source tree.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
out_dir="$root/data/sample"

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja
fi
cmake --build "$build_dir" --target make_sample

mkdir -p "$out_dir"
"$build_dir/bin/make_sample" "$out_dir/sample.ir"
# mscompress writes its output next to the input, named with "_" appended, and will
# not overwrite an existing file.
rm -f "$out_dir/sample.ir_"
mscompress "$out_dir/sample.ir"
ls -l "$out_dir"
