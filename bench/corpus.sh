#!/usr/bin/env bash
# The export's acceptance over Debian's bitmap fonts (the xfonts-75dpi, -100dpi,
# -base, -terminus, -efont-unicode, -wqy, -intl-* and -unifont packages put theirs
# under /usr/share/fonts/X11):
#   corpus.sh BITLOOM BASE_BITLOOM FTCHECK WORKDIR [FOLDER...]
# BASE_BITLOOM is a bitloom built from the revision to compare with; FTCHECK is
# bench/ftcheck. For every PCF font (pcf2bdf makes the original BDF):
# - bitloom --export succeeds and bdftopcf takes the export without a word;
# - FreeType reads the same glyphs and values from export and original (ftcheck;
#   the properties an original lacks, the export adds, as it should);
# - every property line and comment of the original is in the export (but a
#   DEFAULT_CHAR that names no glyph, which the export leaves out and says so);
# - the export of the export is byte-identical;
# - --convert and --source (out.gd) give the same bytes as BASE_BITLOOM.
# Prints each failure and the counts; exits 1 when anything failed.
set -uo pipefail
if [ $# -lt 4 ]; then
  echo "usage: corpus.sh BITLOOM BASE_BITLOOM FTCHECK WORKDIR [FOLDER...]" >&2
  exit 2
fi
bitloom=$(realpath "$1") base=$(realpath "$2") ftcheck=$(realpath "$3") work=$4
shift 4
folders=("$@")
[ ${#folders[@]} -eq 0 ] && folders=(/usr/share/fonts/X11/75dpi /usr/share/fonts/X11/100dpi /usr/share/fonts/X11/misc)
mkdir -p "$work"
work=$(realpath "$work")
export bitloom base ftcheck work

# Prints "PASS <check> <font>" or "FAIL <check> <font>: why" for each check of one font.
check_font() {
  local pcf=$1 name d
  name=$(basename "$pcf")
  d=$work/$name.d
  rm -rf "$d" && mkdir -p "$d" && cd "$d" || return
  result() { if [ "$2" = ok ]; then echo "PASS $1 $name"; else echo "FAIL $1 $name: $3"; failed=1; fi; }
  local failed=0 said
  if ! pcf2bdf -o orig.bdf "$pcf" 2> pcf2bdf.txt; then
    result pcf2bdf no "$(head -c 200 pcf2bdf.txt)"
    return
  fi
  result pcf2bdf ok
  if ! "$bitloom" --export orig.bdf exp.bdf > export.txt 2>&1; then
    result export no "$(tail -n 1 export.txt)"
    return
  fi
  result export ok
  grep -q "bdftopcf will ignore" export.txt && echo "NOTE ignored-glyphs $name"
  grep -q "wider than 64 pixels" export.txt && echo "NOTE glyphs-cut-to-64-columns $name"
  said=$(bdftopcf -o exp.pcf exp.bdf 2>&1)
  if [ $? -eq 0 ] && [ -z "$said" ]; then result bdftopcf ok; else result bdftopcf no "$(echo "$said" | head -n 2 | tr '\n' ' ')"; fi
  if said=$("$ftcheck" orig.bdf exp.bdf 2>&1); then result freetype ok; else result freetype no "$(echo "$said" | head -n 3 | tr '\n' ' ')"; fi
  echo "$said" | grep -q '^added ' && echo "NOTE properties-added $name: $(echo "$said" | grep '^added ' | tr '\n' ' ')"
  # Property lines and comments, compared whole after line ends are made alike.
  tr -d '\r' < orig.bdf | awk '/^STARTPROPERTIES/{p=1;next} /^ENDPROPERTIES/{p=0} p || /^COMMENT/' | sort -u > orig.kept
  tr -d '\r' < exp.bdf | awk '/^STARTPROPERTIES/{p=1;next} /^ENDPROPERTIES/{p=0} p || /^COMMENT/' | sort -u > exp.kept
  said=$(comm -23 orig.kept exp.kept)
  # A DEFAULT_CHAR that names no glyph is left out by rule, and the export says so.
  if grep -q '^DEFAULT_CHAR .* names no glyph' export.txt; then
    said=$(echo "$said" | grep -v '^DEFAULT_CHAR ')
    echo "NOTE default-char-left-out $name"
  fi
  if [ -z "$said" ]; then result kept ok; else result kept no "$(echo "$said" | head -n 3 | tr '\n' ' ')"; fi
  if "$bitloom" --export exp.bdf exp2.bdf > /dev/null 2>&1 && cmp -s exp.bdf exp2.bdf; then
    result export-of-export ok
  else
    result export-of-export no "differs"
  fi
  "$bitloom" --convert orig.bdf new.bdf > /dev/null 2>&1
  "$base" --convert orig.bdf old.bdf > /dev/null 2>&1
  if cmp -s new.bdf old.bdf; then result convert ok; else result convert no "differs from the base"; fi
  printf '[FontFiles]\n1=orig.bdf\n[Typefaces]\n1=T\n[T]\n1=F\n' > p.bitloom
  "$bitloom" --source p.bitloom new.gd > /dev/null 2>&1
  "$base" --source p.bitloom old.gd > /dev/null 2>&1
  if [ -s new.gd ] && cmp -s new.gd old.gd; then result out.gd ok; else result out.gd no "differs from the base"; fi
  # Only a failure's files are kept, to look at.
  [ $failed -eq 0 ] && { cd "$work" && rm -rf "$d"; }
}
export -f check_font

fonts=$work/fonts.txt
find "${folders[@]}" -name '*.pcf' -o -name '*.pcf.gz' | sort > "$fonts"
echo "fonts: $(wc -l < "$fonts") PCF files in ${folders[*]}"
start=$(date +%s)
xargs -a "$fonts" -P "$(nproc)" -I{} bash -c 'check_font "$1"' _ {} > "$work/results.txt"
echo "time: $(( $(date +%s) - start )) s"
grep '^FAIL' "$work/results.txt" | head -n 50
echo "== per check: passed / failed"
for check in pcf2bdf export bdftopcf freetype kept export-of-export convert out.gd; do
  printf '%-18s %6d / %d\n' "$check" "$(grep -c "^PASS $check " "$work/results.txt")" \
    "$(grep -c "^FAIL $check " "$work/results.txt")"
done
echo "fonts whose export listed glyphs bdftopcf ignores: $(grep -c '^NOTE ignored-glyphs' "$work/results.txt")"
echo "fonts with glyphs wider than 64 pixels, which Bitloom cuts: $(grep -c '^NOTE glyphs-cut' "$work/results.txt")"
echo "fonts whose DEFAULT_CHAR named no glyph and was left out: $(grep -c '^NOTE default-char-left-out' "$work/results.txt")"
echo "fonts lacking some of FONT_ASCENT, FONT_DESCENT, CHARSET_REGISTRY, CHARSET_ENCODING, PIXEL_SIZE," \
  "to which the export added them: $(grep -c '^NOTE properties-added' "$work/results.txt")"
! grep -q '^FAIL' "$work/results.txt"
