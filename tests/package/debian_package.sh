#!/bin/sh
# Builds the Debian package from the build tree, as make package does, and runs lintian on
# it: any error or warning fails. Also checks the name Debian gives such a file.
# Usage: sh tests/package/debian_package.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
set -- "$work"/*.deb
test $# -eq 1 || { echo "expected one package, found: $*"; exit 1; }
case $(basename "$1") in
  postwright_*-*_"$(dpkg --print-architecture)".deb) ;;
  *) echo "not a Debian package file name: $(basename "$1")"; exit 1 ;;
esac
dpkg-deb --info "$1"
dpkg-deb --contents "$1"
# lintian warns on standard error when run as root; its findings go to standard output.
lintian --fail-on error,warning "$1"
echo "lintian: no error and no warning"
