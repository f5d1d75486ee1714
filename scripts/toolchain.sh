# Sourced by the scripts: the one Clang release the project builds with (the second compiler),
# fuzzes with and formats with. Its compiler, clang-format and compiler runtime (sanitizers,
# libFuzzer) are installed together, so the three always match.
CLANG_MAJOR=14
CLANG_CXX=clang++-$CLANG_MAJOR
CLANG_FORMAT=clang-format-$CLANG_MAJOR
CLANG_PACKAGES=("clang-$CLANG_MAJOR" "clang-format-$CLANG_MAJOR" "libclang-rt-$CLANG_MAJOR-dev")
