#!/bin/sh
# Builds the package again from a copy of the sources in another folder, with the same maintainer
# and the times SOURCE_DATE_EPOCH gives, and checks that it comes out byte for byte the same as the
# one given.
set -eu
: "${SOURCE_DATE_EPOCH:?the times of the package must be given}"
deb=$(realpath "$1")
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(dirname "$deb")
maintainer=$(sed -n 's/^TRACKPLOT_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")
copy=$(mktemp -d /tmp/trackplot-again.XXXXXX)
trap 'rm -rf "$copy"' EXIT
tar -C "$src" --exclude=./build -cf - . | tar -C "$copy" -xf -
cd "$copy"
cmake --preset release -DTRACKPLOT_MAINTAINER="$maintainer" >/dev/null
cmake --build --preset release -j2 >/dev/null
cd build/release
cpack -G DEB >/dev/null
if ! cmp "$deb" "$copy/build/release/$(basename "$deb")"; then
  echo "a second build, from a copy of the sources in another folder, gives other bytes" >&2
  exit 1
fi
echo "a second build, from another folder, gives the same bytes: $(basename "$deb")"
