// Writing BDF files: Bitloom's own lines in one fixed layout, with or without
// what the font kept from its file.
#pragma once

#include "bytebuffer.h"
#include "model/bdfmodel.h"

#include <functional>
#include <string>
#include <string_view>

// What a write holds.
enum class TBDFLayout {
    // Bitloom's lines only: header, a property block holding only "Uid", every
    // glyph in Chars order named by its code, "ENDFONT". The compiler source and
    // --convert are written so, since the compiler and their callers rely on it.
    Fixed,
    // The same lines, plus what the font kept from its file, each where it
    // stood: comments and other lines, every property (the "Uid" one written
    // from the Uid field, and added last when the file had none), glyph names,
    // second ENCODING numbers. A font that kept nothing is written as Fixed.
    Kept,
};

// The whole file text; CR LF after every line.
TByteBuffer FormatBDF(const TBDFFont &font, TBDFLayout layout = TBDFLayout::Fixed);

// The four numbers of a FONTBOUNDINGBOX line.
struct TFontBox {
    int32_t Width = 0, Height = 0, XOff = 0, YOff = 0;
    bool operator==(const TFontBox &) const = default;
};

// Appends the same text to out, with the font's own box or, when box is given,
// that box on the FONTBOUNDINGBOX line. With a drain, whenever out holds more
// than a chunk it is handed to drain and emptied, so a big font streams through
// a small buffer; what is left at the end stays in out for the caller.
void AppendBDF(const TBDFFont &font, TByteBuffer &out, const std::function<void(std::string_view)> &drain = {},
               const TFontBox *box = nullptr, TBDFLayout layout = TBDFLayout::Fixed);

// Writes slot.Font to path (not to slot.FileName, which stays as it is), by
// default with all it kept: the window's saves lose nothing the file held. On success
// clears slot.Modified; on failure throws TFileError, leaves an earlier file at path
// byte-identical and the flag set, so the unsaved work is still guarded.
// threads: 0 or 1 to format on the saving thread (the fastest measured), n to
// share the formatting with n - 1 helper threads; the bytes never depend on it.
void SaveBDF(const std::string &path, TProjectRecord &slot, int threads = 0, TBDFLayout layout = TBDFLayout::Kept);

// The text FormatBDF makes, handed to write piece by piece in order, formatted
// on `threads` threads (as SaveBDF counts them).
void WriteBDF(const TBDFFont &font, const std::function<void(std::string_view)> &write, int threads = 0,
              TBDFLayout layout = TBDFLayout::Fixed);

// Hexadecimal digits a row of this width is written with: 2 * RowBytes for widths
// 0 to 64, 10 for negative widths (and for anything wider, which a read never yields).
int RowDigits(int32_t width);
