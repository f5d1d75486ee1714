#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (Clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, tamri_core instrumented for coverage) and runs each for FUZZ_SECONDS
# on its corpus: the inputs found so far in build/fuzz/corpus/<name> (where new ones go) and the
# seeds kept in fuzz/corpus/<name>. FUZZ_TARGETS names some targets (without "fuzz_"),
# FUZZ_CORPUS_DIR moves the working corpus. Crashing inputs land in build/fuzz/artifacts/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/toolchain.sh
source scripts/toolchain.sh

FUZZ_SECONDS=${FUZZ_SECONDS:-180}
FUZZ_DIR=build/fuzz
FUZZ_CORPUS_DIR=${FUZZ_CORPUS_DIR:-$FUZZ_DIR/corpus}
FUZZ_TARGETS=${FUZZ_TARGETS:-$(cd fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')}

cmake -S . -B "$FUZZ_DIR" -G Ninja -DCMAKE_CXX_COMPILER="$CLANG_CXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMRI_BUILD_FUZZ=ON -DTAMRI_SANITIZE=ON -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_PYTHON=OFF -DTAMRI_WERROR=ON
cmake --build "$FUZZ_DIR"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1
for name in $FUZZ_TARGETS; do
  corpus=$FUZZ_CORPUS_DIR/$name
  artifacts=$FUZZ_DIR/artifacts/$name/
  log=$FUZZ_DIR/logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  options=(-max_total_time="$FUZZ_SECONDS" -print_final_stats=1 -artifact_prefix="$artifacts")
  if [ -f "fuzz/$name.dict" ]; then
    options+=(-dict="fuzz/$name.dict")
  fi
  echo "== fuzz_$name for ${FUZZ_SECONDS}s (log: $log)"
  TIMEFORMAT="   %0R s wall, %0U s user, %0S s system"
  if ! time "$FUZZ_DIR/fuzz/fuzz_$name" "${options[@]}" "$corpus" "fuzz/corpus/$name" 2>"$log"; then
    tail -n 40 "$log"
    echo "fuzz_$name failed; the input is in $artifacts" >&2
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "$log" | sed 's/^/   /'
done
