#!/bin/sh
# Runs the benchmarks against an optimised build: sh bench/run.sh BUILD_DIR
# Every figure is printed beside a baseline measured in the same run.
set -eu
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mk=$build/bench/make_input
pw=$build/postwright/postwright
iw=$build/inwright/inwright

# Wall-clock seconds of a command, best of three.
best_of_3() {
  best=
  for _ in 1 2 3; do
    t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N)
    t=$(awk "BEGIN { printf \"%.6f\", $t1 - $t0 }")
    if [ -z "$best" ] || awk "BEGIN { exit !($t < $best) }"; then best=$t; fi
  done
  echo "$best"
}
mbps() { awk "BEGIN { printf \"%.1f\", $1 / 1000000 / $2 }"; }
calc() { awk "BEGIN { printf \"%.4f\", $1 }"; }
size() { wc -c <"$1"; }

echo "== scanner engine (infix rules, classifying actions only)"
"$mk" infix 40 >"$work/in.infix"
"$build/bench/scan_bench" "scanner" "$work/in.infix"

echo "== whole programs on 40 MB (baseline: cat of the same file)"
"$mk" postfix 40 >"$work/in.postfix"
for job in "postwright $work/in.infix" "inwright $work/in.postfix"; do
  set -- $job
  prog=$1 input=$2
  base=$(best_of_3 cat "$input")
  run=$(best_of_3 "$build/$prog/$prog" "$input" "$work/out")
  printf '%-10s %6s MB  cat %8s MB/s  %s %7s MB/s  (%.3f of cat)\n' "$prog" "$(mbps "$(size "$input")" 1)" \
    "$(mbps "$(size "$input")" "$base")" "$prog" "$(mbps "$(size "$input")" "$run")" "$(calc "$base / $run")"
done

echo "== round trip infix -> postfix -> infix on 40 MB"
t=$(best_of_3 sh -c "'$pw' '$work/in.infix' '$work/rt.postfix' && '$iw' '$work/rt.postfix' '$work/rt.infix'")
printf 'round trip %s s  (%s MB/s of infix input)\n' "$t" "$(mbps "$(size "$work/in.infix")" "$t")"

echo "== inwright on one statement of N operands (time per operand should stay flat)"
for kind in left right not; do
  for n in 10000 100000 1000000; do
    "$mk" chain $n $kind >"$work/chain"
    t=$(best_of_3 "$iw" "$work/chain" "$work/out")
    printf '%-5s N=%-8s %8.4f s  %8.1f ns/operand\n' "$kind" "$n" "$t" "$(calc "$t * 1000000000 / $n")"
  done
done

echo "== postwright on a & a & ... of N operands"
for n in 10000 100000 1000000; do
  "$mk" chain $n infix >"$work/chain"
  t=$(best_of_3 "$pw" "$work/chain" "$work/out")
  printf 'infix N=%-8s %8.4f s  %8.1f ns/operand\n' "$n" "$t" "$(calc "$t * 1000000000 / $n")"
done
