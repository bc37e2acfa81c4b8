#!/bin/sh
# onscale reads the CSV files that spreadsheets write, and five cities give the very same pairs in
# each of them; where it cannot help it prints nothing, says why on one line, and fails.
set -u
onscale=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LINES=24 COLUMNS=80
failed=0
# A file of the five cities, its fields separated by $1, with $2 as the decimal mark.
cities() {
  printf "name$1lat$1lon\n"
  for city in "Lisbon 38 7223 -9 1393" "Paris 48 8566 2 3522" "Berlin 52 5200 13 4050" \
    "Rome 41 9028 12 4964" "Oslo 59 9139 10 7522"; do
    set -- "$1" "$2" $city
    printf "%s$1%s$2%s$1%s$2%s\n" "$3" "$4" "$5" "$6" "$7"
  done
}
cities , . >"$dir/plain.csv"
want=$("$onscale" "$dir/plain.csv" 3 2)
[ "$(echo "$want" | wc -l)" -eq 5 ] || { echo "plain.csv gave: $want"; failed=1; }
cities ';' , >"$dir/semicolons.csv"
cities '\t' . >"$dir/tabs.tsv"
cities '   ' . >"$dir/blanks.txt"
cities , . | sed 's/^\([A-Z][a-z]*\),/"\1, Europe",/; s/,\([-0-9.]*\)$/,"\1"/' >"$dir/quoted.csv"
cities , . | sed 's/$/\r/' >"$dir/windows.csv"
for variant in semicolons.csv tabs.tsv blanks.txt quoted.csv windows.csv; do
  got=$("$onscale" "$dir/$variant" 3 2)
  [ "$got" = "$want" ] || { echo "$variant gave: $got"; failed=1; }
done
printf 'a b\nc d\n' >"$dir/words.txt"
while IFS='|' read -r file columns message; do
  out=$("$onscale" "$dir/$file" $columns 2>"$dir/err")
  status=$?
  if [ $status -ne 1 ] || [ -n "$out" ] || [ "$(cat "$dir/err")" != "onscale: $dir/$message" ]; then
    echo "$file $columns: status $status, printed '$out', said '$(cat "$dir/err")'"
    failed=1
  fi
done <<TABLE
missing.csv|3 2|missing.csv, columns 3 and 2: no such file
plain.csv|3 5|plain.csv, columns 3 and 5: column 5 is past the last field; lines have 3 at most
words.txt|1 2|words.txt, columns 1 and 2: no line has numbers in both
TABLE
exit $failed
