#!/bin/sh
# onscale reads the exports people have: five cities give the very same pairs from each of them.
# It counts the lines it leaves out, and where it cannot help it says why and fails.
set -u
onscale=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
export LINES=24 COLUMNS=80
failed=0
fail() {
  echo "$*"
  failed=1
}
# The five cities, their fields separated by $1, with $2 as the decimal mark.
cities() {
  printf "name$1lat$1lon\n"
  for city in "Lisbon 38 7223 -9 1393" "Paris 48 8566 2 3522" "Berlin 52 5200 13 4050" \
    "Rome 41 9028 12 4964" "Oslo 59 9139 10 7522"; do
    set -- "$1" "$2" $city
    printf "%s$1%s$2%s$1%s$2%s\n" "$3" "$4" "$5" "$6" "$7"
  done
}
cities , . >plain.csv
want=$("$onscale" plain.csv 3 2)
[ "$(echo "$want" | wc -l)" -eq 5 ] || fail "plain.csv gave: $want"
cities ';' , >semicolons.csv
cities '\t' . >tabs.tsv
cities '   ' . >blanks.txt
cities , . | sed 's/^\([A-Z][a-z]*\),/"\1, Europe",/; s/,\([-0-9.]*\)$/,"\1"/' >quoted.csv
cities , . | sed 's/$/\r/' >windows.csv
cities , . | sed '1s/^/\xef\xbb\xbf/' >marked.csv
{ echo "# exported, with care"; cities ';' ,; } >commented.csv
for variant in semicolons.csv tabs.tsv blanks.txt quoted.csv windows.csv marked.csv commented.csv; do
  got=$("$onscale" "$variant" 3 2)
  [ "$got" = "$want" ] || fail "$variant gave: $got"
done
[ "$("$onscale" plain.csv lon lat)" = "$want" ] || fail "columns named lon and lat"
[ "$(cat plain.csv | "$onscale" - 3 2)" = "$want" ] || fail "plain.csv through a pipe"
"$onscale" --help | tr '\n' ' ' | grep -q "^usage: onscale .*; 0 is the line's" || fail "--help"
"$onscale" -q 2>&1 | sed -n 2p | grep -q '^usage: onscale' || fail "no usage after a usage error"
# -p to a file writes the picture there as text, 24 lines of 80 columns at most, with no escape.
"$onscale" -p plain.csv 3 2 >out 2>err
[ $? -eq 0 ] && [ "$(wc -l <out)" -eq 24 ] && [ "$(grep -c '\*' out)" -eq 5 ] &&
  ! grep -q "$(printf '\033')" out && [ "$(awk '{ if (length > n) n = length } END { print n }' out)" -le 80 ] ||
  fail "-p without a terminal: $(cat out err)"
# Each row: the input, as printf's %b writes it, into a file named "in"; the arguments; the pairs
# written, on one line; what standard error says after "onscale: in, columns X and Y: "; the status.
while IFS='|' read -r input args pairs message status; do
  printf '%b' "$input" >in
  # shellcheck disable=SC2086
  "$onscale" $args <in >out 2>err
  got=$?
  out=$(tr '\n' ' ' <out)
  # A message about the input starts with the file and the columns; any other, with onscale.
  said=$(head -n 1 err | sed 's/^onscale: [^:]*, columns [^:]* and [^:]*: //; t; /^onscale: /!s/^/!/')
  if [ "$got" -ne "$status" ] || [ "$out" != "$pairs" ] || [ "$said" != "$message" ]; then
    fail "$input / $args: status $got, wrote '$out', said '$(cat err)'"
  fi
