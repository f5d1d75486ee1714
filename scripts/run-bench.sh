#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs every core benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=ON \
  -DPython3_EXECUTABLE="${PYTHON:-/usr/bin/python3}"
cmake --build build/release
for program in build/release/bench/bench_*; do
  echo "== $program"
  "$program"
done
