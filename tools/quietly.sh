#!/bin/sh
# Runs a command and shows its output only when it fails, or always with VERBOSE=1: the build
# steps of make run, whose directory chatter and generator statistics would bury the
# conversions that it shows.
# Usage: sh tools/quietly.sh COMMAND [ARGUMENT]...
set -u
if [ "${VERBOSE:-}" = 1 ]; then
  exec "$@"
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if "$@" >"$log" 2>&1; then
  exit 0
else
  status=$?
fi
cat "$log" >&2
exit "$status"