done <<'TABLE'
x;y\n1.550,00;1\n2.000,50;2\n1.775,25;3\n|in|0 4079 4079 2040 2039 0 ||0
x;y\n1\0302\0240000,2;1\n2\0342\0200\0257000,5;2\n1 500,0;3\n|in|0 4079 4079 2040 2038 0 ||0
x,y\n"1,234.5",1\n"2,000",2\n|in|0 4079 4079 0 ||0
x;y\n"1,5";1\n"2.5";2\n|in|2039 2040 |1 line left out: line 3, column 1: not a number: 2.5|0
x;y\n1.500;1\n2.000;2\n3.000;3\n|-d . in|0 4079 1359 2040 4079 0 ||0
x;y\n1..000,5;1\n2,5;2\n3,5;3\n|in|0 4079 4079 0 |1 line left out: line 2, column 1: not a number: 1..000,5|0
0.5 1\n1.5 2|in|0 4079 4079 0 ||0
"a""b",c\n1,2\n3,4\n|in a"b c|0 4079 4079 0 ||0
\0357\0273\02771,2\n3,4\n|in|0 4079 4079 0 ||0
# Sensor A, firmware 1.2\n1 2\n3 4\n|in|0 4079 4079 0 ||0
t,ele\n10,1\n20,5\n30,3\n|in 0 ele|0 4079 2039 0 4079 2040 ||0
1 2\nx 3\n4 5\n5\n|in|0 4079 4079 0 |2 lines left out; the first, line 2, column 1: not a number: x|0
1 2\n3 \n4 5\n|in|0 4079 4079 0 |1 line left out: line 2, column 2: no such field|0
1e999 1\n1 2\n2 3\n|in|0 4079 4079 0 |1 line left out: line 1, column 1: not finite: 1e999|0
1e308 1\n-1e308 2\n0 3\n|in|4079 4079 0 2040 2039 0 ||0
-2 0\n0 50\n2 100\n3 50\n|-x -2:2 -y 0:100 in|0 4079 2039 2040 4079 0 |1 line left out: line 4, column 1: outside the range given: 3|0
-2 0\n2 100\n3 50\n|-x -2:2 in|0 4079 4079 0 |1 line left out: line 3, column 1: outside the range given: 3|0
0 0\n2 1\n|-e in|0 3740 4079 340 ||0
0 0\n1 2\n|-e in|1427 4079 2651 0 ||0
0 0\n2 1\n|-m in|0 3740 4079 340 ||0
10 91\n20 50\n30 60\n|-m in|1337 4079 2741 0 |1 line left out: line 1, column 2: not a latitude: 91|0
a b\nc d\n|in||no line has numbers in both; the first, line 2, column 1: not a number: c|1
x,y\n|in||no line has numbers in both|1
name,lat,lon\nx,1,2\n|in 3 5||column 5 is past the last field; lines have 3 at most|1
# a header\nlat,lon\n1,2\n|in lon height||no column is named height; line 2 names lat, lon|1
1 2\n|missing.csv||no such file|1
1 2\n|-x 2:1 -y 0:1 in||onscale: -x takes MIN:MAX or MIN..MAX: 2:1|2
1 2\n3 4\n|2 1|0 4079 4079 0 ||0
1 2\n|in 1 2 3||onscale: too many operands: 3|2
1 2\n|in -x||onscale: this option takes a value: -x|2
1 2\n|-q in||onscale: no such option: -q|2
1 2\n|-d x in||onscale: -d takes . or ,: x|2
1 2\n|-s tabs in||onscale: -s takes , ; tab blank or one byte: tabs|2
0 10\n5 10\n|-m -x 0:10 -y 0:200 in||onscale: -m takes latitudes from -90 to 90: 0:200|2
0 10\n5 10\n|-m -x 0:10 -y -100:10 in||onscale: -m takes latitudes from -90 to 90: -100:10|2
13.405;52.520\n13.406;52.521\n13.4071;52.5215\n13.408;52.522\n|-x 13.4:13.41 -y 52.51:52.53 in|2039 2040 2447 1836 2896 1734 3263 1632 ||0
13.405;52.520\n13.406;52.521\n13.4071;52.5215\n13.408;52.522\n|-x 13.4..13.41 -y 52.51..52.53 in|2039 2040 2447 1836 2896 1734 3263 1632 ||0
1,234\t5\n2,5\tn/a\n|-x 0:10 -y 0:10 in|503 2040 |1 line left out: line 2, column 2: not a number: n/a|0
2.500\t5\n2,5\t3\n|-x 0:10 -y 0:10 in|1019 2040 1019 2856 ||0
1 n/a\n2 5\n3 6\n|in|0 4079 4079 0 |1 line left out: line 1, column 2: not a number: n/a|0
0,25 100\n0,5 200\n0,75 300\n1,25 400\n|in|0 4079 1019 2720 2039 1360 4079 0 ||0
0,25 100\n0,5 200\n|-s , in|2039 0 2039 4079 ||0
1:2\n3:4\n|-s : in|0 4079 4079 0 ||0
2.500 1\n3.500 2\n|in|0 4079 4079 0 |no number shows the decimal mark, and a dot is taken: line 1, column 1: 2.500 is read as 2.5, not 2500 (-d , takes a comma)|0
x;y;x\n1;2;3\n|in x y||line 1 names two fields x, 1 and 3|1
t,temp_c\n2026-12-09T00:00:00Z,5\n2026-12-09T01:00:00Z,6\n2026-12-09T05:00:00Z,7\n2026-12-09T06:00:00Z,8\n|in t temp_c|0 4079 679 2720 3399 1360 4079 0 ||0
08:00 0\n12:00 50\n19:00 100\n|-x 08:00..18:00 -y 0..100 in|0 4079 1631 2040 |1 line left out: line 3, column 1: outside the range given: 19:00|0
ele,t\n1,08:00\n5,10:00\n3,09:00\n|in t ele|0 4079 4079 0 2039 2040 ||0
23:00 0\n01:00 1\n|-x 22:00..02:00 -y 0:1 in|1019 4079 3059 0 ||0
123,456.5;1\n2;2\n|in|4079 4079 0 0 ||0
01/02/2026 1\n02/02/2026 2\n13/02/2026 3\n|in|0 4079 339 2040 4079 0 |the dates of column 1 are read day first, as line 3 tells: 13/02/2026|0
01/02/2026 1\n02/02/2026 2\n|in|0 4079 4079 0 |no date of column 1 has a day over 12, and the month is taken first (-t %d/%m/%Y takes the day)|0
2026-12-09,1\n|-m in||-m takes numbers, and column 1 holds dates or times|1
2026-12-09T08:00 1\n|-x 08:00..18:00 -y 0:1 in||the range of -x is not written as column 1 writes its values|1
TABLE
# A name that looks like an assignment is a file's, and one with control bytes is shown safely.
cp plain.csv xcol=2
[ "$("$onscale" xcol=2 3 2)" = "$want" ] || fail "a file named xcol=2"
"$onscale" "$(printf 'no\033]2;TITLE\a\033[31m.csv')" 2>err
grep -qxF 'onscale: no\x1b]2;TITLE\x07\x1b[31m.csv, columns 1 and 2: no such file' err ||
  fail "escapes: $(cat err)"
