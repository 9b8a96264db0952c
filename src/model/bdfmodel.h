// The in-memory model of open BDF fonts: plain value records, no user interface.
#pragma once

#include "bigblock.h"
#include "fontkind.h"
#include "glyphrows.h"
#include "keptdata.h"

#include <cstdint>
#include <string>
#include <vector>

// One glyph. A row of Bitmap holds the BDF row's hexadecimal digits read as one
// big-endian number: pixel column x is bit PixelBit(BBXWidth, x), a set bit is ink.
// Glyphs up to 32 pixels wide hold 32-bit patterns (the high half stays zero);
// glyphs 33 to 64 pixels wide use up to all 64 bits.
struct TBDFChar {
    int32_t Encoding = 0;
    int32_t SWidthX = 0;
    int32_t SWidthY = 0;
    int32_t DWidthX = 0;
    int32_t DWidthY = 0;
    int32_t BBXWidth = 0;
    int32_t BBXHeight = 0;
    int32_t BBXXOff = 0;
    int32_t BBXYOff = 0;
    // The glyph's record in its font's GlyphNotes (its name and what else its
    // file said), 0 for none. It lies in what would be padding, so it costs no memory.
    uint32_t Notes = 0;
    // Top row first. Its length is what the file had, independent of BBXHeight.
    TGlyphRows Bitmap;

    bool operator==(const TBDFChar &) const = default;
};

// A font's glyphs. A big font's list is one big block of memory.
using TGlyphList = std::vector<TBDFChar, TBigBlockAllocator<TBDFChar>>;

struct TBDFFont {
    std::string StartFont;
    std::string FontName;
    std::string Size;
    int32_t FBBWidth = 0;
    int32_t FBBHeight = 0;
    int32_t FBBXOff = 0;
    int32_t FBBYOff = 0;
    // Always a whole number; may exceed the signed 32-bit range (tick-count Uids).
    double Uid = 0;
    // In file order, never sorted; two glyphs may share a code.
    TGlyphList Chars;
    // What the file held beyond the fields above, for an ordinary save to write
    // back. Properties in file order; one named "Uid" stands for the Uid field
    // and is written from it. Lines that set a field above are not kept here.
    std::vector<TBDFProperty> Properties;
    TKeptLines HeaderLines;
    TGlyphNotes GlyphNotes;

    bool operator==(const TBDFFont &) const = default;
};

// The name a glyph kept from its file (one made from its code follows the
// code), empty when it kept none.
inline std::string GlyphName(const TBDFFont &font, const TBDFChar &ch)
{
    if (IsCodeNameNote(ch.Notes))
        return CodeName(ch.Notes, ch.Encoding);
    return std::string(font.GlyphNotes.get(ch.Notes).Name);
}

// One slot of the open-font list.
struct TProjectRecord {
    // Where quick save writes: a full path, or the bare "bitloom.bdf" of a new font.
    std::string FileName;
    TBDFFont Font;
    // Set by every change to the font, cleared only by a successful save to this slot.
    bool Modified = false;
    // The kind of FileName: quick save writes the font back in it.
    TFontFileKind Kind;
};

// Widest glyph a row can hold.
constexpr int MaxGlyphWidth = 64;

// Most blank rows an editing command creates for a glyph or font box. A box
// height from a malformed file can be two billion; the height is kept, but rows
// beyond this are not made (rows past Bitmap show blank anyway).
constexpr int MaxCreatedRows = 65536;

// Bytes a row of this width occupies: (width - 1) div 8 + 1, truncating toward
// zero, so width 0 gives 1 and widths 1..8 give 1, 9..16 give 2, ... 57..64 give 8.
// Negative widths give 1 or less; callers must not index bits with them.
constexpr int RowBytes(int32_t width)
{
    return static_cast<int>((static_cast<int64_t>(width) - 1) / 8 + 1);
}

// The bit of column x: 8 * RowBytes(width) - 1 - x, or -1 when that falls
// outside the 64-bit row (odd widths or columns); the pixel operations treat
// such bits as absent. Computed in 64 bits, so no width overflows it.
constexpr int PixelBit(int32_t width, int x)
{
    const int64_t bit = 8 * int64_t{RowBytes(width)} - 1 - x;
    return bit < 0 || bit > 63 ? -1 : static_cast<int>(bit);
}

// false when r is not a row of Bitmap or the bit lies outside the 64-bit row.
bool GetPixel(const TBDFChar &ch, int r, int x);
// Each changes nothing when r is not a row of Bitmap or the bit lies outside the row.
void SetPixel(TBDFChar &ch, int r, int x);
void ClearPixel(TBDFChar &ch, int r, int x);
void TogglePixel(TBDFChar &ch, int r, int x);

// Same, but for an explicit bit number (0 = least significant) rather than a column.
bool GetBit(const TBDFChar &ch, int r, int bit);
void SetBit(TBDFChar &ch, int r, int bit);
void ClearBit(TBDFChar &ch, int r, int bit);
void ToggleBit(TBDFChar &ch, int r, int bit);
