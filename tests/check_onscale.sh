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
"$onscale" --help | tr '\n' ' ' |
  grep -q "^usage: onscale .*; 0 is the line's.*Exit status: 0 when pairs came out, 1 when none could" ||
  fail "--help"
"$onscale" -q 2>&1 | sed -n 2p | grep -q '^usage: onscale' || fail "no usage after a usage error"
# -p to a file writes the picture there as text, 24 lines of 80 columns at most, with no escape.
"$onscale" -p plain.csv 3 2 >out 2>err
[ $? -eq 0 ] && [ "$(wc -l <out)" -eq 24 ] && [ "$(grep -c '\*' out)" -eq 5 ] &&
  ! grep -q "$(printf '\033')" out && [ "$(awk '{ if (length > n) n = length } END { print n }' out)" -le 80 ] ||
  fail "-p without a terminal: $(cat out err)"
# The edges of x are written below its axis, at least a blank apart however narrow the picture.
tail -n 1 out | grep -qx ' *-9\.1 *13\.4' || fail "x's edges: $(tail -n 1 out)"
[ "$(LINES=6 COLUMNS=7 "$onscale" -p plain.csv 3 2 | tail -n 1)" = "   -9 13" ] ||
  fail "x's edges on a narrow picture: $(LINES=6 COLUMNS=7 "$onscale" -p plain.csv 3 2)"
# Standard output closed is said, before a file that opens could take its place and the picture go
# there.
"$onscale" -p plain.csv 3 2 >&- 2>err
[ $? -eq 1 ] && grep -qx 'onscale: standard output: Bad file descriptor' err ||
  fail "standard output closed: $(cat err)"
# A picture wider than the full scale has steps is written all the same.
COLUMNS=5000 "$onscale" -p plain.csv 3 2 >out 2>err || fail "-p 5000 columns wide: $(cat err)"
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
(limit_memory; "$onscale" long.csv a b 2>err)
grep -qx 'onscale: long.csv, columns a and b: line 1, which should name the columns, is over 4 MiB long' err ||
  fail "names in a line of 16 MB: $(cat err)"
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
# Said once, and nothing more of lines that were never read.
[ "$(cat err)" = "onscale: names.csv, columns Datum and Preis: no column is named Preis; line 1 names Datum, Umsatz ($(printf '\342\202\254')), Menge $(printf '\340\244\271')" ] ||
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
# Waits, five seconds at most, until the file holds that many lines; false where it never does.
lines_come() {
  for _ in $(seq 500); do
    [ "$(wc -l <"$1")" -ge "$2" ] && return 0
    sleep 0.01
  done
  return 1
}
# With both ranges, each pair comes out as soon as its line has come, while the feed stays open.
# The named pipe is opened for reading and writing, which never waits for a reader.
mkfifo feed
"$onscale" -x 0:10 -y 0:10 feed >streamed &
exec 3<>feed
sent=0
for line in "0 0" "10 10"; do
  echo "$line" >&3
  sent=$((sent + 1))
  lines_come streamed $sent || fail "no pair while the feed is open for '$line'"
done
exec 3>&-
wait
# However a signal ends it, onscale first says what it left out, then ends by that signal. (A job
# in the background of this shell ignores SIGINT, which the shell tests of trackplot send by key.)
for sig in TERM:15 HUP:1; do
  number=${sig#*:}
  sig=${sig%:*}
  "$onscale" -x 0:10 -y 0:10 feed >streamed 2>err &
  exec 3<>feed
  printf '1 1\n50 1\n2 2\n' >&3
  lines_come streamed 2 || fail "SIG$sig: no pairs before the signal"
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
  grep -q "1 line left out: line 2, column 1: not a number: x" err &&
  ! grep -q "standard output" err || fail "SIGPIPE: $(cat err)"
exit $failed
