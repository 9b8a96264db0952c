// Arithmetic of the magnified glyph grids: which cell a pointer is over, which
// bit a shown column stands for, where the pixel grid sits over the frame, and
// what a press or drag does. No widgets here.
#pragma once

#include "model/bdfmodel.h"

#include <optional>

// Every grid of the glyph editor: 12-pixel cells followed by a 1-pixel line at
// the default zoom; the zoom takes the cells from 4 to 32 pixels.
constexpr int GlyphCellSize = 12;
constexpr int GlyphPitch = GlyphCellSize + 1;
constexpr int MinCellSize = 4;
constexpr int MaxCellSize = 32;
// A cell size as the zoom allows it.
constexpr int ClampCellSize(int size)
{
    return size < MinCellSize ? MinCellSize : size > MaxCellSize ? MaxCellSize : size;
}
// Top-left corner of the frame (bounding-box) grid inside the editor area.
constexpr int FrameLeft = 30;
constexpr int FrameTop = 30;
// Frame size before any font is shown.
constexpr int InitialFrameCells = 18;

// Most cells a grid shows in one direction: a widget cannot be larger than
// 16,777,215 pixels, which a malformed box of millions of pixels would exceed.
constexpr int MaxGridCells = 1000000;

// A cell count as a grid shows it: 1 to MaxGridCells.
int ClampCells(int64_t cells);

// Columns and rows the pixel grid shows for a glyph: its box, at least 1 x 1.
int GridColumns(const TBDFChar &ch);
int GridRows(const TBDFChar &ch);

// The bit of row shown in column x of a grid of `columns` columns for a glyph of
// this width: 8 * RowBytes - width + (columns - 1 - x), or -1 outside the 64-bit
// row. Equals PixelBit(width, x) whenever columns == width; a glyph narrower than
// 1 still shows one column.
int GridPixelBit(int32_t width, int columns, int x);

struct TGridCell {
    int Col = 0;
    int Row = 0;
    bool operator==(const TGridCell &) const = default;
};

// The cell under a pointer at (dx, dy) from the grid's top-left corner. Columns
// clamp to 0..columns-1 (left of or right of the grid); rows clamp at 0 above the
// grid, and a row at or past `rows` (below the grid) matches no cell.
std::optional<TGridCell> GridCellAt(int dx, int dy, int columns, int rows, int pitch = GlyphPitch);

// Where the pixel grid's top-left corner goes, in pixels from the frame's: the
// frame's lower-left corner is the glyph origin.
struct TGridOffset {
    int Left = 0;
    int Top = 0;
    bool operator==(const TGridOffset &) const = default;
};
TGridOffset PixelGridOffset(int frameRows, const TBDFChar &ch, int pitch = GlyphPitch);

// Where the three grids go in the scrolled editor area, and how big the area is.
// The frame stays at (FrameLeft, FrameTop) unless the pixel grid reaches further
// left or up than that margin; the area covers both grids plus the margin on
// every side, and at least the visible part (viewWidth x viewHeight). The
// background lattice covers the whole area with cells aligned to the frame's.
// The font's line may reach lineAbove rows over the frame's top and lineBelow
// rows under its lower edge (its ascent and descent, where its guides lie): the
// area holds those rows too, so they show whatever the glyph.
// Everything is clamped to what a widget can hold.
struct TEditorLayout {
    int FrameX = 0, FrameY = 0;
    int GridX = 0, GridY = 0;
    int Width = 0, Height = 0;
    int BackX = 0, BackY = 0, BackColumns = 1, BackRows = 1;
    bool operator==(const TEditorLayout &) const = default;
};
TEditorLayout LayOutEditor(int frameColumns, int frameRows, TGridOffset grid, int gridColumns, int gridRows,
                           int viewWidth, int viewHeight, int pitch = GlyphPitch, int64_t lineAbove = 0,
                           int64_t lineBelow = 0);

enum class TPaintAction { None, Set, Clear, Toggle };

// A press on the pixel grid. left/right/middle: the button pressed; ctrlOnly: Ctrl
// is the only key held; othersHeld: another button is held, or this is the second
// press of a double click.
TPaintAction PressAction(bool left, bool right, bool ctrlOnly, bool othersHeld);
// A move while the grid holds the mouse: only exactly-left (set) or exactly-right
// (clear) with no key acts.
TPaintAction DragAction(bool leftHeld, bool rightHeld, bool otherButtonHeld, bool anyKey);

// Applies action to the pixel of cell (col, row) as shown in a grid of `columns`
// columns (the grid may still show another glyph's width, as after adding a glyph).
// Returns false (and changes nothing) when the row is not in Bitmap.
bool ApplyPaint(TBDFChar &ch, TGridCell cell, TPaintAction action, int columns);
