#!/bin/sh
# make fuzz: runs each fuzz target in turn for SECONDS on its saved corpus with its
# dictionary (the language's tokens, or the command line's words), one process at a time and
# niced. New inputs go into a scratch corpus in the build tree (BUILD/corpus/TARGET), never
# into the repository: copy an input that found a fault into fuzz/corpus/TARGET by hand,
# after minimising it. Crash inputs are written to BUILD/artifacts; the script fails if any
# target crashed. Inputs are at most MAX_LEN bytes (default 4096); the fuzz build's buffers
# are a few bytes (SMALL_BUFFERS), so even short inputs cross the refills, the growth of the
# input buffer and the output flushes.
# Usage: fuzz/run.sh BUILD SECONDS [MAX_LEN]
set -u
build=$1 seconds=$2 max_len=${3:-4096}
source=$(cd "$(dirname "$0")" && pwd)
failed=
mkdir -p "$build/artifacts"
for target in postwright inwright roundtrip command_line diagnostics; do
  scratch=$build/corpus/$target
  mkdir -p "$scratch"
  dict=$source/tokens.dict
  [ "$target" = command_line ] && dict=$source/options.dict
  echo "== $target: $seconds s, scratch corpus $scratch"
  # stderr of the programs (postwright's parse errors) is silenced; libFuzzer's own output and
  # the sanitizers' reports are not. The diagnostics target reads what the programs write to
  # the C library's stderr through a scratch file of its own.
  if ! nice -n 10 "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -dict="$dict" \
    -close_fd_mask=2 -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$scratch" "$source/corpus/$target"; then
    failed="$failed $target"
    continue
  fi
  # Keeps the scratch corpus to the inputs that add coverage.
  rm -rf "$scratch.merged" && mkdir "$scratch.merged"
  nice -n 10 "$build/fuzz/${target}_fuzz" -merge=1 -close_fd_mask=2 -max_len="$max_len" "$scratch.merged" "$scratch" \
    >"$build/corpus/$target.merge.log" 2>&1 && rm -rf "$scratch" && mv "$scratch.merged" "$scratch"
done
if [ -n "$failed" ]; then
  echo "fuzz: crashes in:$failed (inputs in $build/artifacts)" >&2
  exit 1
fi