# A ring 1 km across at latitude 60 is round on a map, to within a cell twice as high as wide.
awk 'BEGIN { pi = atan2(0, -1); for (i = 0; i < 360; i++) printf "%.7f %.7f\n",
  10 + 0.009 * cos(pi * i / 180) / cos(pi / 3), 60 + 0.009 * sin(pi * i / 180) }' >ring
"$onscale" -m ring | awk '{ c[int($1 / 51)]; r[int($2 / 170)] }
  END { for (k in c) w++; for (k in r) h++; exit !(w - 2 * h <= 2 && 2 * h - w <= 2) }' ||
  fail "a ring on a map is not round"
# With no terminal to report a size, and LINES and COLUMNS not numbers, 80x24 is taken.
[ "$(LINES=0 COLUMNS=x setsid -w "$onscale" plain.csv 3 2 </dev/null)" = "$want" ] || fail "no size"
# A line over 4 MiB, a quoted field in a header or a line without end, is left out and counted in
# bounded memory; a header of 2 MB is read whole, in time proportional to it.
# The sanitizers reserve far more address space than any limit that tells here.
limit_memory() {
  [ -n "${ASAN_OPTIONS-}" ] || ulimit -v 40000
}
{ printf 'a,"'; head -c 16000000 /dev/zero | tr '\0' x; printf '"\n1,2\n3,4\n'; } >long.csv
[ "$(limit_memory; "$onscale" long.csv 2>err | tr '\n' ' ')" = "0 4079 4079 0 " ] &&
  grep -qx 'onscale: long.csv, columns 1 and 2: 1 line left out: line 1: line too long, over 4 MiB' err ||
  fail "a line of 16 MB: $(cat err)"
# A line of 4 MiB is read, one byte more is not.
for length in 4194304 4194305; do
  { printf '1,'; head -c $((length - 2)) /dev/zero | tr '\0' 7; printf '\n1,2\n3,4\n'; } >long.csv
  "$onscale" long.csv >/dev/null 2>err
  [ $length -eq 4194304 ] && why=', column 2: not a number: 77777777777777777777777777777777...' ||
    why=': line too long, over 4 MiB'
  grep -qxF "onscale: long.csv, columns 1 and 2: 1 line left out: line 1$why" err ||
    fail "a line of $length bytes: $(cat err)"
