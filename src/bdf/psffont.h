// The Linux console's PSF fonts: PSF 1 (256 or 512 glyphs 8 pixels wide) and
// PSF 2, with their Unicode tables.
#pragma once

#include "fontformat.h"

#include <string>
#include <string_view>

// Reads a PSF 1 or PSF 2 file's bytes into font (replacing it), named name.
// Every size field is checked against the bytes before anything is allocated;
// a damaged file throws TFileError naming path.
//
// Codes: a glyph the Unicode table gives several codes is one copy per code,
// in table order, each with that code and, as its second ENCODING number, its
// place in the file; a glyph with no code in the table has code -1 and its
// place. In a font without a table every glyph's code is its place. Sequences
// (a base and combining marks drawn as one glyph) are no single code: they are
// kept as "COMMENT PSF sequence U+XXXX U+YYYY" lines of the glyph's copies,
// which a PSF 2 write gives back to its slot.
//
// Metrics: every glyph is the whole cell, DWIDTH its width; the baseline lies
// height / 4 rows (rounded down) above the bottom, as with the PC's 8x16 (4)
// and 8x8 (2) fonts. SIZE is the height at 75 dpi like Unifont's BDF, and
// SWIDTH is width * 1000 / height.
void ReadPSF(std::string_view bytes, const std::string &path, const std::string &name, TBDFFont &font,
             TFontReadReport &report);

// A PSF 2 file of font. Glyphs that are copies of one place (the same second
// ENCODING number and the same bitmap and box, as ReadPSF makes them) share one
// slot with all their codes; other glyphs have a slot each, in font order. A
// font whose CHARSET_REGISTRY is FontSpecific (read from a PSF without a
// table) is written without a table, each glyph at the place its code (or its
// second number, for code -1) says. Throws TFontFormatError for glyphs whose box
// is not the cell (unless options.PadToBox), codes the table cannot hold, and
// cells wider than 64 or taller than 1024 pixels.
TByteBuffer FormatPSF2(const TBDFFont &font, const TFontWriteOptions &options = {});

// Why FormatPSF2 would refuse font or lose something of it, one sentence each.
std::vector<std::string> PSF2Losses(const TBDFFont &font, const TFontWriteOptions &options = {});

// The prefix of the kept line that holds a sequence.
constexpr std::string_view PSFSequencePrefix = "COMMENT PSF sequence";
