#!/usr/bin/env bash
# Copies the built module and its type stubs into the site-packages of the given interpreter, and
# the command-line tool into that interpreter's scripts directory (where pip puts console scripts).
# Usage: scripts/install.sh /path/to/python3 build/release
set -euo pipefail
python=$1
build_dir=$2
"$python" -c 'import sys; sys.exit(0 if sys.version_info >= (3, 11) else "tamri needs CPython >= 3.11")'
read -r site_packages scripts < <("$python" -c \
  'import sysconfig; paths = sysconfig.get_paths(); print(paths["platlib"], paths["scripts"])')
mkdir -p "$site_packages" "$scripts"
cp "$build_dir/python/tamri.abi3.so" "$build_dir/python/tamri.pyi" "$site_packages/"
install -m 755 "$build_dir/cli/tamri" "$scripts/tamri"
echo "installed the tamri module into $site_packages and the tamri tool into $scripts"
