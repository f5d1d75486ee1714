#!/usr/bin/env bash
# Installs the Debian packages tamri needs to build, test and benchmark; with --bench also the
# tools the benchmarks compare against. Idempotent: when every package is present it only checks
# and returns.
set -euo pipefail
# shellcheck source=scripts/toolchain.sh
source "$(dirname "$0")/toolchain.sh"

packages=(
  build-essential g++ "${CLANG_PACKAGES[@]}" cmake ninja-build make pkg-config git
  python3 python3-dev python3-pytest python3-hypothesis python3-numpy mypy python3-distributed
  python3-venv python3-pip python3-setuptools python3-wheel
  rapidjson-dev libfmt-dev libssl-dev libcli11-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  hyperfine time
)
if [ "${1:-}" = "--bench" ]; then
  packages+=(seqkit python3-pyfastx)  # bench/cli_bench.sh; the NumPy peer of bench/arrays_bench.sh
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
