#!/bin/sh
# The Debian packages that building, testing and packaging need: the only copy of the list.
# Does nothing when all are installed; as root with apt it installs what is missing,
# otherwise it prints the command to run and exits 1.
set -eu

packages="cmake make g++ clang libclang-rt-14-dev libgtest-dev groff-base clang-format mandoc
lintian dpkg-dev file"

missing=
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # shellcheck disable=SC2086 # one word per package
  apt-get install -y --no-install-recommends $missing
  exit 0
fi

echo "Missing packages:$missing" >&2
echo "Install them as root with: apt-get update && apt-get install -y --no-install-recommends$missing" >&2
exit 1
