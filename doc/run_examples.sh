#!/bin/sh
# Runs the command lines of a manual page's EXAMPLES section (the lines between .EX and .EE)
# in a copy of the sample files, as a reader would: each must succeed, and none may change a
# shipped sample.
# Usage: sh doc/run_examples.sh PAGE EXAMPLES_DIR POSTWRIGHT INWRIGHT
set -eu
page=$1 examples=$2
PATH=$(dirname "$3"):$(dirname "$4"):$PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sed -n '/^\.SH EXAMPLES/,/^\.SH SEE ALSO/p' "$page" |
  sed -n '/^\.EX/,/^\.EE/p' | sed '/^\.E[XE]$/d; s/\\-/-/g; s/\\e/\\/g' >"$work/commands"
test -s "$work/commands" || { echo "no examples in $page"; exit 1; }

mkdir "$work/samples"
cp "$examples"/features.* "$work/samples"
cd "$work/samples"
before=$(cksum features.*)
while IFS= read -r command; do
  echo "\$ $command"
  sh -c "$command" || { echo "failed with status $?: $command"; exit 1; }
done <"$work/commands"
after=$(cksum $(printf '%s\n' "$before" | awk '{print $3}'))
test "$before" = "$after" || { echo "an example changed a shipped sample"; exit 1; }
