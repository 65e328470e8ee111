#!/usr/bin/env bash
# Installs what the project needs, builds it, and runs every test: a normal build, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for a bounded time.
# FUZZ_SECONDS sets the time per fuzz target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j2

# fontconfig's one-time configuration lives until exit; that is not a leak of ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEPHRAX_SANITIZE=ON
cmake --build build-sanitize
ctest --test-dir build-sanitize --output-on-failure -j2

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNEPHRAX_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz
scripts/run-fuzz.sh build-fuzz "${FUZZ_SECONDS:-30}"

echo "All checks passed."
