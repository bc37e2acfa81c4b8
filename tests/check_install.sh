#!/bin/sh
# Installs a build under a scratch root through DESTDIR and checks that the program, its compressed
# manual page and its copyright and changelog land where a Debian system looks for them, and
# nothing else does.
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$1" --prefix /usr >/dev/null
found=$(cd "$root" && find . -type f | sort | tr '\n' ' ')
want="./usr/bin/trackplot ./usr/share/doc/trackplot/changelog.gz ./usr/share/doc/trackplot/copyright \
./usr/share/man/man1/trackplot.1.gz "
[ "$found" = "$want" ] || {
  echo "installed: $found"
  exit 1
}
"$root/usr/bin/trackplot" "$root/nothing" 2>&1 | grep -q "nothing no such file"
# The changelog names the version being installed.
gzip -dc "$root/usr/share/doc/trackplot/changelog.gz" | head -n 1 | grep -qF "trackplot ($2)"
