# The front door: `make demo` runs the example on bundled data, `make test` runs every test,
# `make check` the quick inner loop (release build, C++ and Python suites).
BUILD_DIR ?= build/release
SANITIZE_DIR ?= build/sanitize
PYTHON ?= /usr/bin/python3
GENERATOR := -G Ninja

.PHONY: all deps build demo check test bench fuzz wheel install format format-check clean

all: build

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DPython3_EXECUTABLE=$(PYTHON)
	cmake --build $(BUILD_DIR)

demo: build
	PYTHONPATH=$(BUILD_DIR)/python TAMRI_CLI=$(BUILD_DIR)/cli/tamri $(PYTHON) examples/demo.py examples/data/demo.fasta examples/package/manifest.json

check: deps
	PYTHON=$(PYTHON) scripts/run-tests.sh --release-only

test: deps
	PYTHON=$(PYTHON) scripts/run-tests.sh

bench:
	scripts/install-deps.sh --bench
	scripts/run-bench.sh

# Every libFuzzer target for FUZZ_SECONDS (default 180) each, e.g. `make fuzz FUZZ_SECONDS=600`.
fuzz: deps
	scripts/run-fuzz.sh

# dist/tamri-<version>-cp311-abi3-linux_x86_64.whl, one wheel for every CPython >= 3.11, built by
# Debian's setuptools running the project's CMake build (build/wheel).
wheel: deps
	rm -rf dist
	/usr/bin/python3 -m pip wheel --no-build-isolation --no-deps --wheel-dir dist .

# Installs the wheel with PYTHON's pip, e.g. `make install PYTHON=~/venvs/tamri/bin/python`.
install: wheel
	scripts/install.sh $(PYTHON)

format:
	scripts/check-format.sh --fix

format-check:
	scripts/check-format.sh

clean:
	rm -rf build dist *.egg-info python/*.egg-info
