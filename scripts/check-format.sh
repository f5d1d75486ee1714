#!/usr/bin/env bash
# Checks (or with --fix, applies) the formatting of every C++ file git tracks or would track (new
# files before their first commit too). Formatting differs between clang-format releases, so it runs
# the release of scripts/toolchain.sh by its versioned name.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/toolchain.sh
source scripts/toolchain.sh

if [ "${1:-}" = "--fix" ]; then
  git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp' | xargs "$CLANG_FORMAT" -i
else
  git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp' | xargs "$CLANG_FORMAT" --dry-run --Werror
fi
