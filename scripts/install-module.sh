#!/usr/bin/env bash
# Copies the built module and its type stubs into the site-packages of the given interpreter.
# Usage: scripts/install-module.sh /path/to/python3 build/release/python
set -euo pipefail
python=$1
module_dir=$2
site_packages=$("$python" -c 'import sysconfig; print(sysconfig.get_paths()["platlib"])')
"$python" -c 'import sys; sys.exit(0 if sys.version_info >= (3, 11) else "tamri needs CPython >= 3.11")'
mkdir -p "$site_packages"
cp "$module_dir/tamri.abi3.so" "$module_dir/tamri.pyi" "$site_packages/"
echo "installed tamri into $site_packages"
