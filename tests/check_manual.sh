#!/bin/sh
# Each manual page must format without a single warning, and name the project's version, as read
# from the source tree too.
version=$1
shift
for page; do
  out=$(groff -ww -mandoc -z "$page" 2>&1) || exit 1
  [ -z "$out" ] || { printf '%s: %s\n' "$page" "$out"; exit 1; }
  head -n 1 "$page" | grep -qF "\"trackplot $version\"" || { echo "not version $version: $page"; exit 1; }
done
