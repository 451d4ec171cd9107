#!/bin/sh
# The main job: convert the bundled examples infix -> postfix -> infix and show each step.
# Usage: sh examples/run.sh BUILD_DIR
set -eu
build=${1:-build/release}
here=$(dirname "$0")
out=$build/examples
mkdir -p "$out"

echo "== postwright: examples/features.infix -> $out/features.postfix"
"$build/postwright/postwright" "$here/features.infix" "$out/features.postfix"
cat "$out/features.postfix"

echo "== inwright: $out/features.postfix -> $out/features.roundtrip.infix"
"$build/inwright/inwright" "$out/features.postfix" "$out/features.roundtrip.infix"
cat "$out/features.roundtrip.infix"

echo "== inwright: examples/features.postfix -> $out/features.infix"
"$build/inwright/inwright" "$here/features.postfix" "$out/features.infix"
cat "$out/features.infix"
