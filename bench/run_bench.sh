#!/usr/bin/env bash
# Usage: run_bench.sh BITLOOM BENCH_BDF BENCH_PROCESS BENCH_UI DATADIR [BENCH_PCF]
set -euo pipefail
bitloom=$1 bench_bdf=$2 bench_process=$3 bench_ui=$4 data=$5 bench_pcf=${6:-}
mkdir -p "$data"
unifont=$data/unifont.bdf big=$data/big100.bdf
if [ ! -s "$unifont" ]; then
  pcf2bdf -o "$unifont" /usr/share/fonts/X11/misc/unifont.pcf.gz
fi
if [ ! -s "$big" ]; then
  # unifont's glyph blocks repeated up to about 100 MB, between one header and ENDFONT.
  awk '/^STARTCHAR/{exit} {print}' "$unifont" > "$big"
  glyphs=$data/glyphs.part
  awk '/^STARTCHAR/{on=1} /^ENDFONT/{on=0} on{print}' "$unifont" > "$glyphs"
  while [ "$(stat -c %s "$big")" -lt 100000000 ]; do cat "$glyphs" >> "$big"; done
  echo ENDFONT >> "$big"
  rm -f "$glyphs"
fi
malformed=$data/malformed.bdf
if [ ! -s "$malformed" ]; then
  # Boxes of two billion pixels, as a damaged file may claim.
  { echo "STARTFONT 2.1"; echo "FONT malformed"; echo "FONTBOUNDINGBOX 2000000000 2000000000 0 0"
    for i in $(seq 1 300); do
      printf 'STARTCHAR %04X\nBBX 2000000000 2000000000 0 0\nBITMAP\nFFFFFFFFFFFFFFFFFFFF\n80\nENDCHAR\n' "$i"
    done
    echo ENDFONT; } > "$malformed"
fi
# unifont with 1 GiB (BENCH_JUNK_MB) that is no font beside it: text or zero bytes
# (a sparse file) after ENDFONT, or comment lines before the first glyph.
junk=${BENCH_JUNK_MB:-1024}
junk_text=$data/junk-text-${junk}M.bdf junk_zero=$data/junk-zero-${junk}M.bdf
junk_comments=$data/junk-comments-${junk}M.bdf
if [ ! -s "$junk_text" ]; then
  # yes ends on a broken pipe, which pipefail would take for a failure.
  { cat "$unifont"; (yes "text after ENDFONT that belongs to no font, repeated until the file is big" || true) |
      head -c "${junk}M"; } > "$junk_text"
fi
if [ ! -s "$junk_zero" ]; then
  cp "$unifont" "$junk_zero" && truncate -s "+${junk}M" "$junk_zero"
fi
if [ ! -s "$junk_comments" ]; then
  { awk '/^STARTCHAR/{exit} {print}' "$unifont"
    (yes "COMMENT a comment before the first glyph, repeated until the file is big" || true) | head -c "${junk}M"
    echo
    awk '/^STARTCHAR/{on=1} on{print}' "$unifont"; } > "$junk_comments"
fi
ls -l "$unifont" "$big"
echo "== in process (unifont)"
BITLOOM_BENCH_BDF=$unifont "$bench_bdf" --benchmark_repetitions=1
if [ -n "$bench_pcf" ]; then
  # unifont.bdf is pcf2bdf's text of Debian's unifont.pcf.gz: the same font, paired.
  echo "== opening unifont.pcf.gz against opening its BDF (medians; the first must not be slower)"
  BITLOOM_BENCH_PCF_BDF=$unifont "$bench_pcf" --benchmark_filter=Open --benchmark_repetitions=9 \
    --benchmark_report_aggregates_only=true
fi
# Each convert paired with a copy of the same file that waits for the disk too.
echo "== whole process, bitloom --convert unifont.bdf, paired with dd conv=fdatasync"
"$bench_process" 15 "$bitloom" --convert "$unifont" "$data/out-unifont.bdf" \
  --vs dd if="$unifont" of="$data/copy-unifont.bdf" bs=1M conv=fdatasync
echo "== whole process, bitloom --convert 100 MB, paired with dd conv=fdatasync"
"$bench_process" 7 "$bitloom" --convert "$big" "$data/out-big.bdf" \
  --vs dd if="$big" of="$data/copy-big.bdf" bs=1M conv=fdatasync
# Peak memory must follow the font, not the file: compare with unifont's above.
for f in "$junk_text" "$junk_zero" "$junk_comments"; do
  echo "== whole process, bitloom --convert $(basename "$f") (unifont and ${junk} MiB that is no font)"
  "$bench_process" 3 "$bitloom" --convert "$f" "$data/out-junk.bdf"
done
echo "== file sizes (peak memory above is to be read against these)"
ls -l "$unifont" "$big" "$junk_text" "$junk_zero" "$junk_comments" | awk '{printf "%s %.1f MiB\n", $NF, $5 / 1048576}' 
echo "== reference: wc -l unifont.bdf"
"$bench_process" 7 wc -l "$unifont"
echo "== window handlers on unifont (offscreen)"
"$bench_ui" "$unifont"
echo "== window handlers on a font with two-billion-pixel boxes (offscreen)"
"$bench_ui" "$malformed"
echo "== bitloom --compile whose compiler prints 100 MB of bare line breaks, then fails"
# Each output stream keeps a fixed amount, so the peak must not follow the output.
flood=$data/flood
mkdir -p "$flood"
printf 'STARTFONT 2.1\nFONT F\nSTARTCHAR 0041\nENCODING 65\nBBX 1 1 0 0\nBITMAP\n80\nENDCHAR\nENDFONT\n' > "$flood/f.bdf"
printf '[FontFiles]\n1=f.bdf\n[Typefaces]\n1=T\n[T]\n1=F\n' > "$flood/p.bitloom"
printf '#!/bin/sh\nhead -c 100000000 /dev/zero | tr "\\0" "\\n"\nexit 1\n' > "$flood/fnttran.exe"
chmod +x "$flood/fnttran.exe"
"$bench_process" 3 sh -c '"$0" --compile "$1/p.bitloom" "$1/t.gdr" --compiler-dir "$1"; [ $? -eq 1 ]' \
  "$bitloom" "$flood"
