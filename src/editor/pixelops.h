// Operations on the pixels of a glyph as the pixel grid shows them: a rectangle
// of cells (column 0 at the left of the box, row 0 at its top) shifted, flipped,
// inverted, cleared, copied and pasted.
#pragma once

#include "model/bdfmodel.h"

#include <cstdint>
#include <vector>

// A rectangle of grid cells.
struct TPixelRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool empty() const { return Width <= 0 || Height <= 0; }
    bool operator==(const TPixelRect &) const = default;
};

// The cells of the glyph's box that can hold ink: its width by its height (at
// most MaxCreatedRows rows); of a glyph wider than 64 pixels, the 64 columns at
// the right whose bits a row holds (fewer when the last byte runs past the width).
TPixelRect GlyphBox(const TBDFChar &ch);
// The part of area inside the glyph's box.
TPixelRect ClipToBox(const TBDFChar &ch, TPixelRect area);
// The rectangle between two cells, both included.
TPixelRect RectBetween(int column1, int row1, int column2, int row2);

// A block of copied pixels, row by row, 1 for ink.
struct TPixelBlock {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Ink;
    bool at(int x, int y) const { return Ink[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)] != 0; }
    bool operator==(const TPixelBlock &) const = default;
};

// The pixels of area (cut to the box); cells of rows the glyph lacks are clear.
TPixelBlock CopyPixels(const TBDFChar &ch, TPixelRect area);
// Writes every cell of block, ink or clear, with its top-left cell at (left, top),
// cut to the box. Rows the box has but the glyph lacks are made first.
void PastePixels(TBDFChar &ch, const TPixelBlock &block, int left, int top);

enum class TShift { Left, Right, Up, Down };
// Each works on area cut to the box. A shift moves the pixels one cell; those that
// leave the area are dropped, or come back in at the other side when wrap is set.
void ShiftPixels(TBDFChar &ch, TPixelRect area, TShift direction, bool wrap);
void FlipHorizontally(TBDFChar &ch, TPixelRect area);
void FlipVertically(TBDFChar &ch, TPixelRect area);
void InvertPixels(TBDFChar &ch, TPixelRect area);
void ClearPixels(TBDFChar &ch, TPixelRect area);
