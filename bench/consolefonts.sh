#!/usr/bin/env bash
# Every console font and unifont.hex through Bitloom's readers and writers:
#   bench/consolefonts.sh BITLOOM [FONT_DIR] [UNIFONT_HEX]
# For each font (default /usr/share/consolefonts): export it as PSF 2, read that
# back, and compare the glyphs and codes of both reads (as Bitloom's BDF of
# each) and the PSF 2 written from the read-back with the first one (places,
# Unicode table and sequences); counts how many PSF 2 exports are byte-identical
# to the original's inflated bytes. unifont.hex read and written back must be
# byte-identical to the file sorted. Prints the failures and the counts.
set -u
bitloom=${1:?usage: $0 BITLOOM [FONT_DIR] [UNIFONT_HEX]}
dir=${2:-/usr/share/consolefonts}
hex=${3:-/usr/share/unifont/unifont.hex}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fonts=0 failed=0 identical=0 glyphs=0
start=$(date +%s.%N)
for f in "$dir"/*; do
  [ -f "$f" ] || continue
  fonts=$((fonts + 1))
  why=""
  if ! "$bitloom" --export "$f" "$work/a.psf" >"$work/log" 2>&1; then why="export: $(cat "$work/log")"
  elif ! "$bitloom" --export "$work/a.psf" "$work/b.psf" >"$work/log" 2>&1; then why="read back: $(cat "$work/log")"
  elif ! cmp -s "$work/a.psf" "$work/b.psf"; then why="the PSF 2 of the read-back differs"
  elif ! "$bitloom" --convert "$f" "$work/a.bdf" >/dev/null 2>&1 ||
       ! "$bitloom" --convert "$work/a.psf" "$work/b.bdf" >/dev/null 2>&1; then why="convert failed"
  elif ! cmp -s <(grep -v '^FONT ' "$work/a.bdf") <(grep -v '^FONT ' "$work/b.bdf"); then why="glyphs or codes differ"
  fi
  if [ -n "$why" ]; then
    failed=$((failed + 1))
    echo "FAIL $f: $why"
    continue
  fi
  glyphs=$((glyphs + $(grep -c '^STARTCHAR' "$work/a.bdf")))
  zcat -f "$f" | cmp -s - "$work/a.psf" && identical=$((identical + 1))
done
end=$(date +%s.%N)
echo "console fonts: $fonts, failed: $failed, glyphs (one per code): $glyphs," \
     "PSF 2 byte-identical to the original: $identical, seconds: $(echo "$end - $start" | bc)"

if [ -f "$hex" ]; then
  LC_ALL=C sort "$hex" >"$work/sorted.hex"
  s=$(date +%s.%N)
  if "$bitloom" --export "$hex" "$work/u.hex" >/dev/null && cmp -s "$work/u.hex" "$work/sorted.hex"; then
    echo "unifont.hex: $(wc -l <"$hex") glyphs, written back byte-identical to the sorted file," \
         "seconds: $(echo "$(date +%s.%N) - $s" | bc)"
  else
    echo "FAIL unifont.hex: not written back byte-identical"
  fi
else
  echo "unifont.hex: absent (package unifont)"
fi
