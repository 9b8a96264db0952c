// Reading BDF files: a tolerant line scanner that never rejects a file.
#pragma once

#include "model/bdfmodel.h"

#include <string>
#include <string_view>

// What a read could not keep, for the window or the command line to tell the user.
struct TBDFReadReport {
    // Glyphs wider than MaxGlyphWidth: their leftmost 64 columns were kept.
    int CutGlyphs = 0;
};

// Reads the file at path into font. On an unreadable file throws TFileError and
// leaves font untouched. Otherwise empties font.Chars and fills the fields whose
// lines the file has; other header fields keep the caller's values.
// debug != 0 masks each row of a glyph up to 24 pixels wide to its width's bytes.
TBDFReadReport OpenBDF(const std::string &path, TBDFFont &font, int debug = 0);

// The same scan over text already in memory.
TBDFReadReport ParseBDF(std::string_view text, TBDFFont &font, int debug = 0);

// A one-line warning for the report, naming the font and file; empty when nothing was lost.
std::string ReadWarningText(const std::string &path, const TBDFFont &font, const TBDFReadReport &report);
