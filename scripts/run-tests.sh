#!/usr/bin/env bash
# Builds tamri and runs every test: the C++ and Python suites (both under ctest) and a short soak
# in a release build, both suites built with Clang, then both suites again under AddressSanitizer
# and UndefinedBehaviorSanitizer, and last a short run of every fuzz target from its seeds.
# With --release-only (`make check`), only the release build and its two suites.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/toolchain.sh
source scripts/toolchain.sh

PYTHON=${PYTHON:-/usr/bin/python3}
RELEASE_DIR=build/release
SANITIZE_DIR=build/sanitize

# Configures, builds and runs ctest (the C++ and the Python suite) in one build folder.
build_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DPython3_EXECUTABLE="$PYTHON" -DTAMRI_BUILD_PYTHON=ON -DTAMRI_BUILD_CLI=ON \
    -DTAMRI_BUILD_TESTS=ON -DTAMRI_WERROR=ON "$@"
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

# The short soak: every function and constructor called a few hundred times, with reference counts
# and the resident set checked. Usage: run_soak MODULE_DIR "SOAK OPTIONS" [NAME=VALUE...]
run_soak() {
  local module_dir=$1 options=$2
  shift 2
  # shellcheck disable=SC2086 # the options are words
  env PYTHONPATH="$module_dir" PYTHONDONTWRITEBYTECODE=1 "$@" "$PYTHON" bench/soak.py --short $options
}

echo "== release build"
build_and_test "$RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=ON
if [ "${1:-}" = "--release-only" ]; then
  exit 0
fi
echo "== formatting"
scripts/check-format.sh
run_soak "$RELEASE_DIR/python" ""

echo "== Clang build (the second supported compiler)"
build_and_test build/clang -DCMAKE_CXX_COMPILER="$CLANG_CXX" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF \
  -DTAMRI_BUILD_BENCH=OFF

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_init_order=1
# The Python suite preloads the sanitizer runtime the build names (that of the compiler that built
# the module), since the interpreter itself is not instrumented.
build_and_test "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRI_SANITIZE=ON -DTAMRI_BUILD_BENCH=OFF
# AddressSanitizer keeps freed memory in quarantine and pads every allocation, so the resident set
# measures the sanitizer, not us: the soak checks only reference counts here, and LeakSanitizer
# reports at exit any C++ allocation a call lost.
run_soak "$SANITIZE_DIR/python" --skip-rss \
  LD_PRELOAD="$(cat "$SANITIZE_DIR/python/sanitizer-preload")" PYTHONMALLOC=malloc TAMRI_SANITIZED=1

echo "== fuzz smoke run (Clang, libFuzzer, ASan+UBSan)"
# Every seed and kept crash input, then a few seconds of mutation; new inputs go to a throwaway
# corpus so that CI runs stay independent of each other.
rm -rf build/fuzz/smoke-corpus
FUZZ_SECONDS=3 FUZZ_CORPUS_DIR=build/fuzz/smoke-corpus scripts/run-fuzz.sh
