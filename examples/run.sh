#!/bin/sh
# The main job: convert the bundled examples infix -> postfix -> infix (also in the readable
# form) and postfix -> infix, show each step, and compare each result that has an expected
# file (worked out by hand, beside the input) with it. Any difference fails the run with the
# differences shown.
# Usage: sh examples/run.sh BUILD_DIR
set -eu
build=${1:-build/release}
here=$(dirname "$0")
out=$build/examples
mkdir -p "$out"

# RESULT EXPECTED: silent when equal, else the differences and status 1.
check() {
  if cmp -s "$1" "$2"; then
    echo "== ok: $1 is $2"
  else
    echo "== FAILED: $1 differs from $2:" >&2
    diff -u "$2" "$1" >&2 || true
    exit 1
  fi
}

echo "== postwright: $here/features.infix -> $out/features.postfix"
"$build/postwright/postwright" "$here/features.infix" "$out/features.postfix"
cat "$out/features.postfix"
check "$out/features.postfix" "$here/features.infix.expected"

echo "== inwright: $out/features.postfix -> $out/features.roundtrip.infix"
"$build/inwright/inwright" "$out/features.postfix" "$out/features.roundtrip.infix"
cat "$out/features.roundtrip.infix"

echo "== inwright --readable: $out/features.postfix -> $out/features.readable.infix"
"$build/inwright/inwright" --readable "$out/features.postfix" "$out/features.readable.infix"
cat "$out/features.readable.infix"

echo "== inwright: $here/features.postfix -> $out/features.infix"
"$build/inwright/inwright" "$here/features.postfix" "$out/features.infix"
cat "$out/features.infix"
check "$out/features.infix" "$here/features.postfix.expected"
