// Reading BDF files: a tolerant line scanner that never rejects a font's content.
#pragma once

#include "model/bdfmodel.h"

#include <string>
#include <string_view>

// Where glyph codes come from.
enum class TCodeSource {
    // The first number of the glyph's ENCODING line; a glyph without one takes
    // its STARTCHAR name read as hexadecimal. Right for every ordinary BDF file.
    Encoding,
    // The STARTCHAR name read as hexadecimal, ENCODING ignored: for the TrueType
    // converter's output, which names each glyph by its original code and puts a
    // remapped one in ENCODING.
    Names,
};

struct TBDFReadOptions {
    // Nonzero masks each row of a glyph up to 24 pixels wide to its width's bytes.
    int Debug = 0;
    TCodeSource Codes = TCodeSource::Encoding;
    // Threads to read with: 0 for one per core on texts of a few megabytes and
    // more (smaller ones on one); n for exactly n parts where the text has glyph
    // starts to cut at. The result never depends on it.
    int Threads = 0;
    // Bytes each thread reads the text through at a time: 0 for the usual 2 MiB.
    // Only tests set it, to cut texts into many pieces; the result never depends on it.
    size_t WindowBytes = 0;
};

// What a read found beyond the font itself, for the window or the command line
// to tell the user.
struct TBDFReadReport {
    // Glyphs wider than MaxGlyphWidth: their leftmost 64 columns were kept.
    int CutGlyphs = 0;
    // A line starting with STARTFONT, STARTCHAR or ENDFONT was seen.
    bool SawStartFont = false;
    bool SawStartChar = false;
    bool SawEndFont = false;

    // Text with neither a STARTFONT nor a STARTCHAR line holds no font at all.
    bool isFont() const { return SawStartFont || SawStartChar; }
    // A font that was begun but never ended: the file was probably cut short.
    bool looksTruncated() const { return SawStartFont && !SawEndFont; }
};

// A font holding only font's header fields (STARTFONT, FONT, SIZE, box, Uid):
// what a read starts from, so fields whose lines a file lacks keep their values.
TBDFFont HeaderFieldsOf(const TBDFFont &font);

// Reads the file at path into font. Throws TFileError, leaving font untouched,
// when the file cannot be read, is not a regular file, or holds no font (see
// TBDFReadReport::isFont). Otherwise replaces font.Chars and fills the header
// fields whose lines the file has; other header fields keep the caller's values.
TBDFReadReport OpenBDF(const std::string &path, TBDFFont &font, const TBDFReadOptions &options = {});

// The same scan over text already in memory; never throws for content.
TBDFReadReport ParseBDF(std::string_view text, TBDFFont &font, const TBDFReadOptions &options = {});

// Warnings for the report, naming the font and file; empty when nothing is worth telling.
std::string ReadWarningText(const std::string &path, const TBDFFont &font, const TBDFReadReport &report);

// For tests: when set, called before a reader starts each helper thread; true
// makes that start fail as it does when the system cannot start a thread.
using TThreadStartHook = bool (*)();
void SetThreadStartHook(TThreadStartHook hook);
