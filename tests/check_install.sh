#!/bin/sh
# Installs a build under a scratch root through DESTDIR and checks that both programs, their
# compressed manual pages, the copyright and changelog and the examples land where a Debian system
# looks for them, and nothing else does; and that the examples work from there.
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$1" --prefix /usr >/dev/null
found=$(cd "$root" && find . -type f | sort | tr '\n' ' ')
doc=./usr/share/doc/trackplot
want="./usr/bin/onscale ./usr/bin/trackplot $doc/changelog.gz $doc/copyright \
$doc/examples/README.md $doc/examples/lap.txt $doc/examples/ride.csv $doc/examples/spiral.txt \
$doc/examples/track.csv \
./usr/share/man/man1/onscale.1.gz ./usr/share/man/man1/trackplot.1.gz "
[ "$found" = "$want" ] || {
  echo "installed: $found"
  exit 1
}
"$root/usr/bin/trackplot" "$root/nothing" 2>&1 | grep -q "nothing no such file"
# The changelog names the version being installed.
gzip -dc "$root/usr/share/doc/trackplot/changelog.gz" | head -n 1 | grep -qF "trackplot ($2)"
# The sample tracks are whole point files, and onscale brings columns of any numbers onto the
# scale of an 80x24 screen, its largest values on the last column and the top row.
for track in lap spiral; do
  LINES=24 COLUMNS=80 TERM=xterm "$root/usr/bin/trackplot" "$root/$doc/examples/$track.txt" >/dev/null
done
printf 'lat,lon\n-33.9,151.2\n48.86,2.35\n' >"$root/points.csv"
scaled=$(LINES=24 COLUMNS=80 "$root/usr/bin/onscale" "$root/points.csv" 2 1 | tr '\n' ' ')
[ "$scaled" = "4079 4079 0 0 " ] || {
  echo "onscale gave: $scaled"
  exit 1
}
# The examples' README works from the installed folder: the commands it gives name files there
# and trackplot, on the PATH, and none of the source tree's paths.
cd "$root/$doc/examples"
! grep -n 'build/release/trackplot\|examples/' README.md || exit 1
[ "$(LINES=24 COLUMNS=80 "$root/usr/bin/onscale" -m track.csv lon lat | wc -l)" -eq 361 ] || exit 1
