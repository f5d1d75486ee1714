#!/usr/bin/env bash
# Builds tamri and runs every test. Release build: the C++ suite, then the wheel built from the
# checkout and installed into a fresh virtual environment, where the Python suite, the tool tests
# and the type check run against the installed copy, and a short soak. Then both suites built with
# Clang, both again under AddressSanitizer and UndefinedBehaviorSanitizer, and last a short run of
# every fuzz target from its seeds. With --release-only (`make check`), only the release build and
# its two suites (ctest), against the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/toolchain.sh
source scripts/toolchain.sh

PYTHON=${PYTHON:-/usr/bin/python3}
RELEASE_DIR=build/release
SANITIZE_DIR=build/sanitize
VENV=build/venv

# Configures and builds one build folder.
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DPython3_EXECUTABLE="$PYTHON" -DTAMRI_BUILD_PYTHON=ON -DTAMRI_BUILD_CLI=ON \
    -DTAMRI_BUILD_TESTS=ON -DTAMRI_WERROR=ON "$@"
  cmake --build "$dir"
}

# ctest in one build folder: the C++ and the Python suite, or those the options select.
run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "$@"
}

# The wheel of the release build, installed as a user would into a fresh virtual environment that
# sees Debian's packages; the Python suite and the tool tests then run from outside the checkout
# against that copy, and uninstalling must leave nothing behind.
test_installed_wheel() {
  local checkout venv
  checkout=$(pwd)
  venv="$checkout/$VENV"
  rm -rf dist "$VENV"
  TAMRI_BUILD_DIR="$RELEASE_DIR" "$PYTHON" -m pip wheel --quiet --no-build-isolation --no-deps --wheel-dir dist .
  "$PYTHON" -m venv --system-site-packages "$VENV"
  "$venv/bin/python" -m pip install --quiet --no-deps dist/tamri-"$(cat VERSION)"-cp311-abi3-linux_x86_64.whl
  (
    cd "$(mktemp -d)"
    "$venv/bin/python" -c 'import sys, tamri; sys.exit(0 if tamri.__file__.startswith(sys.prefix) else tamri.__file__)'
    env TAMRI_CLI="$venv/bin/tamri" TAMRI_INSTALLED=1 PYTHONDONTWRITEBYTECODE=1 \
      "$venv/bin/python" -m pytest -q -p no:cacheprovider "$checkout/python/tests"
  )
  "$venv/bin/python" -m pip uninstall --quiet --yes tamri
  local left
  left=$(find "$VENV" -name 'tamri*')
  if [ -n "$left" ]; then
    echo "pip uninstall left files behind: $left" >&2
    exit 1
  fi
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
build "$RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF -DTAMRI_BUILD_BENCH=ON
if [ "${1:-}" = "--release-only" ]; then
  run_ctest "$RELEASE_DIR"
  exit 0
fi
echo "== formatting"
scripts/check-format.sh
run_ctest "$RELEASE_DIR" -E tamri_python_tests
echo "== the wheel, installed into a fresh virtual environment"
test_installed_wheel
run_soak "$RELEASE_DIR/python" ""

echo "== Clang build (the second supported compiler)"
build build/clang -DCMAKE_CXX_COMPILER="$CLANG_CXX" -DCMAKE_BUILD_TYPE=Release -DTAMRI_SANITIZE=OFF \
  -DTAMRI_BUILD_BENCH=OFF
run_ctest build/clang

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_init_order=1
# The Python suite preloads the sanitizer runtime the build names (that of the compiler that built
# the module), since the interpreter itself is not instrumented.
build "$SANITIZE_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRI_SANITIZE=ON -DTAMRI_BUILD_BENCH=OFF
run_ctest "$SANITIZE_DIR"
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
