# The front door: `make demo` runs the example on bundled data, `make test` runs every test,
# `make check` the quick inner loop (release build, C++ and Python suites).
BUILD_DIR ?= build/release
SANITIZE_DIR ?= build/sanitize
PYTHON ?= /usr/bin/python3
GENERATOR := -G Ninja

.PHONY: all deps build demo check test bench fuzz install format format-check clean

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

# Copies tamri.abi3.so and tamri.pyi into the site-packages of PYTHON (any CPython >= 3.11) and
# the tamri command-line tool into PYTHON's scripts directory.
install: build
	scripts/install.sh $(PYTHON) $(BUILD_DIR)

format:
	scripts/check-format.sh --fix

format-check:
	scripts/check-format.sh

clean:
	rm -rf build
