// GNU Unifont's .hex fonts: one glyph a line, CODE:ROWS, 16 rows of 8 or 16 pixels.
#pragma once

#include "fontformat.h"

#include <string>
#include <string_view>

// Reads a .hex file's bytes into font (replacing it), named name. Each
// non-empty line must be 1 to 6 hexadecimal digits of code, a colon and 32 or
// 64 hexadecimal digits of rows (LF or CR LF ends it); any other line throws
// TFileError naming path and the line's number. Glyphs keep the file's order;
// boxes are Unifont BDF's: width x 16 at 0 -2, DWIDTH the width.
void ReadHex(std::string_view bytes, const std::string &path, const std::string &name, TBDFFont &font);

// The .hex text of font: glyphs sorted by code (glyphs sharing a code keep
// their order), codes in upper case with 4 digits up to FFFF and 6 above, rows
// in upper case, LF after every line, as unifont.hex is written. Throws
// TFontFormatError for glyphs that are not 8 or 16 pixels wide by 16 tall or
// have no code from 0 to FFFFFF, and for a font without glyphs.
TByteBuffer FormatHexFont(const TBDFFont &font);

// Why FormatHexFont would refuse font, one sentence each.
std::vector<std::string> HexLosses(const TBDFFont &font);

// Whether a line (without its line break) is CODE:ROWS as ReadHex takes it.
bool IsHexLine(std::string_view line);
