#!/bin/sh
# Installs the build under a scratch DESTDIR and prefix, as make install does, and compares
# the tree (every directory and file with its mode) with the list below; the installed
# programs must run and convert the installed examples, need no library but the C library, and
# the compressed files must be whole.
# Usage: sh tests/package/installed_tree.sh BUILD_DIR
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /opt/pw >/dev/null
cd "$root/opt/pw"

find . -mindepth 1 -printf '%m %P\n' | sort -k2 >"$root/actual"
cat >"$root/expected" <<'LIST'
755 bin
755 bin/inwright
755 bin/postwright
755 share
755 share/doc
755 share/doc/postwright
644 share/doc/postwright/changelog.gz
644 share/doc/postwright/copyright
755 share/doc/postwright/examples
644 share/doc/postwright/examples/features.infix
644 share/doc/postwright/examples/features.infix.expected
644 share/doc/postwright/examples/features.postfix
644 share/doc/postwright/examples/features.postfix.expected
755 share/man
755 share/man/man1
644 share/man/man1/inwright.1.gz
644 share/man/man1/postwright.1.gz
LIST
diff -u "$root/expected" "$root/actual"

gzip -t share/doc/postwright/changelog.gz share/man/man1/*.gz
zcat share/man/man1/postwright.1.gz | grep -q '^\.TH POSTWRIGHT 1 [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] "postwright [0-9]'
examples=share/doc/postwright/examples
bin/postwright -q $examples/features.infix - | cmp - $examples/features.infix.expected
bin/inwright -q $examples/features.postfix - | cmp - $examples/features.postfix.expected
# The programs need the C library alone: the C++ runtime (a local static's guard is enough to
# pull it in) would add more than a MiB to every run's memory and time to its start.
for program in bin/postwright bin/inwright; do
  needed=$(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }')
  [ "$needed" = libc.so.6 ] || { echo "$program needs: $needed" >&2; exit 1; }
done
echo "installed tree as expected"
