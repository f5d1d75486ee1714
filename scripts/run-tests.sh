#!/usr/bin/env bash
# Builds tamri and runs every test: the C++ and Python suites in a release build, the C++ suite
# built with Clang (the binding is compiled too), then both suites again under AddressSanitizer
# and UndefinedBehaviorSanitizer.
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

echo "== formatting"
scripts/check-format.sh

echo "== release build"
build "$RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=ON
ctest --test-dir "$RELEASE_DIR" --output-on-failure -j "$(nproc)"
run_pytest "$RELEASE_DIR"

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
run_pytest "$SANITIZE_DIR" \
  LD_PRELOAD="$(cat "$SANITIZE_DIR/python/sanitizer-preload")" \
  PYTHONMALLOC=malloc \
  TAMRI_SANITIZED=1
