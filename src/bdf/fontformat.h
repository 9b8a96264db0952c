// The font file formats Bitloom reads besides BDF (PCF, the console's PSF 1 and
// 2, GNU Unifont's .hex, any of them gzip-compressed), told apart by content,
// and the formats a font can be written in.
#pragma once

#include "bdfreader.h"
#include "bytebuffer.h"
#include "model/bdfmodel.h"
#include "model/fontkind.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>


// "BDF", "PCF", "PSF 1", "PSF 2", "Unifont .hex".
const char *FormatName(TFontFormat format);

// What a read found beyond the font itself.
struct TFontReadReport {
    // The BDF reader's report; for the other formats only CutGlyphs (glyphs
    // wider than 64 pixels that kept their leftmost 64 columns) is used.
    TBDFReadReport Read;
    TFontFileKind Kind;
    // What the font's file held that the font could not take, one sentence each.
    std::vector<std::string> Notes;
};

// The format of a file's bytes by their content: the magic numbers of gzip,
// PCF and PSF; hex when every line but the last is CODE:ROWS; BDF when the text
// starts, after blank and COMMENT lines, with STARTFONT. Nothing otherwise
// (BDF that only holds STARTCHAR lines further on is for the BDF reader to
// find). complete: head is the whole file, so its last line is complete too.
std::optional<TFontFileKind> DetectFontFormat(std::string_view head, bool complete);

// Reads the font file at path into font, whatever its format; BDF files go
// through OpenBDF as they are, reading only their first bytes to tell them.
// Throws TFileError, leaving font untouched,
// when the file cannot be read, is not a regular file, holds no font Bitloom
// can read, is damaged, or (gzip) inflates past what a font of its kind holds:
// 1 GiB for BDF, 256 MiB for PSF 2 and .hex, 2 MiB for PSF 1.
TFontReadReport OpenFont(const std::string &path, TBDFFont &font, const TBDFReadOptions &options = {});

// The same over bytes already in memory (a file's contents; path names it in
// messages and gives a font without a name its name).
TFontReadReport ParseFont(std::string_view bytes, const std::string &path, TBDFFont &font,
                          const TBDFReadOptions &options = {});

// Warnings for the user: the BDF reader's and the notes, naming the font and file.
std::string FontWarningText(const std::string &path, const TBDFFont &font, const TFontReadReport &report);

// The format a file name asks for, by its extension: .pcf and .pcf.gz PCF;
// .psf, .psfu and their .gz PSF 2 (Bitloom writes PSF 1 files as PSF 2); .hex
// and .hex.gz hex; BDF otherwise. Gzip for a name ending in .gz.
TFontFileKind FormatForPath(const std::string &path);

// What writing font in format would lose or be refused for, one sentence
// each (empty when nothing): for the window to ask before such a save.
std::vector<std::string> WhatFormatCannotHold(const TBDFFont &font, TFontFormat format);

// A font the writer of a format refuses; Glyphs names the glyphs it refuses
// for (at most a few dozen, the message says how many there are).
class TFontFormatError : public std::runtime_error {
public:
    TFontFormatError(const std::string &message, std::vector<std::string> glyphs)
        : std::runtime_error(message), Glyphs(std::move(glyphs))
    {
    }
    std::vector<std::string> Glyphs;
};

struct TFontWriteOptions {
    // PSF 2 only: draw every glyph into one cell, the union of the font's box and
    // all glyph boxes, rather than refuse glyphs whose box differs.
    bool PadToBox = false;
};

// The file text of font in kind.Format (BDF with all the font kept, PSF 2, hex),
// gzip-compressed when kind.Gzip. Throws TFontFormatError when the format cannot
// hold the font, std::invalid_argument for a format Bitloom does not write.
TByteBuffer FormatFont(const TBDFFont &font, TFontFileKind kind, const TFontWriteOptions &options = {});

// Writes FormatFont's bytes to path through the checked save helper. Throws
// TFileError with the path and the reason (a refusal included).
void WriteFont(const std::string &path, const TBDFFont &font, TFontFileKind kind, const TFontWriteOptions &options = {});

// Writes slot.Font to path in kind (BDF with all it kept goes through SaveBDF);
// on success clears slot.Modified and, when path is the slot's own file, makes
// kind the slot's. On failure throws TFileError and leaves the file and the flag
// as they were.
void SaveFont(const std::string &path, TProjectRecord &slot, TFontFileKind kind, const TFontWriteOptions &options = {});

// The kind a save of a slot to path writes: the slot's own kind for its own
// file (PSF 1 written as PSF 2, the only one Bitloom writes), else what the
// name asks for (FormatForPath).
TFontFileKind SaveKindFor(const TProjectRecord &slot, const std::string &path);

// Exports font to path in the format its name asks for: standard BDF 2.1
// (ExportBDF) for BDF, PCF as bdftopcf makes it from that, else WriteFont. Returns what the user should be told
// (ExportReportText), empty when nothing. Throws TFileError.
std::string ExportFontTo(const std::string &path, const TBDFFont &font, const TFontWriteOptions &options = {});

// For the readers and writers of the formats.
namespace FontFormatDetail {
// Fills a font of equal cells (console and Unifont fonts): header, box and
// properties, for glyphs height pixels tall whose baseline lies descent rows
// above the cell's bottom; unicode tells whether codes are Unicode.
void SetCellFontHeader(TBDFFont &font, const std::string &name, int32_t width, int32_t height, int32_t descent,
                       bool unicode);
// A new glyph of a font SetCellFontHeader filled: its box and widths.
TBDFChar CellGlyph(const TBDFFont &font, int32_t code, int32_t width);
// How a glyph is named to the user: its name, else U+XXXX, else its place.
std::string GlyphLabel(const TBDFFont &font, size_t index);
// "a, b, c and N more": glyphs named, at most MaxNamed of them.
constexpr size_t MaxNamed = 20;
std::string NamedGlyphs(const std::vector<std::string> &glyphs);
// Throws the refusal "what: a, b, c and N more".
[[noreturn]] void Refuse(const std::string &what, const std::vector<std::string> &glyphs);
} // namespace FontFormatDetail
