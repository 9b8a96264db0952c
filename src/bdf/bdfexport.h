// Export: a font as standard BDF 2.1 that X11's bdftopcf, FreeType and other
// BDF readers take, whatever the font's own file looked like.
#pragma once

#include "bytebuffer.h"
#include "model/bdfmodel.h"

#include <string>
#include <vector>

// What an export tells the user, one sentence a line.
struct TBDFExportReport {
    // Glyphs that are written but that bdftopcf leaves out of its font: codes
    // above 65535, and all but the last of the glyphs that share a code.
    std::vector<std::string> Ignored;
    // What the export had to leave out or mend, and what bdftopcf will refuse.
    std::vector<std::string> Changes;
};

// The export text, CR LF after every line:
// - STARTFONT 2.1; FONT, the font's name when it is an XLFD name of 14 fields,
//   else one built from its properties and name; SIZE, the font's when its
//   three values are above zero, else built; FONTBOUNDINGBOX, the font's, or
//   the glyphs' union when the font's is empty; COMMENT lines where they stood.
// - STARTPROPERTIES n and exactly n properties: the font's in their order,
//   strings quoted with inner quotes doubled, integers bare; then those it
//   lacks of FONT_ASCENT, FONT_DESCENT (from the bounding box), PIXEL_SIZE,
//   POINT_SIZE (decipoints), RESOLUTION_X, RESOLUTION_Y, SPACING,
//   CHARSET_REGISTRY and CHARSET_ENCODING (from the XLFD name, else computed,
//   ISO10646-1 for the codes), and Uid. A DEFAULT_CHAR that names no glyph's
//   code is left out. ENDPROPERTIES.
// - CHARS, the number of glyphs; every glyph in order: STARTCHAR with its own
//   name or uniXXXX / uXXXXX / glyphN, unique in the font; ENCODING (a -1 code
//   with its second number); SWIDTH, its own or computed from DWIDTH and the
//   point size; DWIDTH; BBX; BITMAP and exactly its height in rows of exactly
//   its width's bytes; ENDCHAR. ENDFONT.
// report, when given, is filled with what the user should know.
TByteBuffer FormatExportBDF(const TBDFFont &font, TBDFExportReport *report = nullptr);

// Writes the export to path through the checked save helper; throws TFileError.
void ExportBDF(const std::string &path, const TBDFFont &font, TBDFExportReport *report = nullptr);

// The report as lines to show, the ignored glyphs first; at most maxLines of
// each kind, then how many more there are. Empty when there is nothing to tell.
std::string ExportReportText(const TBDFExportReport &report, size_t maxLines = 20);
