#!/bin/sh
# The manual page must format without a single warning.
out=$(groff -ww -mandoc -z "$1" 2>&1) || exit 1
[ -z "$out" ] || { printf '%s\n' "$out"; exit 1; }
