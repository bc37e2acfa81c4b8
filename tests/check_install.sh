#!/bin/sh
# Installs a build under a scratch root through DESTDIR and checks that the program and its manual
# page land where a Debian system looks for them, and nothing else does.
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$1" --prefix /usr >/dev/null
found=$(cd "$root" && find . -type f | sort | tr '\n' ' ')
[ "$found" = "./usr/bin/trackplot ./usr/share/man/man1/trackplot.1 " ] || {
  echo "installed: $found"
  exit 1
}
"$root/usr/bin/trackplot" "$root/nothing" 2>&1 | grep -q "nothing no such file"
