#!/bin/sh
# Builds the package again from a copy of the sources in another folder, with the same maintainer
# and times, and checks that it comes out byte for byte the same as the one given.
set -eu
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
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l changelog -S Timestamp)} \
  cpack -G DEB >/dev/null
if ! cmp "$deb" "$copy/build/release/$(basename "$deb")"; then
  echo "a second build, from a copy of the sources in another folder, gives other bytes" >&2
  exit 1
fi
echo "a second build, from another folder, gives the same bytes: $(basename "$deb")"
