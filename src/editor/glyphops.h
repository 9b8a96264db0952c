// Operations on glyphs: box size, offsets, widths, code, rotations, and the walks
// over the table's selection that the side panel and the renumber command use.
#pragma once

#include "chartable/selection.h"
#include "model/bdfmodel.h"

#include <functional>

// Width + 1, up to 64. When the row gains a byte (new width 9, 17, 25, 33, 41,
// 49 or 57) the rows shift left 8 bits so the picture keeps its place; otherwise
// the new right column shows whatever bit the row already holds there.
void GrowWidth(TBDFChar &ch);
// Width - 1, at least 1. When the row loses a byte (new width 8, 16, 24, 32, 40,
// 48 or 56) the rows shift right 8 bits; otherwise the dropped column's bit stays.
void ShrinkWidth(TBDFChar &ch);
// Height + 1, then Bitmap is resized to the height: blank rows are added at the
// bottom, but not past MaxCreatedRows rows; rows the glyph has are all kept.
void GrowHeight(TBDFChar &ch);
// Height - 1, at least 1, then Bitmap is resized to the height (as above).
void ShrinkHeight(TBDFChar &ch);
// Every row rotated one pixel left within the width; bits at 8 * RowBytes and
// above are cleared (rows never grow past their bytes).
void RotateLeft(TBDFChar &ch);
// The top row moves to the bottom.
void RotateUp(TBDFChar &ch);
// Code - 1 (not below 0) and code + 1 (wrapping like a 32-bit counter).
void CodeDown(TBDFChar &ch);
void CodeUp(TBDFChar &ch);
// value + delta, wrapping like a 32-bit integer instead of overflowing.
int32_t Step(int32_t value, int delta);

// Applies op to each glyph of the selection block in order, stopping at the first
// cell past the end of the font. Returns whether any glyph changed.
bool ApplyToBlock(TBDFFont &font, const TCharSelection &sel, const std::function<void(TBDFChar &)> &op);

// Gives the glyphs of the selected span consecutive codes: the first keeps its
// code, each later one gets the previous one's + 1. Cells past the end are
// skipped. Returns whether any code changed.
bool RenumberCodes(TBDFFont &font, const TCharSelection &sel);
