#!/usr/bin/env bash
# The PCF reader's and writer's acceptance over Debian's bitmap fonts (the
# xfonts-75dpi, -100dpi, -base, -terminus, -efont-unicode, -wqy, -intl-* and
# -unifont packages put theirs under /usr/share/fonts/X11):
#   pcfcorpus.sh BITLOOM FTCHECK WORKDIR [FOLDER...]
# FTCHECK is bench/ftcheck. For every PCF font:
# - export: bitloom --export of the PCF file itself (read directly, .gz and all)
#   and of the BDF pcf2bdf makes of it are byte-identical;
# - freetype: FreeType reads the same glyphs (bitmap, box, advance) for every
#   code, and the same properties, from the PCF bitloom --export writes as from
#   the original.
# Prints each failure, the counts and the time; exits 1 when anything failed.
set -uo pipefail
if [ $# -lt 3 ]; then
  echo "usage: pcfcorpus.sh BITLOOM FTCHECK WORKDIR [FOLDER...]" >&2
  exit 2
fi
bitloom=$(realpath "$1") ftcheck=$(realpath "$2") work=$3
shift 3
folders=("$@")
[ ${#folders[@]} -eq 0 ] && folders=(/usr/share/fonts/X11)
mkdir -p "$work"
work=$(realpath "$work")
export bitloom ftcheck work

check_font() {
  local pcf=$1 d said
  d=$work/$(echo "$pcf" | tr / _).d
  rm -rf "$d" && mkdir -p "$d" && cd "$d" || return
  if ! pcf2bdf -o orig.bdf "$pcf" 2> pcf2bdf.txt; then
    echo "FAIL pcf2bdf $pcf: $(head -c 200 pcf2bdf.txt)"
    return
  fi
  if ! said=$("$bitloom" --export orig.bdf viabdf.bdf 2>&1); then
    echo "FAIL bdfreader $pcf: $(echo "$said" | head -n 2)"
    return
  fi
  if ! said=$("$bitloom" --export "$pcf" direct.bdf 2>&1); then
    echo "FAIL readpcf $pcf: $(echo "$said" | head -n 2)"
    return
  fi
  if ! said=$("$bitloom" --export "$pcf" out.pcf 2>&1); then
    echo "FAIL writepcf $pcf: $(echo "$said" | head -n 2)"
    return
  fi
  local cut=no
  echo "$said" | grep -q 'wider than 64 pixels' && cut=yes && echo "NOTE cut $pcf"
  echo "$said" | grep -q 'bdftopcf will ignore' && echo "NOTE ignored $pcf"
  if cmp -s viabdf.bdf direct.bdf; then echo "PASS export $pcf"
  else echo "FAIL export $pcf: $(diff viabdf.bdf direct.bdf | head -n 4 | tr '\r\n' '  ')"; fi
  if said=$("$ftcheck" --by-code "$pcf" out.pcf 2>&1); then echo "PASS freetype $pcf"
  # Glyphs wider than 64 pixels keep their leftmost 64 columns, so FreeType sees them cut.
  elif [ $cut = yes ]; then echo "CUT freetype $pcf: $(echo "$said" | head -n 1 | cut -c 1-100)"
  else echo "FAIL freetype $pcf: $(echo "$said" | head -n 3 | tr '\n' ' ')"; fi
  cd "$work" && rm -rf "$d"
}
export -f check_font

start=$(date +%s)
find "${folders[@]}" -name '*.pcf' -o -name '*.pcf.gz' | sort > "$work/fonts.txt"
xargs -a "$work/fonts.txt" -P "$(nproc)" -I{} bash -c 'check_font "$1"' _ {} > "$work/results.txt"
end=$(date +%s)
grep -v '^PASS' "$work/results.txt" | sort
echo "fonts: $(wc -l < "$work/fonts.txt"), seconds: $((end - start))"
for check in export freetype; do
  echo "$check: $(grep -c "^PASS $check " "$work/results.txt") passed, $(grep -c "^FAIL $check " "$work/results.txt") failed, $(grep -c "^CUT $check " "$work/results.txt") differ only by glyphs cut to 64 columns"
done
echo "other failures: $(grep '^FAIL' "$work/results.txt" | grep -vc '^FAIL \(export\|freetype\) ')"
! grep -q '^FAIL' "$work/results.txt"
