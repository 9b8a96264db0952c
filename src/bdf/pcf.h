// X11's Portable Compiled Format: the binary bitmap fonts Debian ships under
// /usr/share/fonts/X11, read into the same model the BDF reader fills and
// written as bdftopcf writes them.
#pragma once

#include "bdfexport.h"
#include "bdfreader.h"
#include "bytebuffer.h"
#include "model/bdfmodel.h"

#include <string>
#include <string_view>

// Reads a PCF font (already inflated) into font, as the BDF reader reads what
// pcf2bdf makes of it: the glyphs its encoding table reaches, in code order,
// named from the glyph-name table; the properties in file order but FONT (the
// font's name) and RESOLUTION, then DEFAULT_CHAR, FONT_DESCENT and FONT_ASCENT
// from the encoding table and accelerators; SIZE from POINT_SIZE, RESOLUTION_X
// and RESOLUTION_Y; the bounding box from the accelerators' bounds. Glyphs wider
// than MaxGlyphWidth keep their leftmost 64 columns (counted in CutGlyphs).
// Throws TFileError with path, leaving font untouched, for anything that is no
// PCF font or whose tables do not fit in bytes.
TBDFReadReport ParsePCF(std::string_view bytes, const std::string &path, TBDFFont &font);

// The PCF file bdftopcf makes of the font's standard export (FormatExportBDF),
// in its default form: most significant byte and bit first, rows padded to 4
// bytes, tables of properties, accelerators, metrics, bitmaps, encodings,
// scalable widths, glyph names and BDF accelerators. Glyphs whose code does not
// fit the 16-bit encoding table (above 65535) are kept but reached by no code,
// and a code several glyphs share goes to the last; report->Ignored says which.
TByteBuffer FormatPCF(const TBDFFont &font, TBDFExportReport *report = nullptr);

// Writes FormatPCF's bytes to path through the checked save helper; throws TFileError.
void WritePCF(const std::string &path, const TBDFFont &font, TBDFExportReport *report = nullptr);
