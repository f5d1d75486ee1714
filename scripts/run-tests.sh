#!/usr/bin/env bash
# Builds tamri and runs every test: the C++ and Python suites in a release build, the C++ suite
# built with Clang (the binding is compiled too), then both suites again under AddressSanitizer
# and UndefinedBehaviorSanitizer, and last a short run of every fuzz target from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."

PYTHON=${PYTHON:-/usr/bin/python3}
RELEASE_DIR=build/release
SANITIZE_DIR=build/sanitize

build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DPython3_EXECUTABLE="$PYTHON" -DTAMRI_BUILD_PYTHON=ON -DTAMRI_BUILD_TESTS=ON \
    -DTAMRI_WERROR=ON "$@"
  cmake --build "$dir"
}

# Runs the Python suite against the module and the command-line tool of one build.
run_pytest() {
  local build_dir=$1
  shift
  env PYTHONPATH="$build_dir/python" TAMRI_CLI="$build_dir/cli/tamri" PYTHONDONTWRITEBYTECODE=1 "$@" \
    "$PYTHON" -m pytest -q -p no:cacheprovider python/tests
}

# The short soak: every function and constructor called a few hundred times, with reference counts
# and the resident set checked. Usage: run_soak MODULE_DIR "SOAK OPTIONS" [NAME=VALUE...]
run_soak() {
  local module_dir=$1 options=$2
  shift 2
  # shellcheck disable=SC2086 # the options are words
  env PYTHONPATH="$module_dir" PYTHONDONTWRITEBYTECODE=1 "$@" "$PYTHON" bench/soak.py --short $options
}

echo "== formatting"
scripts/check-format.sh

echo "== release build"
build "$RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=ON
ctest --test-dir "$RELEASE_DIR" --output-on-failure -j "$(nproc)"
run_pytest "$RELEASE_DIR"
run_soak "$RELEASE_DIR/python" ""

echo "== Clang build (the second supported compiler)"
build build/clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=OFF
ctest --test-dir build/clang --output-on-failure -j "$(nproc)"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
build "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRI_SANITIZE=ON -DTAMRI_BUILD_BENCH=OFF
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_init_order=1
ctest --test-dir "$SANITIZE_DIR" --output-on-failure -j "$(nproc)"
# The interpreter itself is not instrumented: preload the sanitizer runtime the build names (that
# of the compiler that built the module) and send every allocation through malloc so that leaks
# and overruns of Python objects are seen too.
sanitized=(LD_PRELOAD="$(cat "$SANITIZE_DIR/python/sanitizer-preload")" PYTHONMALLOC=malloc TAMRI_SANITIZED=1)
run_pytest "$SANITIZE_DIR" "${sanitized[@]}"
# AddressSanitizer keeps freed memory in quarantine and pads every allocation, so the resident set
# measures the sanitizer, not us: the soak checks only reference counts here, and LeakSanitizer
# reports at exit any C++ allocation a call lost.
run_soak "$SANITIZE_DIR/python" --skip-rss "${sanitized[@]}"

echo "== fuzz smoke run (Clang, libFuzzer, ASan+UBSan)"
# Every seed and kept crash input, then a few seconds of mutation; new inputs go to a throwaway
# corpus so that CI runs stay independent of each other.
rm -rf build/fuzz/smoke-corpus
FUZZ_SECONDS=3 FUZZ_CORPUS_DIR=build/fuzz/smoke-corpus scripts/run-fuzz.sh