done
(limit_memory; timeout 1 "$onscale" /dev/zero 2>err)
[ $? -eq 124 ] || fail "/dev/zero: $(cat err)"
{ printf '"'; head -c 2000000 /dev/zero | tr '\0' '"'; printf '",x,y\n1,2,3\n4,5,6\n'; } >quotes.csv
[ "$("$onscale" quotes.csv x y | tr '\n' ' ')" = "0 4079 4079 0 " ] || fail "a header of 2 MB"
# Excel's Unicode text: UTF-16 with a byte-order mark, little- or big-endian.
for code in UTF-16LE UTF-16BE; do
  { printf '\357\273\277'; cities '\t' .; } | iconv -f UTF-8 -t $code >utf16.txt
  [ "$("$onscale" utf16.txt lon lat)" = "$want" ] || fail "$code: $("$onscale" utf16.txt lon lat 2>&1)"
done
# Text of the user's own language is shown as it is in a UTF-8 locale; bytes of no character,
# noncharacters, control characters and direction overrides are not.
printf 'Datum;Umsatz (\342\202\254);Menge \340\244\271\n' >names.csv
LC_ALL=C.UTF-8 "$onscale" names.csv Datum Preis 2>err
grep -qxF "onscale: names.csv, columns Datum and Preis: no column is named Preis; line 1 names Datum, Umsatz ($(printf '\342\202\254')), Menge $(printf '\340\244\271')" err ||
  fail "UTF-8: $(cat err)"
LC_ALL=C.UTF-8 "$onscale" "$(printf 'bad\342\200\256\377\302\233\357\277\277.csv')" 2>err
grep -qxF 'onscale: bad\xe2\x80\xae\xff\xc2\x9b\xef\xbf\xbf.csv, columns 1 and 2: no such file' err || fail "escapes in UTF-8: $(cat err)"
LC_ALL=C "$onscale" names.csv Datum Preis 2>err
grep -qF 'Umsatz (\xe2\x82\xac)' err || fail "C locale: $(cat err)"
# Standard output that cannot take the pairs, is closed, or whose reader is gone where SIGPIPE is
# ignored, is said, and fails.
seq 1 200000 >many
for output in /dev/full closed gone; do
  case $output in
  closed) "$onscale" many 0 1 >&- 2>err ;;
  gone) (trap '' PIPE; { "$onscale" many 0 1 2>err; echo $? >status; } | head -c 1 >/dev/null)
    (exit "$(cat status)") ;;
  *) "$onscale" many 0 1 >"$output" 2>err ;;
  esac
  [ $? -eq 1 ] && grep -q '^onscale: standard output: ' err || fail "output $output: $(cat err)"
done
TMPDIR=/nowhere "$onscale" plain.csv 3 2 2>err
[ $? -eq 1 ] && grep -qx 'onscale: plain.csv, columns 3 and 2: cannot keep the pairs in /nowhere: No such file or directory' err ||
  fail "TMPDIR: $(cat err)"
"$onscale" --help >/dev/full 2>err
[ $? -eq 1 ] && grep -qx 'onscale: standard output: No space left on device' err || fail "help to /dev/full"
# With both ranges, each pair comes out within a tenth of a second of its line.
mkfifo feed
"$onscale" -x 0:10 -y 0:10 feed >streamed &
exec 3>feed
for line in "0 0" "10 10"; do
  before=$(wc -l <streamed)
  echo "$line" >&3
  sleep 0.1
  [ "$(wc -l <streamed)" -gt "$before" ] || fail "no pair within 0.1 s of '$line'"
done
exec 3>&-
wait
# However a signal ends it, onscale first says what it left out, then ends by that signal. (A job
# in the background of this shell ignores SIGINT, which the shell tests of trackplot send by key.)
for sig in TERM:15 HUP:1; do
  number=${sig#*:}
  sig=${sig%:*}
  "$onscale" -x 0:10 -y 0:10 feed >streamed 2>err &
  exec 3>feed
  printf '1 1\n50 1\n2 2\n' >&3
  while [ "$(wc -l <streamed)" -lt 2 ]; do sleep 0.01; done
  kill -s $sig $!
  wait $!
  [ $? -eq $((128 + number)) ] &&
    grep -qx 'onscale: feed, columns 1 and 2: 1 line left out: line 2, column 1: outside the range given: 50' err ||
    fail "SIG$sig: $(cat err)"
  exec 3>&-
done
{ echo 1; echo x; cat many; } >bad_first
{ "$onscale" bad_first 0 1 2>err; echo $? >status; } | head -n 1 >/dev/null
[ "$(cat status)" -eq $((128 + 13)) ] &&
  grep -q "1 line left out: line 2, column 1: not a number: x" err || fail "SIGPIPE: $(cat err)"
exit $failed
