#!/bin/sh
# The fuzz target takes the seed of its piece sizes from the last four bytes of an input, where
# FuzzedDataProvider takes integers from, and reads the bytes before them. Each seed of the corpus
# is laid out that way; this checks that what the reader gets of it is what its name says.
dir=$1
failed=0
expect() { # seed name, its text with the escapes of printf's %b
  if [ "$(head -c -4 "$dir/$1" | od -An -c)" != "$(printf '%b' "$2" | od -An -c)" ]; then
    echo "$1 holds:"
    head -c -4 "$dir/$1" | od -An -c
    failed=1
  fi
}
expect blanks '1\t2\r3\v4\f5 6\n'
expect control '1 2\n\0\0001\0033[2J 3'
expect letters '1 2\n3 abc\n'
expect limits '-2147483648 2147483647\n+0 -0\n'
expect lone '1 2 3'
expect nine_and_ten_digits '999999999 -999999999\n1000000000 +0000000007\n'
expect long_digits "$(printf '9%.0s' $(seq 38))x 1"
expect long_token "$(printf 'a%.0s' $(seq 300))"
expect pair '510 340\n'
expect too_large '2147483648 1'
expect zeros "$(printf '0%.0s' $(seq 32))42 7"
expect endless_digits "0 0 $(printf '1%.0s' $(seq 200))"
expect zeros_then_letters "0 0 $(printf '0%.0s' $(seq 40))$(printf 'a%.0s' $(seq 100))"
[ "$(ls "$dir" | wc -l)" -eq 13 ] || { echo "seeds not checked here:"; ls "$dir"; failed=1; }
exit $failed
