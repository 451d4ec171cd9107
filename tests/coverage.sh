#!/bin/sh
# make coverage: the program lines (core/, postwright/, inwright/) that the test suite and the
# fuzz corpora reach together, by clang's source-based coverage. The build (the coverage
# preset) has the tiny buffers of the sanitizer and fuzz builds; every process it runs writes
# a profile. The suite runs first, the huge conversion left out; then each fuzz target's replay
# binary runs over the corpora in each CORPUS directory given (CORPUS/TARGET/*, for example
# the scratch corpora that make fuzz leaves in build/fuzz/corpus). Prints the summary by file,
# then every line no run reached, as FILE:LINE: text; the list is also kept in
# BUILD/unreached.txt.
# Usage: tests/coverage.sh BUILD [CORPUS...]
set -u
# Absolute, since every test runs in a directory of its own and writes its profile where
# LLVM_PROFILE_FILE says.
build=$(cd "$1" && pwd)
shift
source=$(cd "$(dirname "$0")/.." && pwd)
profiles=$build/profiles
rm -rf "$profiles" && mkdir -p "$profiles"
LLVM_PROFILE_FILE="$profiles/%p-%m.profraw"
export LLVM_PROFILE_FILE
ctest --test-dir "$build" --label-exclude huge -j2 >"$build/coverage-tests.log" 2>&1 ||
  echo "coverage: some tests failed, see $build/coverage-tests.log" >&2
for corpus in "$@"; do
  for target in postwright inwright roundtrip command_line diagnostics; do
    [ -d "$corpus/$target" ] || continue
    find "$corpus/$target" -type f -print0 | xargs -0 -r "$build/fuzz/${target}_fuzz" >/dev/null 2>&1 ||
      echo "coverage: a replay of $corpus/$target failed" >&2
  done
done
find "$profiles" -name '*.profraw' >"$build/profiles.list"
llvm-profdata merge -sparse -f "$build/profiles.list" -o "$build/coverage.profdata"
# Every executable that holds program code: the programs, the fuzz targets, the tests that
# link the programs' objects or compile their sources (the parse engine against tables made by
# hand, the scanner generator's tests against the tables each program links).
objects=
option=
for exe in postwright/postwright inwright/inwright fuzz/postwright_fuzz fuzz/inwright_fuzz fuzz/roundtrip_fuzz \
  fuzz/command_line_fuzz fuzz/diagnostics_fuzz tests/core/core_tests tests/inwright/inwright_tests \
  tests/postwright/postwright_tests tests/postwright/parse_engine_tests tests/postwright/parse_engine_hand_tests \
  tests/scangen/scangen_tests tests/scangen/scangen_infix_tables_tests; do
  [ -x "$build/$exe" ] || continue
  # llvm-cov takes its first argument for an executable whatever follows: the first is given
  # bare, the others with -object, and the source directories after them.
  objects="$objects $option $build/$exe"
  option=-object
done
# shellcheck disable=SC2086 # one word per option
llvm-cov report -instr-profile="$build/coverage.profdata" $objects "$source/core" "$source/postwright" \
  "$source/inwright"
# shellcheck disable=SC2086
llvm-cov export -format=lcov -instr-profile="$build/coverage.profdata" $objects "$source/core" \
  "$source/postwright" "$source/inwright" |
  awk -F'[:,]' '/^SF:/ { file = substr($0, 4); line = 0; delete text
                         while ((getline l < file) > 0) text[++line] = l; close(file) }
                /^DA:/ && $3 == 0 { print substr(file, length(source) + 2) ":" $2 ": " text[$2] }' \
    source="$source" >"$build/unreached.txt"
echo "unreached lines: $(wc -l <"$build/unreached.txt")"
cat "$build/unreached.txt"
