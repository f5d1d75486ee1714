#!/usr/bin/env bash
# Checks (or with --fix, applies) the formatting of every tracked C++ file. Formatting differs
# between clang-format releases, so the one release CI checks with is named here and nowhere else.
set -euo pipefail
cd "$(dirname "$0")/.."

CLANG_FORMAT_MAJOR=14
version=$(clang-format --version)
if [[ ! $version =~ version\ ${CLANG_FORMAT_MAJOR}\. ]]; then
  echo "check-format: need clang-format ${CLANG_FORMAT_MAJOR}, found: ${version}" >&2
  exit 1
fi

if [ "${1:-}" = "--fix" ]; then
  git ls-files '*.cpp' '*.hpp' | xargs clang-format -i
else
  git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror
fi
