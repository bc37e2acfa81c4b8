#!/bin/sh
# The manual page must format without a single warning, and name the project's version, as read
# from the source tree too.
out=$(groff -ww -mandoc -z "$1" 2>&1) || exit 1
[ -z "$out" ] || { printf '%s\n' "$out"; exit 1; }
head -n 1 "$1" | grep -qF "\"trackplot $2\"" || { echo "not version $2: $(head -n 1 "$1")"; exit 1; }
